// The controller between the main window's widgets and the document.
#include "app/documentcontroller.h"

#include <algorithm>

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QScopedValueRollback>
#include <QUrl>

#include "app/documentsession.h"
#include "app/externalprograms.h"
#include "app/messageboxwrapper.h"
#include "generator/assemblyrecord.h"
#include "generator/externallinkcheck.h"
#include "generator/pagelinkcache.h"
#include "generator/sitepaths.h"
#include "model/category.h"
#include "model/classification.h"
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

// A site output that reports each page it hands to generatePage.
class CountingSiteOutput : public velmo::gen::SiteOutput
{
public:
    CountingSiteOutput(velmo::Document &document, int total, DocumentController &controller)
        : SiteOutput(document), m_total(total), m_controller(controller)
    {}

    int generatePage(velmo::Site &site, velmo::OutputContext &context, const QString &subFolder,
                     velmo::ObjectChain &chain) override
    {
        const int written = SiteOutput::generatePage(site, context, subFolder, chain);
        ++m_done;
        Q_EMIT m_controller.outputProgress(qMin(m_done, m_total), m_total);
        return written;
    }

private:
    int m_total;
    DocumentController &m_controller;
    int m_done = 0;
};

} // namespace

DocumentController::DocumentController(velmo::Document &document, QObject *parent)
    : QObject(parent), m_document(document), m_writer(document, m_history)
{
    connect(&document, &velmo::Document::objectRemoved, this,
            [this](velmo::Object *object) { onObjectRemoved(object); });
    connect(&m_history, &velmo::UndoHistory::stepApplied, this, &DocumentController::onStepApplied);
    // Before the objects go: nothing may keep showing them.
    connect(&document, &velmo::Document::aboutToReset, this, &DocumentController::resetSelection);
    m_formPreview.setSingleShot(true);
    m_formPreview.setInterval(kLivePreviewDelayMs);
    connect(&m_formPreview, &QTimer::timeout, this, &DocumentController::onFormPreviewDue);
    connect(&document, &velmo::Document::objectChanged, this, &DocumentController::onFieldChanged);
    connect(&document, &velmo::Document::previewAreasChanged, this, [this] {
        if (m_autoPreview)
            m_formPreview.start();
    });
}

void DocumentController::setAutoPreview(bool on)
{
    m_autoPreview = on;
    if (!on)
        m_formPreview.stop();
}

void DocumentController::onFieldChanged(velmo::Object *object, velmo::Field field)
{
    // The content editor previews its own text as it is typed.
    if (!m_autoPreview || field == velmo::Field::Value || m_routed.get() == nullptr)
        return;
    // Titles, names in menus, templates and link targets of the site on view all show on its
    // pages; another site's do not.
    velmo::Site *site = velmo::object_cast<velmo::Site>(object);
    if (site == nullptr)
        site = siteShowing(object);
    if (site != nullptr && site == siteShowing(m_routed.get()))
        m_formPreview.start();
}

void DocumentController::onFormPreviewDue()
{
    velmo::Object *routed = m_routed.get();
    if (routed == nullptr)
        return;
    const QString path = writePreviewPage(routed);
    if (!path.isEmpty())
        Q_EMIT pagePreviewRequested(path, QString(), true);
}

DocumentController::~DocumentController() = default;

