// DocumentController, what the main window's widgets forward the user's actions to: the current
// site and its working folder, the selection routed to the property and content panes, the
// preview of the selection, every edit (through the one writer and its undo history), undo and
// redo, the clipboard of objects, and the site output with its progress.
#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QTimer>

#include "generator/linkcheck.h"
#include "generator/siteoutput.h"
#include "model/documentwriter.h"
#include "model/objectid.h"
#include "model/objectref.h"
#include "model/undohistory.h"

namespace velmo {
class Category;
class Content;
class ContentGroup;
class Document;
class Page;
class Object;
class Site;
} // namespace velmo

class MessageBoxWrapper;
class QEventLoop;
class QUrl;

class DocumentController : public QObject
{
    Q_OBJECT

public:
    explicit DocumentController(velmo::Document &document, QObject *parent = nullptr);
    ~DocumentController() override;

    velmo::Document &document() const { return m_document; }
    velmo::UndoHistory &history() { return m_history; }
    velmo::DocumentWriter &writer() { return m_writer; }
    // Where questions before irreversible commands are asked; without one nothing is destroyed
    // that needs a question.
    void setMessageBoxes(MessageBoxWrapper *messageBoxes) { m_messageBoxes = messageBoxes; }

    // The document's sites were listed anew: the current site stays current; without one the
    // site at preferred, else the first, becomes current. The current site gets its working
    // folder. Returns its index; -1 without sites, or when preferred lies past the last site.
    int adoptCurrentSite(int preferred);
    // The user chose the site at index: it becomes current.
    velmo::Site *chooseSite(int index);

    // The user selected object (or nothing) in the menu tree: the property and content panes
    // get it through the event queue, and the page that shows it is previewed now.
    void select(velmo::Object *object);
    // Routes object through the event queue, after what is already waiting there.
    void postSelection(velmo::Object *object);
    // Hands object to the property and content panes, unless it is the object routed last.
    void routeSelection(velmo::Object *object);
    // The object routed last while it exists; null otherwise.
    velmo::Object *routedObject() const { return m_routed.get(); }
    // Empties the panes and forgets the last object; selections still waiting in the queue are
    // dropped. Done before the document's content is replaced.
    void resetSelection();
    // Writes the page that shows object into the working folder and asks for its preview.
    // False when object has no page or the page could not be written; a category, page or
    // content then shows a line saying that it has nothing to show yet, never the page shown
    // before.
    bool preview(velmo::Object *object);
    // How long typing must pause before the page is previewed again.
    static constexpr int kLivePreviewDelayMs = 400;
    // "自動プレビュー": on, every change of the document that a form or dialog makes (titles,
    // templates, preview options, link targets) shows the selection's page again once the
    // changes pause, where the page was scrolled.
    void setAutoPreview(bool on);
    bool autoPreview() const { return m_autoPreview; }
    // The preview is about to show url. When it is a page of the current site's working folder,
    // that page is written first (it may never have been), and its object is to be selected.
    void followPreviewLink(const QUrl &url);
    // The object is to be selected and shown in the tree that holds it; the site it belongs to
    // becomes current first.
    void reveal(velmo::Object *object);

    // A command of the menu tree's context menu on target.
    void runCommand(int command, velmo::Object *target);
    // "上へ" / "下へ": true when object is where it should be.
    bool moveObject(velmo::Object *object, bool up);
    // A drop of source on target, moved or copied. True when the document changed.
    bool drop(velmo::Object *source, velmo::Object *target, bool copy);
    // How many objects the current site's storage box holds, everything below them included.
    int storedObjectCount() const;
    // "空にする": takes out what the current site's storage box holds, once the user has agreed
    // to the number of objects that go (undo brings them back). False when nothing went.
    bool emptyStorage();

    // The 編集 menu.
    void undo();
    void redo();
    bool canCut(const velmo::Object *object) const { return m_writer.canCopy(object); }
    bool cut(velmo::Object *object);
    bool copy(velmo::Object *object);
    bool canPaste(const velmo::Object *target) const { return m_writer.canPaste(target); }
    bool paste(velmo::Object *target);

    // Stops the running site output at the next page, or while it waits for its pictures; it
    // then publishes nothing.
    void cancelOutput();
    // "HTML出力" of the current site: generated, its links checked, published. published
    // receives the published folder.
    velmo::gen::SiteOutput::Result outputSite(QString *published = nullptr);
    // "全て更新": every page of the current site written again into its working folder, with
    // the preview options applied; nothing is published.
    velmo::gen::SiteOutput::Result regenerateSite();
    // What the last site output did, in one line for the status bar.
    QString outputSummary() const;
    const velmo::gen::OutputStatistics &lastOutputStatistics() const { return m_lastOutput; }
    // The link check of the last site output, and the working folder its files lie in.
    const velmo::gen::LinkCheck::Result &lastLinkCheck() const { return m_lastLinkCheck; }
    const QString &lastLinkCheckFolder() const { return m_lastLinkCheck.folder; }

