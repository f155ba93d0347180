// Texts of the site dialog's object lists.
#include "model/objectlistdisplay.h"

#include <QDateTime>

#include "model/site.h"

namespace velmo {

namespace {

QString classColumn(const Object *object)
{
    if (object == nullptr)
        return QStringLiteral("...");
    switch (object->typeCode) {
    case kClassSite:
        return QStringLiteral("製作者");
    case kClassCategory:
    case kClassGenre:
        return QStringLiteral("更新日時");
    case kClassPage:
        return QStringLiteral("タイトル");
    case kClassContentGroup:
        return QStringLiteral("タイプｓ");
    case kClassContent:
        return QStringLiteral("タイプ：内容");
    case kClassCondition:
        return QStringLiteral("条件式");
    default:
        return QStringLiteral("...");
    }
}

} // namespace

QString ObjectListDisplay::formatTime(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QStringList ObjectListDisplay::headers(const Object *firstElement)
{
    return {QStringLiteral("ＩＤ"), QStringLiteral("名称"), QStringLiteral("作成日時"),
            classColumn(firstElement)};
}

ObjectListDisplay::Row ObjectListDisplay::row(Object *element)
{
    QString fourth;
    switch (element->typeCode) {
    case kClassSite:
        if (auto *site = object_cast<Site>(element))
            fourth = site->author;
        break;
    case kClassCategory:
    case kClassGenre:
        fourth = formatTime(element->updatedTime);
        break;
    case kClassPage:
    case kClassContentGroup:
    case kClassContent:
    case kClassCondition:
        // These rows repeat the column's header.
        fourth = classColumn(element);
        break;
    default:
        break;
    }
    return {element,
            {element->id.toText(), element->name, formatTime(element->createdTime), fourth}};
}

} // namespace velmo
