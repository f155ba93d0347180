// Operator classification, offsets and operand evaluation of template expressions.
#include "generator/expression.h"

#include <limits>

#include <QVarLengthArray>

#include "generator/wildcardmatcher.h"
#include "model/category.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/fileutil.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo::gen {

namespace {

using Objects = QList<velmo::Object *>;

// Pieces of text between separators, as WildcardMatcher::split cuts them (an empty last piece
// is dropped), without a string per piece: expressions are evaluated for every menu entry of
// every page.
using Pieces = QVarLengthArray<QStringView, 4>;
Pieces splitViews(QStringView text, QChar separator)
{
    Pieces pieces;
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(separator, from)) >= 0; from = at + 1)
        pieces.append(text.sliced(from, at - from));
    if (from < text.size())
        pieces.append(text.sliced(from));
    return pieces;
}

QStringView pieceAt(const Pieces &pieces, qsizetype index)
{
    return index < pieces.size() ? pieces[index] : QStringView();
}

// Text with some characters dropped or replaced, on the stack for the usual short operands.
using Scratch = QVarLengthArray<QChar, 64>;

int saturate(qint64 value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

const Binding *findText(const ExpressionContext &context, QStringView name)
{
    for (auto it = context.bindings.crbegin(); it != context.bindings.crend(); ++it) {
        if (it->isText && it->name == name)
            return &*it;
    }
    return nullptr;
}

const Objects *findObjects(const ExpressionContext &context, QStringView name)
{
    for (auto it = context.bindings.crbegin(); it != context.bindings.crend(); ++it) {
        if (!it->isText && it->name == name)
            return &it->objects;
    }
    return nullptr;
}

// A plain name finds the oldest loop variable of that name (so an inner loop that reuses the
// name does not hide the outer one there), an index in brackets the most recent one.
const LoopVariable *oldestVariable(const QList<LoopVariable> &variables, QStringView name)
{
    for (const LoopVariable &variable : variables) {
        if (variable.name == name)
            return &variable;
    }
    return nullptr;
}

const LoopVariable *newestVariable(const QList<LoopVariable> &variables, QStringView name)
{
    for (auto it = variables.crbegin(); it != variables.crend(); ++it) {
        if (it->name == name)
            return &*it;
    }
    return nullptr;
}

// Index of the level's entry on the chain of the page being generated, or -1.
int selectedIndex(const Objects &level)
{
    for (int i = 0; i < level.size(); ++i) {
        if (level[i] != nullptr && level[i]->outputMark != 0)
            return i;
    }
    return -1;
}

// The home page is written as the working folder's index file wherever its category is, so
// its folder is the working folder rather than its category's folder.
QString pageLink(const Page &page, const QString &categoryFolderLink,
                 const ExpressionContext &context)
{
    const QString folder = (page.outputFlags & Page::kOutputHomePage) != 0
                               ? relativePath(context.siteWorkingFolder, context.pageOutputPath)
                               : categoryFolderLink;
    return folder + page.fileName + QStringLiteral(".html");
}

QString entryLink(const Category &category, const ExpressionContext &context)
{
    const QString none = QStringLiteral("#");
    if (category.kind == Category::kKindOrdinary) {
        if (const Page *page = category.pages.first())
            return pageLink(*page, category.auxText, context);
        return category.auxText;
    }
    if (category.kind != Category::kKindLinkMenu)
        return none;
    if (!category.linkTitle.isEmpty())
        return category.linkTitle;
    if (context.site == nullptr)
        return none;
    const velmo::Object *target = context.site->findById(category.linkTarget);
    if (const Page *page = object_cast<Page>(target)) {
        if (const Category *owner = object_cast<Category>(page->parent()))
            return pageLink(*page, owner->auxText, context);
        return none;
    }
    if (const ContentGroup *group = object_cast<ContentGroup>(target)) {
        const Page *page = ancestorOf<Page>(group->parent());
        const Category *owner = ancestorOf<Category>(group->parent());
        if (page == nullptr || owner == nullptr)
            return none;
        const QString anchor = QString(group->name).replace(u' ', u'_');
        if (page->outputMark != 0)
            return u'#' + anchor;
        return pageLink(*page, owner->auxText, context) + u'#' + anchor;
    }
    return none;
}

// level[index].property
Expression::Kind evaluateEntry(QStringView operand, const ExpressionContext &context, QString &text,
                               int &integer)
{
    // "[" reads as "." and "]" is dropped: level[i].property is level.i.property.
    Scratch path;
    for (QChar c : operand) {
        if (c != u']')
            path.append(c == u'[' ? QChar(u'.') : c);
    }
    const Pieces pieces = splitViews(QStringView(path.constData(), path.size()), u'.');
    if (pieces.size() != 3)
        return Expression::Failed;
    const Objects *level = findObjects(context, pieces[0]);
    if (level == nullptr)
        return Expression::Failed;
    int index = 0;
    if (Expression::startsWithDigit(pieces[1])) {
        index = Expression::toInteger(pieces[1]);
    } else if (const LoopVariable *variable = newestVariable(context.loopVariables, pieces[1])) {
        index = variable->value;
    } else {
        return Expression::Failed;
    }
    if (index < 0 || index >= level->size())
        return Expression::Failed;
    const Category *entry = object_cast<Category>(level->at(index));
    if (entry == nullptr)
        return Expression::Failed;

    QStringView property = pieces[2];
    const int offset = Expression::offsetOf(property, context.loopVariables);
    if (property == u"相対パス") {
        text = entryLink(*entry, context);
        return Expression::Text;
    }
    if (property == u"タイトル") {
        text = entry->name;
        return Expression::Text;
    }
    if (property == u"選択") {
        const int selected = selectedIndex(*level);
        integer = selected >= 0 && qint64(index) + offset == selected ? 1 : 0;
        return Expression::Truth;
    }
    return Expression::Failed;
}

// level.property
Expression::Kind evaluateLevel(QStringView operand, const ExpressionContext &context, QString &text,
                               int &integer)
{
    const Pieces pieces = splitViews(operand, u'.');
    if (pieces.size() != 2)
        return Expression::Failed;
    Scratch name;
    for (QChar c : pieces[0]) {
        if (c != u'!')
            name.append(c);
    }
    const Objects *level = findObjects(context, QStringView(name.constData(), name.size()));
    if (level == nullptr)
        return Expression::Failed;
    QStringView property = pieces[1];
    const int offset = Expression::offsetOf(property, context.loopVariables);
    if (property == u"メニュー数") {
        integer = saturate(qint64(level->size()) + offset);
        return Expression::Integer;
    }
    const velmo::Object *first = level->value(0);
    if (first == nullptr)
        return Expression::Failed;
    if (property == u"タイトル") {
        if (first->parent() == nullptr)
            return Expression::Failed;
        text = first->parent()->name;
        return Expression::Text;
    }
    if (property == u"画像パス") {
        int categories = 0;
        const Site *site = nullptr;
        for (const velmo::Object *object = first; object != nullptr; object = object->parent()) {
            if (object_cast<Category>(object) != nullptr)
                ++categories;
            if ((site = object_cast<Site>(object)) != nullptr)
                break;
        }
        if (site == nullptr)
            site = context.site;
        if (site == nullptr)
            return Expression::Failed;
        text = QStringLiteral("../").repeated(categories) + site->imageFolder + u'/';
        return Expression::Text;
    }
    for (const velmo::Object *object : *level) {
        const Content *content = object_cast<Content>(object);
        if (content != nullptr && content->name == property) {
            text = content->value;
            return Expression::Text;
        }
    }
    return Expression::Failed;
}

} // namespace

