// PageWriter.
#include "generator/pagewriter.h"

#include <QFile>

#include "model/fileutil.h"

namespace velmo::gen {

PageWriter::PageWriter(Written written) : m_written(std::move(written))
{
    // One thread keeps up with assembly, which costs several times what writing does, and
    // leaves the other cores to the link check.
    m_pool.setMaxThreadCount(1);
}

PageWriter::~PageWriter()
{
    m_pool.waitForDone();
}

void PageWriter::write(const QString &path, QString text)
{
    qsizetype index = 0;
    {
        const QMutexLocker lock(&m_mutex);
        index = m_done.size();
        m_done.append({path, Outcome::Failed, {}});
    }
    m_slots.acquire();
    m_pool.start([this, path, text = std::move(text), index] {
        const QByteArray bytes = text.toUtf8();
        Done done = put(path, bytes);
        if (done.outcome != Outcome::Failed && m_written)
            m_written(path, bytes);
        {
            const QMutexLocker lock(&m_mutex);
            m_done[index] = std::move(done);
        }
        m_slots.release();
    });
}

void PageWriter::keep(const QString &path)
{
    const QMutexLocker lock(&m_mutex);
    m_done.append({path, Outcome::Unchanged, {}});
}

PageWriter::Done PageWriter::put(const QString &path, const QByteArray &bytes)
{
    Done done{path, Outcome::Unchanged, {}};
    if (fileHoldsBytes(path, bytes))
        return done;
    done.outcome = Outcome::Written;
    if (!writeFileBytes(path, bytes, &done.reason)) {
        QFile::remove(path);
        done.outcome = Outcome::Failed;
    }
    return done;
}

QList<PageWriter::Done> PageWriter::finish()
{
    m_pool.waitForDone();
    const QMutexLocker lock(&m_mutex);
    return std::exchange(m_done, {});
}

} // namespace velmo::gen
