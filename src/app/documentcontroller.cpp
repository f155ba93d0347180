// The controller between the main window's widgets and the document.
#include "app/documentcontroller.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QUrl>

#include "app/documentsession.h"
#include "app/externalprograms.h"
#include "app/messageboxwrapper.h"
#include "generator/sitepaths.h"
#include "model/category.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/lookup.h"
#include "model/objectcommands.h"
#include "model/page.h"
#include "model/site.h"
#include "model/templatefiles.h"

using namespace Qt::StringLiterals;

namespace {

// The mark a site carries in listItemState when it was the one chosen last.
constexpr qint32 kCurrentMark = 0x2;

// A site output that reports each page it hands to generatePage.
class CountingSiteOutput : public velmo::gen::SiteOutput
{
public:
    CountingSiteOutput(velmo::Document &document, int total,
                       const DocumentController::ProgressCallback &progress)
        : SiteOutput(document), m_total(total), m_progress(progress)
    {}

    int generatePage(velmo::Site &site, velmo::OutputContext &context, const QString &subFolder,
                     velmo::ObjectChain &chain) override
    {
        const int written = SiteOutput::generatePage(site, context, subFolder, chain);
        ++m_done;
        if (m_progress)
            m_progress(qMin(m_done, m_total), m_total);
        return written;
    }

private:
    int m_total;
    const DocumentController::ProgressCallback &m_progress;
    int m_done = 0;
};

bool isDeleteCommand(int command)
{
    return command == velmo::ObjectCommands::DeleteCategory ||
           command == velmo::ObjectCommands::DeletePage ||
           command == velmo::ObjectCommands::DeleteContentGroup;
}

} // namespace

DocumentController::DocumentController(velmo::Document &document, QObject *parent)
    : QObject(parent), m_document(document)
{}

DocumentController::~DocumentController() = default;

int DocumentController::adoptCurrentSite(int preferred)
{
    const velmo::SiteList &sites = m_document.sites;
    int chosen = preferred;
    for (int i = 0; i < sites.count(); ++i) {
        if ((sites.at(i)->listItemState & kCurrentMark) != 0)
            chosen = i;
    }
    if (sites.isEmpty() || chosen >= sites.count())
        return -1;
    chosen = qMax(chosen, 0);
    velmo::Site *site = sites.at(chosen);
    m_document.setCurrentSite(site);
    velmo::gen::SiteOutput::prepareWorkingFolder(m_document, site);
    return chosen;
}

velmo::Site *DocumentController::chooseSite(int index)
{
    velmo::Site *site = m_document.sites.at(index);
    if (site == nullptr)
        return nullptr;
    for (velmo::Site *other : m_document.sites)
        other->listItemState &= ~kCurrentMark;
    site->listItemState |= kCurrentMark;
    m_document.setCurrentSite(site);
    return site;
}

velmo::Site *DocumentController::reselectSite(int index)
{
    velmo::Site *site = m_document.sites.at(index);
    if (site == nullptr) {
        m_document.report(u"サイトを変更できませんでした。"_s);
        return nullptr;
    }
    m_document.setCurrentSite(site);
    return site;
}

void DocumentController::select(velmo::Object *object)
{
    // Posted, as the other panes take the selection after the tree has finished with it.
    postSelection(object);
    // The preview already shows the page a followed link selected.
    const bool followed = object != nullptr && m_followedPage.get() == object;
    m_followedPage.reset();
    if (!followed)
        preview(object);
}

