// The document: opening, saving, the modified flag and the directory settings.
#include "app/documentsession.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>

#include "app/externalprograms.h"
#include "app/filedialogwrapper.h"
#include "app/messageboxwrapper.h"
#include "app/programpathsdialog.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/documentfile.h"
#include "model/objectid.h"
#include "model/site.h"
#include "model/undohistory.h"

using namespace Qt::StringLiterals;

DocumentSession::DocumentSession(velmo::Document &global, velmo::UndoHistory &history,
                                 QSettings &settings, MessageBoxWrapper &messageBoxes,
                                 FileDialogWrapper &fileDialogs, QObject *parent)
    : QObject(parent), m_global(global), m_history(history), m_settings(settings),
      m_messageBoxes(messageBoxes), m_fileDialogs(fileDialogs)
{
    m_global.externalPrograms = readExternalProgramSettings(m_settings);
    // The title follows the history: nothing is compared or polled while the window is idle.
    connect(&m_history, &velmo::UndoHistory::cleanChanged, this,
            &DocumentSession::refreshModifiedState);
}

namespace {

// A large document takes a moment to read or write: the pointer says so meanwhile.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

QString DocumentSession::fileFilter()
{
    return u"Velmo 文書 (*.vlm)"_s;
}

QString DocumentSession::allFilesFilter()
{
    return u"すべてのファイル (*)"_s;
}

QString DocumentSession::untitledName()
{
    return u"無題"_s;
}

QString DocumentSession::saveQuestion(const QString &name)
{
    return u"%1 への変更を保存しますか？"_s.arg(name);
}

QString DocumentSession::dialogFolder() const
{
    // Where the document is, so that its pictures and neighbours are at hand; a new one starts
    // in the user's home.
    return m_pathName.isEmpty() ? QDir::homePath() : QFileInfo(m_pathName).absolutePath();
}

QString DocumentSession::defaultExtension()
{
    return u"vlm"_s;
}

QString DocumentSession::title() const
{
    return m_pathName.isEmpty() ? untitledName() : QFileInfo(m_pathName).fileName();
}

QString DocumentSession::displayTitle() const
{
    return m_shownModified ? title() + u'*' : title();
}

bool DocumentSession::isModified() const
{
    return m_forcedModified || !m_history.isClean();
}

void DocumentSession::setModifiedFlag(bool modified)
{
    m_forcedModified = modified;
    if (!modified)
        m_history.setClean();
    refreshModifiedState();
}

void DocumentSession::refreshModifiedState()
{
    const bool modified = isModified();
    if (modified == m_shownModified)
        return;
    m_shownModified = modified;
    Q_EMIT titleChanged(displayTitle());
}

void DocumentSession::setPathName(const QString &path, bool addToRecent)
{
    m_pathName = path;
    Q_EMIT titleChanged(displayTitle());
    if (addToRecent && !path.isEmpty())
        Q_EMIT pathRecorded(path);
}

bool DocumentSession::onNewDocument()
{
    Q_EMIT contentAboutToBeReplaced();
    // The steps hold objects of the document that goes; they go first.
    m_history.clear();
    m_global.newDocument();
    setModifiedFlag(false);
    setPathName(QString(), false);
    return true;
}

bool DocumentSession::onOpenDocument(const QString &path)
{
    const QFileInfo info(path);
    const QString absolute = info.absoluteFilePath();
    if (info.isFile() && info.size() == 0) {
        // An empty file is opened without reading anything, so nothing is replaced; the kept
        // content is not in that file yet.
        setModifiedFlag(true);
        setPathName(absolute, true);
        return true;
    }

    if (!replaceContent([&absolute](velmo::Document &incoming) {
            return velmo::DocumentFile::open(incoming, absolute);
        }))
        return false;
    setModifiedFlag(false);
    setPathName(absolute, true);
    return true;
}

bool DocumentSession::restoreRecovered(const QByteArray &bytes, const QString &path)
{
    if (!replaceContent([&bytes](velmo::Document &incoming) {
            return velmo::DocumentFile::openBytes(incoming, bytes);
        }))
        return false;
    setModifiedFlag(true);
    setPathName(path, false);
    return true;
}

bool DocumentSession::replaceContent(const std::function<bool(velmo::Document &)> &read)
{
    // The file is read into a root of its own first: a broken file then costs nothing of the
    // open document.
    velmo::Document incoming(m_global.programFolder());
    incoming.setReporter(m_global.reporter());
    {
        const BusyCursor busy;
        if (!read(incoming))
            return false;
    }

    Q_EMIT contentAboutToBeReplaced();
    m_history.clear();
    m_global.replaceContent(incoming);
    return true;
}

bool DocumentSession::onSaveDocument(const QString &path)
{
    bool written = false;
    {
        const BusyCursor busy;
        written = velmo::DocumentFile::save(m_global, path);
    }
    if (!written)
        return false;
    setModifiedFlag(false);
    Q_EMIT saved();
    return true;
}

bool DocumentSession::saveModified()
{
    if (!isModified()) {
        Q_EMIT changesDiscarded();
        return true;
    }
    const QString name = m_pathName.isEmpty() ? title() : m_pathName;
    const QMessageBox::StandardButton answer = m_messageBoxes.ask(
        saveQuestion(name), QMessageBox::Warning,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    switch (answer) {
    case QMessageBox::Yes:
        return doFileSave();
    case QMessageBox::No:
        Q_EMIT changesDiscarded();
        return true;
    default:
        return false;
    }
}

bool DocumentSession::doFileSave()
{
    const QFileInfo info(m_pathName);
    if (m_pathName.isEmpty() || (info.exists() && !info.isWritable()))
        return doSaveAs();
    return onSaveDocument(m_pathName);
}

bool DocumentSession::doSaveAs()
{
    const QString proposed = m_pathName.isEmpty()
                                 ? dialogFolder() + u'/' + title() + u'.' + defaultExtension()
                                 : m_pathName;
    const QString chosen = m_fileDialogs.getSaveFileName(
        u"名前を付けて保存"_s, proposed, {fileFilter(), allFilesFilter()}, defaultExtension());
    if (chosen.isEmpty())
        return false;
    const QString absolute = QFileInfo(chosen).absoluteFilePath();
    if (!onSaveDocument(absolute))
        return false;
    setPathName(absolute, true);
    return true;
}

void DocumentSession::onPathSetting(QWidget *parent)
{
    ProgramPathsDialog dialog(m_settings, m_fileDialogs, parent);
    if (dialog.exec() == QDialog::Accepted)
        m_global.externalPrograms = dialog.programs();
}
