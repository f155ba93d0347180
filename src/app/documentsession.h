// DocumentSession, the one document of the program: the document root's file, its path and title,
// the modified state (the undo history's saved state), New, Open, Save, Save As and the
// directory settings.
#pragma once

#include <functional>

#include <QByteArray>
#include <QObject>
#include <QString>

class FileDialogWrapper;
class MessageBoxWrapper;
class QSettings;
class QWidget;

namespace velmo {
class Document;
class UndoHistory;
} // namespace velmo

class DocumentSession : public QObject
{
    Q_OBJECT

public:
    // Reads the external program paths from settings into the root. history is the document's
    // undo history: the session clears it for New and Open and marks the saved state in it.
    DocumentSession(velmo::Document &global, velmo::UndoHistory &history, QSettings &settings,
                    MessageBoxWrapper &messageBoxes, FileDialogWrapper &fileDialogs,
                    QObject *parent = nullptr);

    velmo::Document &global() const { return m_global; }
    // The absolute path of the document's file; empty for a new document.
    const QString &pathName() const { return m_pathName; }
    // The file name, or "無題" for a new document.
    QString title() const;
    // The title with "*" after it while the document has unsaved changes.
    QString displayTitle() const;
    // Whether the history holds edits since the document was last opened, created or saved
    // (undoing back to that state clears it). Values the site output derives do not count, nor
    // does merely looking at the document.
    bool isModified() const;
    // true: counts as modified whatever the history says (until the next save, open or new);
    // false: the present content becomes the saved state.
    void setModifiedFlag(bool modified = true);

    // The model's "new": sites go, catalogues stay; the document has no path and is unmodified.
    bool onNewDocument();
    // Reads path into the document. When the file cannot be read the user is told and the
    // document stays exactly as it was: content, path and modified flag. An empty file changes
    // nothing but the path.
    bool onOpenDocument(const QString &path);
    // Writes the whole document to path; the old file is replaced only by a complete new one.
    bool onSaveDocument(const QString &path);
    // The document becomes the state kept in a recovery file: bytes is a whole document, path
    // the file it belongs to (empty: never saved). It counts as modified, so that Save writes
    // it to path. False, and nothing changed, when bytes is not a readable document.
    bool restoreRecovered(const QByteArray &bytes, const QString &path);

    // saveQuestion when the document is modified: true to go on (saved or not saved),
    // false when the user cancels or the save fails.
    bool saveModified();
    // Save: to the document's path, or through Save As when it has none.
    bool doFileSave();
    // Save As: asks for a file name first; false when cancelled or not saved.
    bool doSaveAs();

    // "ディレクトリ設定": edits the stored program paths; OK puts them in use as well.
    void onPathSetting(QWidget *parent);

    static QString fileFilter();
    static QString allFilesFilter();
    // The name of a document never saved.
    static QString untitledName();
    // What closing, New and Open ask about a modified document.
    static QString saveQuestion(const QString &name);
    // Where file dialogs about the document start: its folder, else the user's home.
    QString dialogFolder() const;
    static QString defaultExtension();

Q_SIGNALS:
    void titleChanged(const QString &title);
    // The content is about to be replaced (New, a successful Open): views must let go of every
    // document object they hold.
    void contentAboutToBeReplaced();
    // A path the document was opened from or saved to, for the recent-file list.
    void pathRecorded(const QString &path);
    // The content is in the document's file now.
    void saved();
    // The user gave up the changes (or there were none) before the content goes: New, Open,
    // closing the window.
    void changesDiscarded();

private:
    // Replaces the content with what read puts into a fresh root; nothing changes when it fails.
    bool replaceContent(const std::function<bool(velmo::Document &)> &read);
    void setPathName(const QString &path, bool addToRecent);
    void refreshModifiedState();

    velmo::Document &m_global;
    velmo::UndoHistory &m_history;
    QSettings &m_settings;
    MessageBoxWrapper &m_messageBoxes;
    FileDialogWrapper &m_fileDialogs;
    QString m_pathName;
    bool m_forcedModified = false;
    // What the title shows.
    bool m_shownModified = false;
};
