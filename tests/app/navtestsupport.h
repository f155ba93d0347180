// Shared pieces of the navigation tests: a small site on a template of its own, finding tree
// items by their labels, and driving clicks, context menus and drops as the user would.
#pragma once

#include <functional>

#include <QPoint>
#include <QString>
#include <QStringList>

class ObjectTree;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmo {
class Category;
class Classification;
class ContentGroup;
class Document;
class Page;
class Site;
} // namespace velmo

namespace navtest {

// A page template that shows the page's title in its heading, and a style sheet.
void writeTemplate(const QString &folder);

// Site "テストサイト": hierarchy "メニュー" with categories "お知らせ" (pages "ニュース1",
// "ニュース2", sub-category "過去ログ") and "会社概要" (page "沿革"); each page holds one content
// group "本文" (named after its page for "ニュース2": "本文2"); hierarchy "プラグイン" is empty.
struct SampleSite
{
    velmo::Site *site = nullptr;
    velmo::Classification *menu = nullptr;
    velmo::Classification *plugins = nullptr;
    velmo::Category *news = nullptr;
    velmo::Category *archive = nullptr;
    velmo::Category *about = nullptr;
    velmo::Page *news1 = nullptr;
    velmo::Page *news2 = nullptr;
    velmo::Page *history = nullptr;
    velmo::ContentGroup *news1Body = nullptr;
    velmo::ContentGroup *news2Body = nullptr;
};
SampleSite makeSampleSite(velmo::Document &global, const QString &templateFolder,
                          const QString &name = QStringLiteral("テストサイト"));

// The item reached from the top level by these labels, or null.
QTreeWidgetItem *findItem(QTreeWidget *tree, const QStringList &labels);
QStringList childLabels(const QTreeWidgetItem *item);

// A point on the item's label, in viewport coordinates.
QPoint labelPoint(QTreeWidget *tree, const QTreeWidgetItem *item);
void leftClick(QTreeWidget *tree, const QTreeWidgetItem *item);

// What a right click on an item brought up.
struct MenuResult
{
    bool shown = false;
    QString title;
    // Captions in order; separators as "-".
    QStringList captions;
    bool chosen = false;
};

// Right-clicks item through the window system, as a user does, and chooses the entry captioned
// caption from the context menu that opens (an empty caption closes the menu unchosen).
// beforeChoosing runs while the menu is open.
MenuResult rightClickAndChoose(ObjectTree *tree, const QTreeWidgetItem *item,
                               const QString &caption,
                               const std::function<void()> &beforeChoosing = {});

// Drags item of from onto onto of to with the given keys, by the events a real drag delivers
// to the target's viewport. Returns whether the target marked onto as the drop target.
bool dragAndDrop(ObjectTree *from, QTreeWidgetItem *item, ObjectTree *to, QTreeWidgetItem *onto,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier);

} // namespace navtest