int DocumentController::adoptCurrentSite(int preferred)
{
    const velmo::SiteList &sites = m_document.sites;
    int chosen = sites.indexOfObject(m_document.currentSiteUnchecked());
    if (chosen < 0)
        chosen = preferred;
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
    // The page on view, or written for the selection and on its way there: the selection chose
    // it, and its address may well be another page's too (two pages with one file name).
    if (path == m_writtenPreview)
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
    if (m_outputRunning)
        return;
    makePreviewOutput();
    m_previewOutput->outputObject(group);
    m_writtenPreview = path;
    m_previewedTarget = velmo::ObjectRef(group);
    // The tree follows the preview, unless what it has selected already shows this page.
    velmo::ContentGroup *shown = previewGroupFor(m_routed.get());
    if (shown == nullptr || velmo::ancestorOf<velmo::Page>(shown) != found) {
        m_followedPage = velmo::ObjectRef(found);
        // Posted: the browser is in the middle of its navigation.
        QMetaObject::invokeMethod(
            this,
            [this, ref = velmo::ObjectRef(found)] {
                if (velmo::Object *page = ref.get())
                    reveal(page);
            },
            Qt::QueuedConnection);
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

void DocumentController::onObjectRemoved(velmo::Object *object)
{
    // Whoever shows the object or something below it lets go: it is out of the document.
    velmo::Object *routed = m_routed.get();
    if (routed != nullptr && velmo::isAncestorOrSelf(object, routed))
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

void DocumentController::makePreviewOutput()
{
    if (m_previewOutput != nullptr)
        return;
    m_previewOutput = std::make_unique<velmo::gen::SiteOutput>(m_document);
    // The preview's page is written at once, referring to where its pictures will be; once
    // they are all there it is shown again, where it was scrolled.
    connect(&m_previewOutput->pictureScaler(), &velmo::gen::ImageScaler::idle, this,
            &DocumentController::onPreviewPicturesReady);
}

void DocumentController::onPreviewPicturesReady()
{
    // Only what was made changes the page: writing it again for a picture that cannot be
    // decoded would ask for it again, and again.
    const QList<velmo::gen::ImageScaler::Outcome> outcomes =
        m_previewOutput->pictureScaler().takeOutcomes();
    const bool made = std::any_of(outcomes.begin(), outcomes.end(), [](const auto &outcome) {
        return outcome.kind == velmo::gen::ImageScaler::Outcome::Scaled ||
               outcome.kind == velmo::gen::ImageScaler::Outcome::FromCache;
    });
    velmo::Object *target = m_previewedTarget.get();
    if (!made || target == nullptr || m_outputRunning)
        return;
    const velmo::gen::SiteOutput::PreviewOutput output = m_previewOutput->outputObject(target);
    if (output.result == velmo::gen::SiteOutput::PreviewResult::Written &&
        QDir::cleanPath(output.path) == m_writtenPreview)
        Q_EMIT pagePreviewRequested(output.path, QString(), true);
}

velmo::Object *DocumentController::previewTargetFor(velmo::Object *object) const
{
    if (velmo::ContentGroup *group = previewGroupFor(object))
        return group;
    // A new page, or a new category's first page, shows its template around nothing yet.
    if (auto *page = velmo::object_cast<velmo::Page>(object))
        return page;
    if (auto *category = velmo::object_cast<velmo::Category>(object);
        category != nullptr && !category->isLinkMenu())
        return category->pages.first();
    return nullptr;
}

QString DocumentController::writePreviewPage(velmo::Object *object)
{
    velmo::Object *target = previewTargetFor(object);
    // A page written into the working folder while a whole-site run fills it could be
    // published in its preview form.
    if (target == nullptr || m_outputRunning)
        return {};
    makePreviewOutput();
    const velmo::gen::SiteOutput::PreviewOutput output = m_previewOutput->outputObject(target);
    if (output.result != velmo::gen::SiteOutput::PreviewResult::Written)
        return {};
    m_writtenPreview = QDir::cleanPath(output.path);
    m_previewedTarget = velmo::ObjectRef(target);
    return output.path;
}

bool DocumentController::preview(velmo::Object *object)
{
    // A page without a template (a new plug-in page) would show as a blank page.
    velmo::Object *target = previewTargetFor(object);
    const velmo::Page *page = velmo::ancestorOf<velmo::Page>(target);
    const bool templated = page == nullptr || !page->templateName.isEmpty();
    const QString path = templated ? writePreviewPage(object) : QString();
    if (!path.isEmpty()) {
        Q_EMIT previewRequested(path);
        return true;
    }
    // What the menu tree holds always shows something of its own: the page shown before would
    // pass for this object's.
    if (velmo::object_cast<velmo::Classification>(object) ||
        velmo::object_cast<velmo::Category>(object) || velmo::object_cast<velmo::Page>(object) ||
        velmo::object_cast<velmo::ContentGroup>(object) ||
        velmo::object_cast<velmo::Content>(object)) {
        QString text = u"「%1」には、まだ表示するものがありません。"_s;
        if (!templated)
            text =
                u"「%1」のページにはテンプレートが選ばれていないため、表示するものがありません。"_s;
        else if (page == nullptr)
            text =
                u"「%1」には、まだ表示するページがありません。ページを追加すると、ここに表示されます。"_s;
        Q_EMIT previewMessageRequested(text.arg(object->name));
    }
    return false;
}

velmo::Site *DocumentController::siteShowing(velmo::Object *object) const
{
    if (!m_document.holds(object))
        return nullptr;
    if (velmo::Site *site = velmo::ancestorOf<velmo::Site>(object))
        return site;
    // Below a storage box, which has no link to its site.
    const velmo::Object *top = object;
    while (top->parent() != nullptr)
        top = top->parent();
    for (velmo::Site *site : m_document.sites) {
        if (&site->objectBox == top)
            return site;
    }
    return nullptr;
}

void DocumentController::reveal(velmo::Object *object)
{
    velmo::Site *site = siteShowing(object);
    if (site == nullptr)
        return;
    if (site != m_document.currentSiteUnchecked())
        m_document.setCurrentSite(site);
    // Selecting what is already selected shows nothing new: the page it is on may have moved
    // or changed, so it is shown again.
    const bool shownAlready = m_routed.get() == object;
    Q_EMIT revealRequested(object);
    if (shownAlready)
        preview(object);
}

void DocumentController::onStepApplied(const velmo::UndoCommand *command, bool undone)
{
    // What the step changed comes into view, as the user would look for it.
    reveal(command->subject(undone));
}

void DocumentController::runCommand(int command, velmo::Object *target)
{
    if (target == nullptr)
        return;
    if (velmo::Object *created = m_writer.runMenuCommand(command, target))
        reveal(created);
}

bool DocumentController::moveObject(velmo::Object *object, bool up)
{
    if (!m_writer.moveWithinList(object, up))
        return false;
    reveal(object);
    return true;
}

bool DocumentController::drop(velmo::Object *source, velmo::Object *target, bool copy)
{
    if (source == nullptr || target == nullptr || !m_writer.drop(source, target, copy))
        return false;
    // A moved object is shown where it went; a copy is the step's own object.
    const velmo::UndoCommand *step = m_history.command(m_history.index() - 1);
    reveal(copy && step != nullptr ? step->subject(false) : source);
    return true;
}

int DocumentController::storedObjectCount() const
{
    velmo::Site *site = m_document.currentSiteUnchecked();
    if (site == nullptr)
        return 0;
    int count = -1; // the box itself does not go
    site->objectBox.forEachBelow(velmo::Children::Owned, [&count](velmo::Object *) {
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
    // The user confirms the number of objects that go, although undo brings them back: an
    // emptied box is not what a slip of the mouse should cost. An empty box has nothing to ask.
    const int count = storedObjectCount();
    if (count == 0 || m_messageBoxes == nullptr)
        return false;
    const QString question =
        u"一時置き場にある %1 個のオブジェクトを削除します。\r\n"
        u"よろしいですか？（[編集] の [元に戻す] で取り消せます）"_s.arg(count);
    if (m_messageBoxes->ask(question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) != QMessageBox::Yes)
        return false;
    return m_writer.emptyStorage(site) > 0;
}

void DocumentController::undo()
{
    m_writer.endTyping();
    m_history.undo();
}

void DocumentController::redo()
{
    m_writer.endTyping();
    m_history.redo();
}

bool DocumentController::cut(velmo::Object *object)
{
    return m_writer.cut(object);
}

bool DocumentController::copy(velmo::Object *object)
{
    return m_writer.copy(object);
}

bool DocumentController::paste(velmo::Object *target)
{
    velmo::Object *placed = m_writer.paste(target);
    if (placed == nullptr)
        return false;
    reveal(placed);
    return true;
}

int DocumentController::pagesToOutput() const
{
    int total = 0;
    if (velmo::Site *site = m_document.currentSiteUnchecked()) {
        for (const velmo::Category *category : velmo::gen::SiteOutput::collectCategories(*site)) {
            for (const velmo::Page *page : category->pages)
                total += page->contentGroups.isEmpty() ? 0 : 1;
        }
    }
    return total;
}

void DocumentController::prepareRun(velmo::gen::SiteOutput &output)
{
    m_outputCancelled = false;
    // The run makes the same pictures itself; the preview's would only take cores from it.
    if (m_previewOutput != nullptr)
        m_previewOutput->pictureScaler().abandon();
    // Checked before each page: the progress dialog lets the click through while it is shown.
    output.setCancelCheck([this] { return m_outputCancelled; });
    output.setPictureWaiter(
        [this](velmo::gen::ImageScaler &scaler) { return waitForPictures(scaler); });
}

bool DocumentController::waitForPictures(velmo::gen::ImageScaler &scaler)
{
    // The pictures are made on other threads; this one goes on painting the window and taking
    // the progress dialog's cancel meanwhile.
    QEventLoop loop;
    m_pictureLoop = &loop;
    const auto progress = connect(&scaler, &velmo::gen::ImageScaler::progress, this,
                                  &DocumentController::outputPicturesProgress);
    const auto idle = connect(&scaler, &velmo::gen::ImageScaler::idle, &loop, &QEventLoop::quit,
                              Qt::QueuedConnection);
    Q_EMIT outputPicturesStarted(scaler.pendingCount());
    // The last picture may have been made before the connection was there.
    if (scaler.pendingCount() > 0 && !m_outputCancelled)
        loop.exec();
    disconnect(progress);
    disconnect(idle);
    m_pictureLoop = nullptr;
    return !m_outputCancelled;
}

void DocumentController::cancelOutput()
{
    m_outputCancelled = true;
    if (m_pictureLoop != nullptr)
        m_pictureLoop->quit();
}

void DocumentController::finishCancelled()
{
    Q_EMIT outputFinished(u"出力を中止しました。公開フォルダは変わっていません。"_s, QString());
}

velmo::gen::SiteOutput::Result DocumentController::outputSite(QString *published)
{
    // Counted for the progress only; the output itself checks the current site and reports.
    const int total = pagesToOutput();
    const QScopedValueRollback<bool> running(m_outputRunning, true);
    Q_EMIT outputStarted(total);
    CountingSiteOutput output(m_document, total, *this);
    prepareRun(output);
    // Checked once generated, before it is published; publishing goes on all the same, and
    // what leads nowhere is told, not hidden.
    velmo::gen::LinkCheck check;
    if (const velmo::Site *site = m_document.getCurrentSite()) {
        const QString workingFolder = velmo::gen::SitePaths::workingFolder(m_document, *site);
        check.setCacheFile(velmo::gen::PageLinkCache::fileFor(workingFolder));
        // Pages whose inputs did not change since the last output are taken as they are.
        output.setAssemblyRecordFile(velmo::gen::AssemblyRecord::fileFor(workingFolder));
    }
    output.setLinkCheck(&check);
    QString folder;
    const velmo::gen::SiteOutput::Result result = output.outputSite(&folder);
    if (result == velmo::gen::SiteOutput::Result::Cancelled) {
        finishCancelled();
        return result;
    }
    m_lastOutput = output.statistics();
    m_lastLinkCheck = output.linkCheck();
    m_lastOutputPublished = true;
    if (published != nullptr)
        *published = folder;
    // An incomplete output was reported file by file; what was published is still worth a look.
    if (result == velmo::gen::SiteOutput::Result::Done ||
        result == velmo::gen::SiteOutput::Result::Incomplete) {
        Q_EMIT outputFinished(outputSummary(), folder);
        // External links are listed there too, with the button that asks their servers.
        if (!m_lastLinkCheck.broken.isEmpty() ||
            velmo::gen::ExternalLinkCheck::hasUncheckedAddresses(m_lastLinkCheck))
            Q_EMIT brokenLinksFound();
    }
    return result;
}

velmo::gen::SiteOutput::Result DocumentController::regenerateSite()
{
    const int total = pagesToOutput();
    const QScopedValueRollback<bool> running(m_outputRunning, true);
    Q_EMIT outputStarted(total);
    CountingSiteOutput output(m_document, total, *this);
    prepareRun(output);
    const velmo::gen::SiteOutput::Result result = output.regenerateAll();
    if (result == velmo::gen::SiteOutput::Result::Cancelled) {
        finishCancelled();
        return result;
    }
    m_lastOutput = output.statistics();
    m_lastOutputPublished = false;
    if (result == velmo::gen::SiteOutput::Result::Done ||
        result == velmo::gen::SiteOutput::Result::Incomplete)
        Q_EMIT outputFinished(outputSummary(), QString());
    return result;
}

QString DocumentController::outputSummary() const
{
    const velmo::gen::OutputStatistics &s = m_lastOutput;
    if (!m_lastOutputPublished) {
        return u"全て更新: %1 ページを書き出し、%2 ページは変更なし、画像 %3 枚、メッセージ %4 件"
               u"（公開フォルダには出力していません）"_s.arg(s.pagesWritten)
                   .arg(s.pagesUnchanged)
                   .arg(s.picturesScaled + s.picturesFromCache)
                   .arg(s.messages.size());
    }
    // What this run put into the published folder: the working folder may hold what a preview
    // wrote before, which the run then finds done already.
    return u"HTML出力: %1 ページを公開、%2 ページは変更なし、画像 %3 枚、その他のファイル %4 個、"
           u"メッセージ %5 件、リンク切れ %6 件"_s.arg(s.pagesPublished)
               .arg(s.pagesAlreadyPublished)
               .arg(s.picturesPublished)
               .arg(s.otherFilesPublished)
               .arg(s.messages.size())
               .arg(m_lastLinkCheck.broken.size());
}

void DocumentController::setField(velmo::Object *object, velmo::Field field,
                                  const velmo::FieldValue &value)
{
    m_writer.setField(object, field, value);
}

void DocumentController::renameObject(velmo::Object *object, const QString &name)
{
    m_writer.rename(object, name);
}

void DocumentController::setLinkMenu(velmo::Category *category, bool on)
{
    m_writer.setLinkMenu(category, on);
}

void DocumentController::setLinkTarget(velmo::Category *category, const velmo::Object *target)
{
    m_writer.setLinkTarget(category, target);
}

void DocumentController::setTemplateName(velmo::Object *object, const QString &name)
{
    m_writer.setTemplateName(object, name);
}

void DocumentController::endTyping()
{
    m_writer.endTyping();
}

bool DocumentController::openInTextEditor(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    const QString editor = m_document.externalPrograms.editorPaths.at(0);
    const LaunchFailed failed =
        [global = QPointer<velmo::Document>(&m_document),
         message = programNotStartedMessage(
             u"表示"_s, editor,
             externalProgramLabel(&velmo::ExternalProgramSettings::editorPaths, 0))] {
            if (global != nullptr)
                global->report(message);
        };
    // Quoted, as the path may hold blanks; the program's command line is split at them.
    const bool started = editor.isEmpty() ? openInDefaultTextEditor(path, failed)
                                          : launchProgram(editor, u'"' + path + u'"', failed);
    if (!started)
        failed();
    return started;
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
    if (content == nullptr || !m_document.holds(content))
        return false;
    QString value = text;
    // The box may hold lone "\n" and lone "\r"; the document keeps "\r\n" throughout.
    value.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u"\n"_s, u"\r\n"_s);
    m_writer.setField(content, velmo::Field::Value, value);
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
