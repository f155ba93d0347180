// Shared pieces of the navigation tests.
#include "navtestsupport.h"

#include <memory>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "app/objecttree.h"
#include "app/treedragdata.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/page.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace navtest {

void writeTemplate(const QString &folder)
{
    const QString page =
        u"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
        u"<!--__スタイルシート指定メタ開始__--><link rel=\"stylesheet\" href=\"css/style.css\">"
        u"<!--__スタイルシート指定メタ終了__--></head>\n"
        u"<body><h1><!--__ページタイトル__-->(title)</h1></body></html>\n"_s;
    const QString pagePath = folder + u"/ページテンプレート/page.html"_s;
    const QString cssPath = folder + u"/css/style.css"_s;
    QVERIFY(velmo::createFolderPath(pagePath));
    QVERIFY(velmo::writeTextFileIfChanged(page, pagePath) > 0);
    QVERIFY(velmo::createFolderPath(cssPath));
    QVERIFY(velmo::writeTextFileIfChanged(u"body { margin: 0 }\n"_s, cssPath) > 0);
}

namespace {

velmo::Page *addPage(velmo::Category *category, const QString &name, const QString &file,
                     const QString &bodyName, velmo::ContentGroup **body)
{
    auto *page = new velmo::Page;
    page->name = name;
    page->title = name + u"のタイトル"_s;
    page->fileName = file;
    page->templateName = u"page.html"_s;
    category->pages.add(page, category);
    auto *group = new velmo::ContentGroup;
    group->name = bodyName;
    page->contentGroups.add(group, page);
    if (body != nullptr)
        *body = group;
    return page;
}

velmo::Category *addCategory(velmo::Object *parent, const QString &name, const QString &folder)
{
    auto *category = new velmo::Category;
    category->name = name;
    category->folderName = folder;
    if (auto *classification = velmo::object_cast<velmo::Classification>(parent))
        classification->categories.add(category, classification);
    else if (auto *up = velmo::object_cast<velmo::Category>(parent))
        up->categories.add(category, up);
    return category;
}

} // namespace

SampleSite makeSampleSite(velmo::Document &global, const QString &templateFolder,
                          const QString &name)
{
    SampleSite s;
    auto site = std::make_unique<velmo::Site>();
    s.site = site.get();
    s.site->name = name;
    s.site->templatePath = templateFolder;
    s.site->mainCss = u"style.css"_s;
    s.menu = s.site->classifications.at(0);
    s.plugins = s.site->classifications.at(1);
    s.menu->name = u"メニュー"_s;
    s.plugins->name = u"プラグイン"_s;
    if (s.site->classifications.at(2) != nullptr)
        s.site->classifications.at(2)->name = u"データ"_s;
    s.news = addCategory(s.menu, u"お知らせ"_s, u"news"_s);
    s.news1 = addPage(s.news, u"ニュース1"_s, u"news1"_s, u"本文"_s, &s.news1Body);
    s.news2 = addPage(s.news, u"ニュース2"_s, u"news2"_s, u"本文2"_s, &s.news2Body);
    s.archive = addCategory(s.news, u"過去ログ"_s, u"archive"_s);
    s.about = addCategory(s.menu, u"会社概要"_s, u"about"_s);
    s.history = addPage(s.about, u"沿革"_s, u"history"_s, u"本文"_s, nullptr);
    if (!global.insertObject(nullptr, site.release()))
        return {};
    return s;
}

QModelIndex findItem(const QTreeView *tree, const QStringList &labels)
{
    const QAbstractItemModel *model = tree->model();
    QModelIndex found;
    for (const QString &label : labels) {
        QModelIndex next;
        for (int row = 0; row < model->rowCount(found) && !next.isValid(); ++row) {
            const QModelIndex candidate = model->index(row, 0, found);
            if (candidate.data().toString() == label)
                next = candidate;
        }
        if (!next.isValid())
            return {};
        found = next;
    }
    return found;
}

QStringList childLabels(const QModelIndex &index)
{
    QStringList labels;
    const QAbstractItemModel *model = index.model();
    for (int row = 0; model != nullptr && row < model->rowCount(index); ++row)
        labels << model->index(row, 0, index).data().toString();
    return labels;
}

QPoint labelPoint(QTreeView *tree, const QModelIndex &index)
{
    // Opens what lies above the row, as a user has to before reaching it.
    tree->scrollTo(index);
    const QRect row = tree->visualRect(index);
    // On the icon, which every row has and which no label width can move.
    return QPoint(row.left() + 10, row.center().y());
}

void leftClick(QTreeView *tree, const QModelIndex &index)
{
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, labelPoint(tree, index));
}

MenuResult rightClickAndChoose(ObjectTree *tree, const QModelIndex &index, const QString &caption,
                               const std::function<void()> &beforeChoosing)
{
    auto result = std::make_shared<MenuResult>();
    auto released = std::make_shared<bool>(false);
    QWidget *window = tree->window();
    const QPoint at = tree->viewport()->mapTo(window, labelPoint(tree, index));
    const QPoint global = window->mapToGlobal(at);
    auto *timer = new QTimer;
    const QDeadlineTimer deadline(3000);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            if (deadline.hasExpired())
                timer->deleteLater();
            return;
        }
        timer->stop();
        timer->deleteLater();
        // The open menu has the mouse: the button comes up over it, and the tree never sees
        // the release.
        QTest::mouseRelease(menu->windowHandle(), Qt::RightButton, {}, menu->mapFromGlobal(global));
        *released = true;
        result->shown = true;
        result->title = menu->title();
        QAction *wanted = nullptr;
        const QList<QAction *> actions = menu->actions();
        for (QAction *action : actions) {
            result->captions << (action->isSeparator() ? u"-"_s : action->text());
            if (!action->isSeparator() && !caption.isEmpty() && action->text() == caption)
                wanted = action;
        }
        if (wanted == nullptr) {
            menu->close();
            return;
        }
        if (beforeChoosing)
            beforeChoosing();
        result->chosen = true;
        menu->setActiveAction(wanted);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    timer->start(10);

    // Through the window, which turns a right button press into a context menu event; the
    // menu runs before the press returns.
    QTest::mousePress(window->windowHandle(), Qt::RightButton, {}, at);
    if (!*released)
        QTest::mouseRelease(window->windowHandle(), Qt::RightButton, {}, at);
    // Without a menu the timer runs out by itself; it must not outlive this call.
    if (!result->shown) {
        QTest::qWait(50);
        timer->stop();
        timer->deleteLater();
    }
    return *result;
}

bool dropOnto(ObjectTree *to, const QModelIndex &onto, const QMimeData *data,
              Qt::KeyboardModifiers modifiers)
{
    const Qt::DropActions actions = Qt::MoveAction | Qt::CopyAction;
    const QPoint at = labelPoint(to, onto);
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(to->viewport(), &enter);
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(to->viewport(), &move);
    // The view accepts a move only where the model takes the drop, and the model takes drops
    // onto rows only: accepted over this row is accepted on it.
    const bool offered = move.isAccepted() && to->indexAt(at) == onto;
    QDropEvent drop(QPointF(at), actions, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(to->viewport(), &drop);
    return offered && drop.isAccepted();
}

bool dragAndDrop(ObjectTree *from, const QModelIndex &index, ObjectTree *to,
                 const QModelIndex &onto, Qt::KeyboardModifiers modifiers)
{
    const std::unique_ptr<QMimeData> data(from->model()->mimeData({index}));
    if (TreeDragData::from(data.get()) == nullptr)
        return false;
    return dropOnto(to, onto, data.get(), modifiers);
}

} // namespace navtest
