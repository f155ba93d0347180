// PageWriter: puts the pages of a whole-site output on disk from a thread of its own, each
// compared with the file already there, while the next page is assembled.
#pragma once

#include <functional>

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QThreadPool>

namespace velmo::gen {

class PageWriter
{
public:
    enum class Outcome { Unchanged, Written, Failed };
    struct Done
    {
        QString path;
        Outcome outcome = Outcome::Failed;
        // Why a page could not be written.
        QString reason;
    };
    // Hears of every page that is on disk as handed over, on the writer's thread.
    using Written = std::function<void(const QString &path, const QByteArray &bytes)>;

    explicit PageWriter(Written written = {});
    // Waits for the pages still being written.
    ~PageWriter();
    PageWriter(const PageWriter &) = delete;
    PageWriter &operator=(const PageWriter &) = delete;

    // Writes text as UTF-8 to path unless the file holds exactly that already. Waits when the
    // writer is kInFlight pages behind, so that an output never holds more pages than that
    // (a few megabytes): enough that a writer the system leaves waiting a moment does not stop
    // the assembly.
    void write(const QString &path, QString text);
    // Counts path, a page known to be on disk as it would be written, as unchanged, in its
    // place among the pages handed over.
    void keep(const QString &path);
    // Waits for every page handed over and returns what became of each, in handing order.
    QList<Done> finish();
    // Puts bytes at path at once, unless the file holds exactly them already; a file cut short
    // is removed, so that neither a preview nor the publication takes it for the page.
    static Done put(const QString &path, const QByteArray &bytes);

    static constexpr int kInFlight = 256;

private:
    Written m_written;
    QThreadPool m_pool;
    QSemaphore m_slots{kInFlight};
    QMutex m_mutex;
    QList<Done> m_done;
};

} // namespace velmo::gen
