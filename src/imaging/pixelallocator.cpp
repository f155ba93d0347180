// Picture buffers in their own mappings. A decoded photograph is tens of megabytes written
// once from start to end; with 4 KB pages every page costs a fault, which on virtual machines
// took longer than decoding the JPEG. Huge pages cut the faults by a factor of 512.
#include "imaging/pixelallocator.h"

#include <cstdint>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

namespace velmo::img {

namespace {

constexpr size_t kLargeBytes = size_t(1) << 20;
constexpr uintptr_t kHugePage = uintptr_t(2) << 20;

size_t mappedLength(size_t bytes)
{
    const auto page = size_t(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

// A mapping that starts on a huge-page boundary, so that all of it but the tail can be backed
// by huge pages; nullptr when the system has no memory for it.
void *mapLarge(size_t bytes)
{
    const size_t length = mappedLength(bytes);
    void *raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        munmap(raw, aligned - start);
    const uintptr_t end = start + length + kHugePage;
    if (end > aligned + length)
        munmap(reinterpret_cast<void *>(aligned + length), end - (aligned + length));
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void *>(aligned), length, MADV_HUGEPAGE); // advice; may be ignored
#endif
    return reinterpret_cast<void *>(aligned);
}

} // namespace

cv::MatAllocator *PixelAllocator::instance()
{
    static auto *allocator = new PixelAllocator;
    return allocator;
}

cv::UMatData *PixelAllocator::allocate(int dims, const int *sizes, int type, void *data,
                                       size_t *step, cv::AccessFlag, cv::UMatUsageFlags) const
{
    size_t total = CV_ELEM_SIZE(type);
    for (int i = dims - 1; i >= 0; --i) {
        if (step != nullptr) {
            if (data != nullptr && step[i] != cv::Mat::AUTO_STEP)
                total = step[i];
            else
                step[i] = total;
        }
        total *= size_t(sizes[i]);
    }
    void *memory = data;
    if (memory == nullptr) {
        memory = total >= kLargeBytes ? mapLarge(total) : cv::fastMalloc(total);
        if (memory == nullptr)
            throw std::bad_alloc();
    }
    auto *u = new cv::UMatData(this);
    u->data = u->origdata = static_cast<uchar *>(memory);
    u->size = total;
    if (data != nullptr)
        u->flags |= cv::UMatData::USER_ALLOCATED;
    return u;
}

bool PixelAllocator::allocate(cv::UMatData *data, cv::AccessFlag, cv::UMatUsageFlags) const
{
    return data != nullptr;
}

void PixelAllocator::deallocate(cv::UMatData *data) const
{
    if (data == nullptr)
        return;
    if (!(data->flags & cv::UMatData::USER_ALLOCATED)) {
        if (data->size >= kLargeBytes)
            munmap(data->origdata, mappedLength(data->size));
        else
            cv::fastFree(data->origdata);
        data->origdata = nullptr;
    }
    delete data;
}

} // namespace velmo::img
