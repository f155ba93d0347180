// DocumentController, what the main window's widgets forward the user's actions to: the current
// site and its working folder, the selection routed to the property and content panes, the
// preview of the selection, the object commands and the site output.
#pragma once

#include <functional>

#include <QObject>

#include "generator/siteoutput.h"
#include "model/objectid.h"
#include "model/objectref.h"

namespace velmo {
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

Q_SIGNALS:
    // The object the property and content panes are to show; null lets them let go of theirs.
    void selectionChanged(velmo::Object *object);
    // The page for the selection was written to path.
    void previewRequested(const QString &path);
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
    void post(void (DocumentController::*signal)());
    void postReveal(velmo::Object *object);

    velmo::Document &m_document;
    MessageBoxWrapper *m_messageBoxes = nullptr;
    // Made on first use: only the menu tree's selection is ever previewed.
    std::unique_ptr<velmo::gen::SiteOutput> m_previewOutput;
    velmo::gen::OutputStatistics m_lastOutput;
    // The page a followed link led to: its selection in the tree needs no preview of its own.
    velmo::ObjectRef m_followedPage;
    velmo::ObjectRef m_routed;
    // Whether null was routed last, as a routed object that is gone reads as null too.
    bool m_routedNull = true;
    // Counts resets; a selection posted before the latest reset is stale when it arrives.
    quint64 m_selectionGeneration = 0;
};