void DocumentController::followPreviewLink(const QUrl &url)
{
    velmo::Site *site = m_document.getCurrentSite();
    if (site == nullptr || !url.isLocalFile())
        return;
    const QString path = QDir::cleanPath(url.toLocalFile());
    const QString working =
        QDir::cleanPath(velmo::gen::SitePaths::workingFolder(m_document, *site));
    if (!path.startsWith(working + u'/'))
        return;
    // The home page is written as index.html whatever its own file name.
    velmo::Page *found = nullptr;
    velmo::Page *home = velmo::gen::SiteOutput::findHomePage(*site);
    if (home != nullptr && path == working + u"/index.html"_s)
        found = home;
    for (velmo::Category *category : velmo::gen::SiteOutput::collectCategories(*site)) {
        for (velmo::Page *page : category->pages) {
            if (found == nullptr && page != home &&
                QDir::cleanPath(velmo::gen::SitePaths::pageFile(*site, *page, working)) == path)
                found = page;
        }
    }
    velmo::ContentGroup *group = found != nullptr ? velmo::firstContentGroup(found) : nullptr;
    if (group == nullptr)
        return;
    if (m_previewOutput == nullptr)
        m_previewOutput = std::make_unique<velmo::gen::SiteOutput>(m_document);
    m_previewOutput->outputObject(group);
    // The tree follows the preview, unless what it has selected already shows this page.
    velmo::ContentGroup *shown = previewGroupFor(m_routed.get());
    if (shown == nullptr || velmo::ancestorOf<velmo::Page>(shown) != found) {
        m_followedPage = velmo::ObjectRef(found);
        postReveal(found);
    }
}

void DocumentController::postSelection(velmo::Object *object)
{
    const quint64 generation = m_selectionGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, ref = velmo::ObjectRef(object), wasNull = object == nullptr, generation] {
            // An object destroyed meanwhile arrives as null.
            if (generation == m_selectionGeneration)
                routeSelection(wasNull ? nullptr : ref.get());
        },
        Qt::QueuedConnection);
}

void DocumentController::routeSelection(velmo::Object *object)
{
    if (object == nullptr ? m_routedNull : m_routed.get() == object)
        return;
    m_routed = velmo::ObjectRef(object);
    m_routedNull = object == nullptr;
    Q_EMIT selectionChanged(object);
}

void DocumentController::resetSelection()
{
    ++m_selectionGeneration;
    m_routed.reset();
    m_routedNull = true;
    Q_EMIT selectionChanged(nullptr);
}

void DocumentController::releaseIfWithin(velmo::Object *subtree)
{
    velmo::Object *routed = m_routed.get();
    if (routed != nullptr && velmo::isWithin(routed, subtree))
        routeSelection(nullptr);
}

velmo::ContentGroup *DocumentController::previewGroupFor(velmo::Object *object) const
{
    // A link menu shows the page it leads to; a chain of links is followed a few steps only,
    // as two link menus may name each other.
    for (int hops = 0; object != nullptr && hops < 8; ++hops) {
        auto *category = velmo::object_cast<velmo::Category>(object);
        if (category == nullptr || !category->isLinkMenu())
            break;
        auto *site = velmo::ancestorOf<velmo::Site>(category);
        velmo::Object *target = site != nullptr ? site->findById(category->linkTarget) : nullptr;
        if (target == nullptr || target == object)
            break;
        object = target;
    }
    if (object == nullptr)
        return nullptr;
    // A group, or anything inside one (a content, a sub-group), shows the page of its top
    // group: the group the page was written for.
    velmo::ContentGroup *group = nullptr;
    for (velmo::Object *up = object; up != nullptr; up = up->parent()) {
        if (auto *found = velmo::object_cast<velmo::ContentGroup>(up))
            group = found;
        else if (group != nullptr)
            break;
    }
    if (group != nullptr)
        return group;
    // A page shows itself; its category's first page would be another page.
    if (velmo::object_cast<velmo::Page>(object) != nullptr)
        return velmo::firstContentGroup(object);
    if (velmo::Category *category = velmo::owningCategory(object))
        return velmo::firstContentGroup(category);
    return nullptr;
}

QString DocumentController::writePreviewPage(velmo::Object *object)
{
    velmo::ContentGroup *group = previewGroupFor(object);
    if (group == nullptr)
        return {};
    if (m_previewOutput == nullptr)
        m_previewOutput = std::make_unique<velmo::gen::SiteOutput>(m_document);
    const velmo::gen::SiteOutput::PreviewOutput output = m_previewOutput->outputObject(group);
    if (output.result != velmo::gen::SiteOutput::PreviewResult::Written)
        return {};
    return output.path;
}

