// The document as JSON.
#include "cli/documentdump.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "model/category.h"
#include "model/classification.h"
#include "model/condition.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/genre.h"
#include "model/objectbox.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo {

namespace {

QString hex(qint32 value)
{
    return QStringLiteral("0x%1").arg(quint32(value), 8, 16, QLatin1Char('0'));
}

template<class List>
QJsonArray listToJson(const List &list)
{
    QJsonArray array;
    for (const auto *element : list)
        array.append(DocumentDump::objectToJson(*element));
    return array;
}

QJsonArray idsToJson(const QList<ObjectId> &ids)
{
    QJsonArray array;
    for (const ObjectId &id : ids)
        array.append(id.toText());
    return array;
}

} // namespace

QJsonObject DocumentDump::objectToJson(const Object &object)
{
    QJsonObject json;
    json[u"id"] = object.id.toText();
    json[u"class"] = object.typeCode;
    json[u"parentId"] = object.parentId.toText();
    json[u"reservedValue"] = object.reservedValue;
    json[u"enabled"] = object.enabled;
    json[u"createdTime"] = object.createdTime;
    json[u"updatedTime"] = object.updatedTime;
    json[u"name"] = object.name;
    json[u"memo"] = object.memo;

    if (auto *site = dynamic_cast<const Site *>(&object)) {
        json[u"homeTitle"] = site->homeTitle;
        json[u"summary"] = site->summary;
        json[u"siteUrl"] = site->siteUrl;
        json[u"keywords"] = site->keywords;
        json[u"author"] = site->author;
        json[u"imageFolder"] = site->imageFolder;
        json[u"mainCss"] = site->mainCss;
        json[u"templatePath"] = site->templatePath;
        QJsonArray levels;
        for (const QString &level : site->levelNames)
            levels.append(level);
        json[u"levelNames"] = levels;
        json[u"classifications"] = listToJson(site->classifications);
        json[u"genres"] = listToJson(site->genres);
        json[u"objectBox"] = objectToJson(site->objectBox);
    } else if (auto *classification = dynamic_cast<const Classification *>(&object)) {
        json[u"kind"] = hex(classification->kind);
        json[u"categories"] = listToJson(classification->categories);
        json[u"pages"] = listToJson(classification->pages);
    } else if (auto *category = dynamic_cast<const Category *>(&object)) {
        json[u"kind"] = hex(category->kind);
        json[u"pages"] = listToJson(category->pages);
        json[u"categories"] = listToJson(category->categories);
        json[u"linkTarget"] = category->linkTarget.toText();
        json[u"linkTitle"] = category->linkTitle;
        json[u"folderName"] = category->folderName;
        json[u"auxText"] = category->auxText;
    } else if (auto *page = dynamic_cast<const Page *>(&object)) {
        json[u"contentGroups"] = listToJson(page->contentGroups);
        json[u"conditions"] = listToJson(page->conditions);
        json[u"title"] = page->title;
        json[u"summary"] = page->summary;
        json[u"keywords"] = page->keywords;
        json[u"templateName"] = page->templateName;
        json[u"fileName"] = page->fileName;
    } else if (auto *group = dynamic_cast<const ContentGroup *>(&object)) {
        json[u"kind"] = hex(group->kind);
        json[u"groupOption"] = group->groupOption;
        json[u"subGroups"] = listToJson(group->subGroups);
        json[u"contents"] = listToJson(group->contents);
        json[u"relatedGroups"] = listToJson(group->relatedGroups);
        json[u"templateName"] = group->templateName;
    } else if (auto *content = dynamic_cast<const Content *>(&object)) {
        json[u"kind"] = hex(content->kind);
        json[u"value"] = content->value;
    } else if (auto *condition = dynamic_cast<const Condition *>(&object)) {
        json[u"targets"] = idsToJson(condition->targets);
        json[u"mode"] = condition->mode;
        json[u"reference"] = condition->reference.toText();
        json[u"firstText"] = condition->firstText;
        json[u"secondText"] = condition->secondText;
    } else if (auto *box = dynamic_cast<const ObjectBox *>(&object)) {
        json[u"items"] = listToJson(box->items);
    }
    return json;
}

QJsonObject DocumentDump::toJson(const Document &global)
{
    QJsonObject json;
    json[u"contentTypes"] = listToJson(global.contentTypes);
    json[u"partTypes"] = listToJson(global.partTypes);
    json[u"sites"] = listToJson(global.sites);
    return json;
}

QByteArray DocumentDump::toUtf8(const Document &global)
{
    return QJsonDocument(toJson(global)).toJson(QJsonDocument::Indented);
}

} // namespace velmo
