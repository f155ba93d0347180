// DocumentController, what the main window's widgets forward the user's actions to: the current
// site and its working folder, the selection routed to the property and content panes, the
// preview of the selection, the object commands and the site output.
#pragma once

#include <functional>

#include <QObject>

#include "generator/linkcheck.h"
#include "generator/siteoutput.h"
#include "model/objectid.h"
#include "model/objectref.h"

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
class QUrl;

class DocumentController : public QObject
{
    Q_OBJECT

public:
    // Pages done and pages in all, after each page of a site output.
    using ProgressCallback = std::function<void(int done, int total)>;

    explicit DocumentController(velmo::Document &document, QObject *parent = nullptr);
    ~DocumentController() override;

    velmo::Document &document() const { return m_document; }
    // Where questions before irreversible commands are asked; without one nothing is destroyed
    // that needs a question.
    void setMessageBoxes(MessageBoxWrapper *messageBoxes) { m_messageBoxes = messageBoxes; }

    // The document's sites were listed anew: the site carrying the current mark, else the one
    // at preferred, else the first becomes the current site and gets its working folder.
    // Returns its index; -1 without sites, or when preferred lies past the last site.
    int adoptCurrentSite(int preferred);
    // The user chose the site at index: it takes the current mark and becomes current.
    velmo::Site *chooseSite(int index);
    // The site at index becomes current again before its trees are rebuilt; reports when there
    // is no such site.
    velmo::Site *reselectSite(int index);

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
    // Routes null when the object routed last is subtree or lies below it, before they go.
    void releaseIfWithin(velmo::Object *subtree);
    // Writes the page that shows object into the working folder and asks for its preview.
    // False when object has no page or the page could not be written.
    bool preview(velmo::Object *object);
    // The preview is about to show url. When it is a page of the current site's working folder,
    // that page is written first (it may never have been), and its object is to be selected.
    void followPreviewLink(const QUrl &url);

    // A command of the menu tree's context menu on target.
    void runCommand(int command, velmo::Object *target);
    // "上へ" / "下へ": true when object moved; the menu tree is rebuilt afterwards.
    bool moveObject(velmo::Object *object, bool up);
    // A drop of source on target, moved or copied. True when the document changed.
    bool drop(velmo::Object *source, velmo::Object *target, bool copy);
    // How many objects the current site's storage box holds, everything below them included.
    int storedObjectCount() const;
    // "空にする": destroys what the current site's storage box holds, once the user has agreed
    // to the number of objects that go. False when nothing was destroyed.
    bool emptyStorage();
    // "HTML出力" of the current site; published receives the published folder.
    velmo::gen::SiteOutput::Result outputSite(QString *published,
                                              const ProgressCallback &progress = {});
    // What the last site output did, in one line for the status bar.
    QString outputSummary() const;
    // The link check of the last site output, and the working folder its files lie in.
    const velmo::gen::LinkCheck::Result &lastLinkCheck() const { return m_lastLinkCheck; }
    const QString &lastLinkCheckFolder() const { return m_lastLinkCheck.folder; }

    // Editing, for the property forms and the content editor. Each acts only on an object of
    // the document; one that went away meanwhile is left alone.
    //
    // A new name for object, shown at once in its tree item.
    void renameObject(velmo::Object *object, const QString &name);
    // The link-menu check box: the category's kind changes (its link target stays), and the
    // menu tree is rebuilt so that it shows the category's new icon.
    void setLinkMenu(velmo::Category *category, bool on);
    // The template of a page or content group becomes name.
    void setTemplateName(velmo::Object *object, const QString &name);
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
    // "全て更新": the whole current site is written again, as "HTML出力" does without opening
    // the published folder. Returns when it is done.
    void requestSiteUpdate() { Q_EMIT siteUpdateRequested(); }

    // Every change of the document's content passes here, whoever made it: the count tells the
    // autosave whether anything happened since it last wrote, without encoding the document.
    void noteEdit();
    quint64 editCount() const { return m_editCount; }

Q_SIGNALS:
    // The object the property and content panes are to show; null lets them let go of theirs.
    void selectionChanged(velmo::Object *object);
    // The page for the selection was written to path.
    void previewRequested(const QString &path);
    // The page at path is to be shown at anchor (none: its top). With keepScroll, a page
    // already on view is reloaded where the user had scrolled it.
    void pagePreviewRequested(const QString &path, const QString &anchor, bool keepScroll);
    // An object's name changed: its tree item is to show it.
    void objectRenamed(velmo::Object *object);
    // The whole current site is to be written again, with progress, without opening a folder.
    void siteUpdateRequested();
    // Posted after a change of the document's structure.
    void menuTreeRebuildRequested();
    void storageTreeRefreshRequested();
    // Posted after the rebuild a command asked for: object (made or moved by the command) is to
    // be selected, scrolled into view and previewed. Null when it went away meanwhile.
    void revealRequested(velmo::Object *object);

private:
    // The content group whose page shows object: its own, its page's first, its category's
    // first page's, or the one of the page a link menu leads to.
    velmo::ContentGroup *previewGroupFor(velmo::Object *object) const;
    // Writes the page that shows object into the working folder; its path, or empty when there
    // is no such page or it could not be written.
    QString writePreviewPage(velmo::Object *object);
    void post(void (DocumentController::*signal)());
    void postReveal(velmo::Object *object);

    velmo::Document &m_document;
    MessageBoxWrapper *m_messageBoxes = nullptr;
    quint64 m_editCount = 0;
    // Made on first use: only the menu tree's selection is ever previewed.
    std::unique_ptr<velmo::gen::SiteOutput> m_previewOutput;
    velmo::gen::OutputStatistics m_lastOutput;
    velmo::gen::LinkCheck::Result m_lastLinkCheck;
    // The page a followed link led to: its selection in the tree needs no preview of its own.
    velmo::ObjectRef m_followedPage;
    velmo::ObjectRef m_routed;
    // Whether null was routed last, as a routed object that is gone reads as null too.
    bool m_routedNull = true;
    // Counts resets; a selection posted before the latest reset is stale when it arrives.
    quint64 m_selectionGeneration = 0;
};