bool DocumentController::preview(velmo::Object *object)
{
    const QString path = writePreviewPage(object);
    if (path.isEmpty())
        return false;
    Q_EMIT previewRequested(path);
    return true;
}

void DocumentController::post(void (DocumentController::*signal)())
{
    QMetaObject::invokeMethod(
        this,
        [this, signal] {
            Q_EMIT(this->*signal)
            ();
        },
        Qt::QueuedConnection);
}

void DocumentController::postReveal(velmo::Object *object)
{
    QMetaObject::invokeMethod(
        this,
        [this, ref = velmo::ObjectRef(object)] {
            if (velmo::Object *alive = ref.get())
                Q_EMIT revealRequested(alive);
        },
        Qt::QueuedConnection);
}

void DocumentController::runCommand(int command, velmo::Object *target)
{
    if (target == nullptr)
        return;
    if (isDeleteCommand(command)) {
        // Whoever shows the object or something below it lets go first.
        const velmo::ObjectRef ref(target);
        releaseIfWithin(target);
        if ((target = ref.get()) == nullptr)
            return;
    }
    velmo::ObjectCommands commands(m_document);
    const velmo::ObjectCommands::Outcome outcome = commands.run(command, target);
    if (outcome.changed)
        noteEdit();
    if (outcome.refreshStorageTree)
        post(&DocumentController::storageTreeRefreshRequested);
    if (outcome.rebuildMenuTree)
        post(&DocumentController::menuTreeRebuildRequested);
    // After the rebuild, so that the new object has its item.
    if (outcome.created != nullptr)
        postReveal(outcome.created);
}

bool DocumentController::moveObject(velmo::Object *object, bool up)
{
    if (object == nullptr)
        return false;
    const bool moved =
        up ? velmo::ObjectCommands::moveUp(object) : velmo::ObjectCommands::moveDown(object);
    if (!moved)
        return false;
    noteEdit();
    post(&DocumentController::menuTreeRebuildRequested);
    postReveal(object);
    return true;
}

bool DocumentController::drop(velmo::Object *source, velmo::Object *target, bool copy)
{
    const bool changed = source != nullptr && target != nullptr &&
                         velmo::ObjectCommands::dropObject(source, target, copy);
    if (changed) {
        noteEdit();
        // The trees are refilled right after the drop; a moved object is then shown where it
        // went. A copy is left unselected, as its new identity is not known here.
        if (!copy)
            postReveal(source);
    }
    return changed;
}

int DocumentController::storedObjectCount() const
{
    velmo::Site *site = m_document.currentSiteUnchecked();
    if (m_document.sites.indexOfObject(site) < 0)
        return 0;
    int count = -1; // the box itself is not destroyed
    site->objectBox.forEachBelow(velmo::Children::Hierarchy, [&count](velmo::Object *) {
        ++count;
        return true;
    });
    return count;
}

bool DocumentController::emptyStorage()
{
    velmo::Site *site = m_document.getCurrentSite();
    if (site == nullptr)
        return false;
    // Emptying cannot be undone, so the user confirms the number of objects that go; an empty
    // box has nothing to confirm and nothing to change.
    const int count = storedObjectCount();
    if (count == 0 || m_messageBoxes == nullptr)
        return false;
    const QString question = u"一時置き場にある %1 個のオブジェクトを完全に削除します。\r\n"
                             u"元に戻すことはできません。よろしいですか？"_s.arg(count);
    if (m_messageBoxes->ask(question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) != QMessageBox::Yes)
        return false;
    releaseIfWithin(&site->objectBox);
    site->objectBox.clearContents();
    noteEdit();
    return true;
}

