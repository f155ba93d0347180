// Running the template programs of a page: the menu templates that fill the page's menu
// blocks, the content-group templates that fill its content blocks, and the expansion of
// "_id_link(…)" and "_image(…)" in the generated content text.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace velmo {
class Category;
class ContentGroup;
class Object;
} // namespace velmo

namespace velmo::gen {

class MarkedText;
struct PageContext;
class TemplateProgram;

class TemplateExpansion
{
public:
    // Replaces the first occurrence of every menu block of the page text with its menu's output.
    static void expandMenus(const PageContext &context, MarkedText &page);

    // Runs the content-group templates of the page, depth first; the output of groups that set
    // the same block name is joined. False (after a message) when a template cannot be parsed:
    // then no content block of the page is filled.
    using Blocks = QList<QPair<QString, QString>>;
    static bool expandContentGroups(const PageContext &context, Blocks &blocks);

    // Expands "_image(path,w,h)" and "_id_link(time,seq)" in a text that content group
    // groupName generated. A call that fails leaves an address all the same (where the picture
    // would be, or one that leads nowhere) and goes to the statistics' expansion failures, or
    // is reported at once without statistics; the calls after it are expanded.
    static QString expandLinksAndImages(const PageContext &context, QString text,
                                        const QString &groupName);

    // The menu levels of the page being generated: level 0 is the first hierarchy's
    // categories, each next level the sub-categories of the marked entry of the one before.
    // The selected entry of each level that has one goes to selected when it is given.
    static QList<QList<velmo::Object *>>
    menuLevels(const PageContext &context, QList<const velmo::Category *> *selected = nullptr);

    // The block pattern named name.
    static QString blockPattern(const QString &name);
};

} // namespace velmo::gen
