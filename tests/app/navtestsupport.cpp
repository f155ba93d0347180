// Shared pieces of the navigation tests.
#include "navtestsupport.h"

#include <memory>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

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
    s.site = global.createSite();
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
    return s;
}

QTreeWidgetItem *findItem(QTreeWidget *tree, const QStringList &labels)
{
    QTreeWidgetItem *found = nullptr;
    for (const QString &label : labels) {
        QTreeWidgetItem *next = nullptr;
        const int count = found != nullptr ? found->childCount() : tree->topLevelItemCount();
        for (int i = 0; i < count && next == nullptr; ++i) {
            QTreeWidgetItem *candidate = found != nullptr ? found->child(i) : tree->topLevelItem(i);
            if (candidate->text(0) == label)
                next = candidate;
        }
        if (next == nullptr)
            return nullptr;
        found = next;
    }
    return found;
}

QStringList childLabels(const QTreeWidgetItem *item)
{
    QStringList labels;
    for (int i = 0; item != nullptr && i < item->childCount(); ++i)
        labels << item->child(i)->text(0);
    return labels;
}

QPoint labelPoint(QTreeWidget *tree, const QTreeWidgetItem *item)
{
    tree->scrollToItem(item);
    const QRect row = tree->visualItemRect(item);
    // On the icon, which every item has and which no label width can move.
    return QPoint(row.left() + 10, row.center().y());
}

void leftClick(QTreeWidget *tree, const QTreeWidgetItem *item)
{
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, labelPoint(tree, item));
}

MenuResult rightClickAndChoose(ObjectTree *tree, const QTreeWidgetItem *item,
                               const QString &caption, const std::function<void()> &beforeChoosing)
{
    auto result = std::make_shared<MenuResult>();
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

    QWidget *window = tree->window();
    const QPoint at = tree->viewport()->mapTo(window, labelPoint(tree, item));
    // Through the window, which turns a right button press into a context menu event.
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, at);
    // Without a menu the timer runs out by itself; it must not outlive this call.
    if (!result->shown) {
        QTest::qWait(50);
        timer->stop();
        timer->deleteLater();
    }
    return *result;
}

bool dragAndDrop(ObjectTree *from, QTreeWidgetItem *item, ObjectTree *to, QTreeWidgetItem *onto,
                 Qt::KeyboardModifiers modifiers)
{
    const std::unique_ptr<TreeDragData> data(from->createDragData(item));
    if (data == nullptr)
        return false;
    const Qt::DropActions actions = Qt::MoveAction | Qt::CopyAction;
    const QPoint at = labelPoint(to, onto);
    QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, modifiers);
    QApplication::sendEvent(to->viewport(), &enter);
    QDragMoveEvent move(at, actions, data.get(), Qt::LeftButton, modifiers);
    QApplication::sendEvent(to->viewport(), &move);
    const bool marked = move.isAccepted() && to->dropTargetItem() == onto;
    QDropEvent drop(QPointF(at), actions, data.get(), Qt::LeftButton, modifiers);
    QApplication::sendEvent(to->viewport(), &drop);
    return marked;
}

} // namespace navtest