velmo::gen::SiteOutput::Result DocumentController::outputSite(QString *published,
                                                              const ProgressCallback &progress)
{
    // Counted for the progress only; the output itself checks the current site and reports.
    int total = 0;
    velmo::Site *site = m_document.currentSiteUnchecked();
    // Compared with the sites before it is read: the pointer may be stale.
    if (m_document.sites.indexOfObject(site) >= 0) {
        for (const velmo::Category *category : velmo::gen::SiteOutput::collectCategories(*site)) {
            for (const velmo::Page *page : category->pages)
                total += page->contentGroups.isEmpty() ? 0 : 1;
        }
    }
    CountingSiteOutput output(m_document, total, progress);
    // Checked once generated, before it is published; publishing goes on all the same, and
    // what leads nowhere is told, not hidden.
    velmo::gen::LinkCheck check;
    output.setLinkCheck(&check);
    const velmo::gen::SiteOutput::Result result = output.outputSite(published);
    m_lastOutput = output.statistics();
    m_lastLinkCheck = output.linkCheck();
    return result;
}

QString DocumentController::outputSummary() const
{
    const velmo::gen::OutputStatistics &s = m_lastOutput;
    return u"HTML出力: %1 ページを書き出し、%2 ページは変更なし、画像 %3 枚（うち %4 枚は"
           u"キャッシュから）、メッセージ %5 件、リンク切れ %6 件"_s.arg(s.pagesWritten)
               .arg(s.pagesUnchanged)
               .arg(s.picturesScaled + s.picturesFromCache)
               .arg(s.picturesFromCache)
               .arg(s.messages.size())
               .arg(m_lastLinkCheck.broken.size());
}

void DocumentController::noteEdit()
{
    ++m_editCount;
    markDocumentModified(m_document);
}

void DocumentController::renameObject(velmo::Object *object, const QString &name)
{
    if (object == nullptr || !m_document.owns(object) || object->name == name)
        return;
    object->name = name;
    noteEdit();
    Q_EMIT objectRenamed(object);
}

void DocumentController::setLinkMenu(velmo::Category *category, bool on)
{
    if (category == nullptr || !m_document.owns(category) || category->isLinkMenu() == on)
        return;
    category->setLinkMenu(on);
    noteEdit();
    post(&DocumentController::menuTreeRebuildRequested);
    postReveal(category);
}

void DocumentController::setTemplateName(velmo::Object *object, const QString &name)
{
    if (object == nullptr || !m_document.owns(object))
        return;
    if (auto *page = velmo::object_cast<velmo::Page>(object))
        page->templateName = name;
    else if (auto *group = velmo::object_cast<velmo::ContentGroup>(object))
        group->templateName = name;
    else
        return;
    noteEdit();
}

bool DocumentController::openInTextEditor(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    const QString editor = m_document.externalPrograms.editorPaths.at(0);
    if (editor.isEmpty())
        return openInDefaultTextEditor(path);
    // Quoted, as the path may hold blanks; the program's command line is split at them.
    return launchProgram(editor, u'"' + path + u'"');
}

QString DocumentController::userImageFolder() const
{
    return m_document.programFolder() + u"/user_image"_s;
}

QString DocumentController::contentAnchor(const velmo::Content *content)
{
    const velmo::Object *group = content != nullptr ? content->parent() : nullptr;
    if (group == nullptr)
        return {};
    return QString(group->name).replace(u' ', u'_');
}

bool DocumentController::updateContent(velmo::Content *content, const QString &text,
                                       ContentPreview how)
{
    if (content == nullptr || !m_document.owns(content))
        return false;
    QString value = text;
    // The box may hold lone "\n" and lone "\r"; the document keeps "\r\n" throughout.
    value.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u"\n"_s, u"\r\n"_s);
    if (content->value != value) {
        content->value = value;
        noteEdit();
    }
    if (how == ContentPreview::None)
        return true;
    const QString path = writePreviewPage(content);
    if (path.isEmpty())
        return false;
    if (how == ContentPreview::Page)
        Q_EMIT previewRequested(path);
    else
        Q_EMIT pagePreviewRequested(path, contentAnchor(content), how == ContentPreview::Live);
    return true;
}
