// Shared pieces of the navigation tests: a small site on a template of its own, finding tree
// rows by their labels, and driving clicks, context menus and drops as the user would.
#pragma once

#include <functional>

#include <QModelIndex>
#include <QPoint>
#include <QString>
#include <QStringList>

class ObjectTree;
class QMimeData;
class QTreeView;

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
// The site is built whole and then placed, as one announced insertion, so that windows already
// showing the document see it complete.
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

// The row reached from the top level by these labels, or an invalid index. The tree may be any
// tree view: the object trees, and the folder trees of the dialogs.
QModelIndex findItem(const QTreeView *tree, const QStringList &labels);
QStringList childLabels(const QModelIndex &index);

// A point on the row's icon, in viewport coordinates; the rows above it are expanded first.
QPoint labelPoint(QTreeView *tree, const QModelIndex &index);
void leftClick(QTreeView *tree, const QModelIndex &index);

// What a right click on a row brought up.
struct MenuResult
{
    bool shown = false;
    QString title;
    // Captions in order; separators as "-".
    QStringList captions;
    bool chosen = false;
};

// Right-clicks the row through the window system, as a user does, and chooses the entry
// captioned caption from the context menu that opens (an empty caption closes the menu
// unchosen). beforeChoosing runs while the menu is open.
MenuResult rightClickAndChoose(ObjectTree *tree, const QModelIndex &index, const QString &caption,
                               const std::function<void()> &beforeChoosing = {});

// Drops data onto the row onto of to with the given keys, by the events a real drag delivers to
// the target's viewport. Returns whether the target offered to take the drop on that row while
// the drag moved over it, and then took it.
bool dropOnto(ObjectTree *to, const QModelIndex &onto, const QMimeData *data,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Drags the row index of from onto the row onto of to: what the source tree's drag carries,
// dropped as dropOnto does.
bool dragAndDrop(ObjectTree *from, const QModelIndex &index, ObjectTree *to,
                 const QModelIndex &onto, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

} // namespace navtest
