// Guards over file mappings: a process-wide SIGBUS handler catches reads past a shortened file.
#include "model/guardedmapping.h"

#include <atomic>
#include <csignal>
#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

namespace velmo {

namespace {

// The handler may run in any thread at any moment, so the table is fixed in size and touched
// only through lock-free atomics: no allocation, no lock the interrupted code might hold.
enum SlotState : int { kFree, kClaimed, kGuarded };

struct GuardedRange
{
    std::atomic<int> state{kFree};
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> cutShort{false};
};

static_assert(std::atomic<std::uintptr_t>::is_always_lock_free &&
              std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

// Documents are opened one at a time; the spare slots are for other threads that open files.
constexpr int kSlots = 32;
GuardedRange g_ranges[kSlots];
struct sigaction g_previous = {};
std::uintptr_t g_pageSize = 4096;

void forwardToPrevious(int signal, const siginfo_t *info)
{
    // Not a file of ours: the previous action is put back and the fault comes again when this
    // returns (a signal sent by kill is raised again), so that it runs as the kernel runs it,
    // with its own flags. Calling it from here would break a handler that relies on
    // SA_RESETHAND (QTest's, for one) and spin on the fault for ever. The guard is gone from
    // then on, which matters little: an unexpected bus error is the end of most processes.
    ::sigaction(signal, &g_previous, nullptr);
    if (info->si_code <= 0)
        ::raise(signal);
}

void onBusError(int signal, siginfo_t *info, void *)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (GuardedRange &range : g_ranges) {
        if (range.state.load(std::memory_order_acquire) != kGuarded)
            continue;
        const std::uintptr_t begin = range.begin.load(std::memory_order_relaxed);
        const std::uintptr_t end = range.end.load(std::memory_order_relaxed);
        if (address < begin || address >= end)
            continue;
        // Zero pages over the rest of the range let the interrupted read finish; the reader
        // sees zeros, which the caller learns of through the flag.
        const std::uintptr_t from = address & ~(g_pageSize - 1);
        const std::uintptr_t to = (end + g_pageSize - 1) & ~(g_pageSize - 1);
        if (::mmap(reinterpret_cast<void *>(from), to - from, PROT_READ,
                   MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) == MAP_FAILED)
            break;
        range.cutShort.store(true, std::memory_order_relaxed);
        return;
    }
    forwardToPrevious(signal, info);
}

// Under AddressSanitizer this handler replaces ASan's, which then runs as the previous one:
// that needs ASan's default allow_user_segv_handler=1; with 0 ASan keeps SIGBUS to itself and
// reports the bus error instead.
bool installHandler()
{
    g_pageSize = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    struct sigaction action = {};
    action.sa_sigaction = onBusError;
    // SA_NODEFER keeps SIGBUS unblocked in the handler, so that a signal raised again for the
    // default action is delivered there and then.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGBUS, &action, &g_previous) == 0;
}

int claimSlot(std::uintptr_t begin, std::uintptr_t end)
{
    for (int i = 0; i < kSlots; ++i) {
        GuardedRange &range = g_ranges[i];
        int expected = kFree;
        if (!range.state.compare_exchange_strong(expected, kClaimed, std::memory_order_acquire))
            continue;
        range.begin.store(begin, std::memory_order_relaxed);
        range.end.store(end, std::memory_order_relaxed);
        range.cutShort.store(false, std::memory_order_relaxed);
        range.state.store(kGuarded, std::memory_order_release);
        return i;
    }
    return -1;
}

} // namespace

GuardedMapping::GuardedMapping(const uchar *data, qint64 size)
{
    static const bool installed = installHandler();
    if (!installed || data == nullptr || size <= 0)
        return;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    m_slot = claimSlot(begin, begin + std::uintptr_t(size));
}

GuardedMapping::~GuardedMapping()
{
    // Released before the caller unmaps the pages, so that the handler never takes a fault in
    // whatever is mapped there next for one of ours.
    if (m_slot >= 0)
        g_ranges[m_slot].state.store(kFree, std::memory_order_release);
}

bool GuardedMapping::wasCutShort() const
{
    return m_slot >= 0 && g_ranges[m_slot].cutShort.load(std::memory_order_relaxed);
}

} // namespace velmo