    // Editing, for the property forms, the content editor and the dialogs. Each acts only on
    // an object of the document and adds a step to the history when something changed.
    void setField(velmo::Object *object, velmo::Field field, const velmo::FieldValue &value);
    void renameObject(velmo::Object *object, const QString &name);
    // The link-menu check box: the category's kind changes (its link target stays).
    void setLinkMenu(velmo::Category *category, bool on);
    void setLinkTarget(velmo::Category *category, const velmo::Object *target);
    // The template of a page or content group becomes name.
    void setTemplateName(velmo::Object *object, const QString &name);
    // A field lost the focus: what is typed next is a step of its own.
    void endTyping();
    // Opens the file at path in text editor 1, else in the desktop's text editor; false when
    // the file does not exist or nothing could be started.
    bool openInTextEditor(const QString &path);
    // Where the user's pictures live: the data root's "user_image".
    QString userImageFolder() const;

    // How the content editor's text reaches the preview.
    enum class ContentPreview {
        None,      // stored only
        Page,      // the page is written and shown from its top
        AtContent, // the page is written and shown scrolled to the content's group
        Live,      // as AtContent, but a page already on view keeps its scroll position
    };
    // Stores text (line breaks as typed) as content's value with "\r\n" line breaks, then
    // writes and previews its page as asked. False when content is not in the document or its
    // page could not be written.
    bool updateContent(velmo::Content *content, const QString &text, ContentPreview preview);
    // The anchor the page carries for the group of content: its name, blanks as "_".
    static QString contentAnchor(const velmo::Content *content);

Q_SIGNALS:
    // The object the property and content panes are to show; null lets them let go of theirs.
    void selectionChanged(velmo::Object *object);
    // The page for the selection was written to path.
    void previewRequested(const QString &path);
    // The selection has no page to show: the preview shows text instead.
    void previewMessageRequested(const QString &text);
    // The page at path is to be shown at anchor (none: its top). With keepScroll, a page
    // already on view is reloaded where the user had scrolled it.
    void pagePreviewRequested(const QString &path, const QString &anchor, bool keepScroll);
    // object is to be selected, scrolled into view and previewed in the tree that shows it.
    void revealRequested(velmo::Object *object);
    // A site output began, with total pages to write.
    void outputStarted(int total);
    // A page of a site output is done.
    void outputProgress(int done, int total);
    // The pages are written; total pictures are being made, done of them so far.
    void outputPicturesStarted(int total);
    void outputPicturesProgress(int done, int total);
    // A site output completed: what it did, and the folder it published to (empty when it
    // published nothing).
    void outputFinished(const QString &summary, const QString &publishedFolder);
    // The site output just finished found links that lead nowhere.
    void brokenLinksFound();

private:
    // The content group whose page shows object: its own, its page's first, its category's
    // first page's, or the one of the page a link menu leads to.
    velmo::ContentGroup *previewGroupFor(velmo::Object *object) const;
    // Writes the page that shows object into the working folder; its path, or empty when there
    // is no such page or it could not be written.
    QString writePreviewPage(velmo::Object *object);
    // What is written to preview object: the group previewGroupFor finds, else a page that has
    // no content yet (its template is shown around nothing); null when there is no page.
    velmo::Object *previewTargetFor(velmo::Object *object) const;
    void onFieldChanged(velmo::Object *object, velmo::Field field);
    void onFormPreviewDue();
    // The site whose menu tree or storage box shows object, or null.
    velmo::Site *siteShowing(velmo::Object *object) const;
    void makePreviewOutput();
    void onPreviewPicturesReady();
    // Gives a whole-site run its cancel check and its wait for the pictures.
    void prepareRun(velmo::gen::SiteOutput &output);
    bool waitForPictures(velmo::gen::ImageScaler &scaler);
    void finishCancelled();
    // Pages the current site's output writes, for the progress.
    int pagesToOutput() const;
    void onObjectRemoved(velmo::Object *object);
    void onStepApplied(const velmo::UndoCommand *command, bool undone);

    velmo::Document &m_document;
    velmo::UndoHistory m_history;
    velmo::DocumentWriter m_writer;
    MessageBoxWrapper *m_messageBoxes = nullptr;
    // Made on first use: only the menu tree's selection is ever previewed.
    std::unique_ptr<velmo::gen::SiteOutput> m_previewOutput;
    velmo::gen::OutputStatistics m_lastOutput;
    velmo::gen::LinkCheck::Result m_lastLinkCheck;
    bool m_lastOutputPublished = false;
    bool m_autoPreview = true;
    // Set while a whole-site run is under way; previews then write nothing.
    bool m_outputRunning = false;
    bool m_outputCancelled = false;
    QEventLoop *m_pictureLoop = nullptr;
    QTimer m_formPreview;
    // The page last written for the preview, or that a followed link led to.
    QString m_writtenPreview;
    // The page a followed link led to: its selection in the tree needs no preview of its own.
    velmo::ObjectRef m_followedPage;
    velmo::ObjectRef m_routed;
    // What the page last written for the preview shows: written again once its pictures are
    // made.
    velmo::ObjectRef m_previewedTarget;
    // Whether null was routed last, as a routed object that is gone reads as null too.
    bool m_routedNull = true;
    // Counts resets; a selection posted before the latest reset is stale when it arrives.
    quint64 m_selectionGeneration = 0;
};