Expression::TextClass Expression::classify(QStringView text)
{
    static const struct
    {
        const char16_t *text;
        int code;
    } operators[] = {
        {u"<=", LessEqual}, {u"<", Less},       {u">=", GreaterEqual}, {u">", Greater},
        {u"==", Equal},     {u"!=", NotEqual},  {u"=", Assign},        {u"!", Not},
        {u"++", Increment}, {u"--", Decrement},
    };
    TextClass result;
    for (const auto &op : operators) {
        const QStringView symbol(op.text);
        if (!text.contains(symbol))
            continue;
        const QStringList pieces = WildcardMatcher::split(text, symbol);
        result.code = op.code;
        result.operands << symbol.toString() << pieces.value(0).trimmed();
        if (op.code < Increment)
            result.operands << pieces.value(1).trimmed();
        return result;
    }
    result.operands << QString() << text.toString();
    return result;
}

int Expression::offsetOf(QStringView &part, const QList<LoopVariable> &loopVariables)
{
    QChar sign;
    int direction = 0;
    if (part.contains(u'+')) {
        sign = u'+';
        direction = 1;
    } else if (part.contains(u'-')) {
        sign = u'-';
        direction = -1;
    } else {
        return 0;
    }
    const Pieces pieces = splitViews(part, sign);
    const QStringView right = pieceAt(pieces, 1).trimmed();
    qint64 amount = 1;
    if (startsWithDigit(right)) {
        amount = toInteger(right);
    } else if (const LoopVariable *variable = oldestVariable(loopVariables, right)) {
        amount = variable->value;
    }
    part = pieceAt(pieces, 0).trimmed();
    return saturate(direction * amount);
}

Expression::Kind Expression::evaluate(QStringView operand, const ExpressionContext &context,
                                      QString &text, int &integer)
{
    const QStringView trimmed = operand.trimmed();
    if (trimmed.contains(u'.')) {
        if (trimmed.contains(u'['))
            return evaluateEntry(trimmed, context, text, integer);
        return evaluateLevel(trimmed, context, text, integer);
    }
    if (startsWithDigit(trimmed)) {
        integer = toInteger(trimmed);
        return Integer;
    }
    if (const Binding *binding = findText(context, trimmed)) {
        text = binding->text;
        return Text;
    }
    QStringView name = trimmed;
    const int offset = offsetOf(name, context.loopVariables);
    if (const LoopVariable *variable = oldestVariable(context.loopVariables, name)) {
        integer = saturate(qint64(variable->value) + offset);
        return Integer;
    }
    return Failed;
}

int Expression::toInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulate one past the int range at most, so that long digit runs cannot overflow.
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = qMin(value * 10 + (text[i].unicode() - u'0'), limit);
    return saturate(negative ? -value : value);
}

// Only ASCII digits: full-width digits and other scripts' digits are names, not numbers.
bool Expression::startsWithDigit(QStringView text)
{
    return !text.isEmpty() && text[0] >= u'0' && text[0] <= u'9';
}

} // namespace velmo::gen
