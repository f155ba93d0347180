// The document: opening, saving, the modified flag and the directory settings.
#include "app/cvelmodoc.h"

#include "app/externalprograms.h"
#include "app/qfiledialogwrapper.h"
#include "app/qmessageboxwrapper.h"
#include "app/qpathsettingdialog.h"
#include "model/qcontent.h"
#include "model/qcontentgroup.h"
#include "model/qdocumentfile.h"
#include "model/qglobal.h"
#include "model/qid.h"
#include "model/qsite.h"

#include <QFileInfo>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

// Hands every element of from to to, whose old elements are destroyed.
template<class List>
void moveElements(List &from, List &to)
{
    to.Clear();
    for (auto *element : from)
        to.Add(element, nullptr);
    from.Release();
}

} // namespace

void markDocumentModified(velmo::QGlobal &global)
{
    global.setModified(true);
}

CVelmoDoc::CVelmoDoc(velmo::QGlobal &global, QSettings &settings, QMessageBoxWrapper &messageBoxes,
                     QFileDialogWrapper &fileDialogs, QObject *parent)
    : QObject(parent), m_global(global), m_settings(settings), m_messageBoxes(messageBoxes),
      m_fileDialogs(fileDialogs)
{
    m_global.externalPrograms = readExternalProgramSettings(m_settings);
}

QString CVelmoDoc::fileFilter()
{
    return u"Velmo Files (*.vlm)"_s;
}

QString CVelmoDoc::defaultExtension()
{
    return u"vlm"_s;
}

QString CVelmoDoc::title() const
{
    return m_pathName.isEmpty() ? u"Untitled"_s : QFileInfo(m_pathName).fileName();
}

bool CVelmoDoc::isModified() const
{
    return m_global.isModified();
}

void CVelmoDoc::setModifiedFlag(bool modified)
{
    m_global.setModified(modified);
}

void CVelmoDoc::setPathName(const QString &path, bool addToRecent)
{
    m_pathName = path;
    Q_EMIT titleChanged(title());
    if (addToRecent && !path.isEmpty())
        Q_EMIT pathRecorded(path);
}

bool CVelmoDoc::onNewDocument()
{
    Q_EMIT contentAboutToBeReplaced();
    m_global.NewDocument();
    setModifiedFlag(false);
    setPathName(QString(), false);
    return true;
}

bool CVelmoDoc::onOpenDocument(const QString &path)
{
    const QFileInfo info(path);
    const QString absolute = info.absoluteFilePath();
    if (info.isFile() && info.size() == 0) {
        // An empty file is opened without reading anything, so nothing is replaced.
        setModifiedFlag(false);
        setPathName(absolute, true);
        return true;
    }

    // The file is read into a root of its own first: a broken file then costs nothing of the
    // open document. That root's constructor restarts the identity counter, which must keep
    // counting for the objects of this run.
    const qint32 counter = velmo::sequenceCounter;
    velmo::QGlobal incoming(m_global.programFolder());
    velmo::sequenceCounter = counter;
    incoming.setReporter(m_global.reporter());
    if (!velmo::QDocumentFile::open(incoming, absolute))
        return false;

    Q_EMIT contentAboutToBeReplaced();
    m_global.NewDocument();
    moveElements(incoming.contentTypes, m_global.contentTypes);
    moveElements(incoming.partTypes, m_global.partTypes);
    moveElements(incoming.sites, m_global.sites);
    setModifiedFlag(false);
    setPathName(absolute, true);
    return true;
}

bool CVelmoDoc::onSaveDocument(const QString &path)
{
    if (!velmo::QDocumentFile::save(m_global, path))
        return false;
    setModifiedFlag(false);
    return true;
}

bool CVelmoDoc::saveModified()
{
    if (!isModified())
        return true;
    const QString name = m_pathName.isEmpty() ? title() : m_pathName;
    const QMessageBox::StandardButton answer = m_messageBoxes.ask(
        u"Save changes to %1?"_s.arg(name), QMessageBox::Warning,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    switch (answer) {
    case QMessageBox::Yes:
        return doFileSave();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool CVelmoDoc::doFileSave()
{
    const QFileInfo info(m_pathName);
    if (m_pathName.isEmpty() || (info.exists() && !info.isWritable()))
        return doSaveAs();
    return onSaveDocument(m_pathName);
}

bool CVelmoDoc::doSaveAs()
{
    const QString proposed =
        m_pathName.isEmpty() ? title() + u'.' + defaultExtension() : m_pathName;
    const QString chosen = m_fileDialogs.getSaveFileName(
        u"名前を付けて保存"_s, proposed, {fileFilter(), u"All Files (*)"_s}, defaultExtension());
    if (chosen.isEmpty())
        return false;
    const QString absolute = QFileInfo(chosen).absoluteFilePath();
    if (!onSaveDocument(absolute))
        return false;
    setPathName(absolute, true);
    return true;
}

void CVelmoDoc::onPathSetting(QWidget *parent)
{
    QPathSettingDialog dialog(m_settings, m_fileDialogs, parent);
    if (dialog.exec() == QDialog::Accepted)
        m_global.externalPrograms = dialog.programs();
}
