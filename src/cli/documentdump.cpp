// The document as JSON.
#include "cli/documentdump.h"

#include "model/qcategory.h"
#include "model/qclassification.h"
#include "model/qcondition.h"
#include "model/qcontent.h"
#include "model/qcontentgroup.h"
#include "model/qgenre.h"
#include "model/qglobal.h"
#include "model/qobjectbox.h"
#include "model/qpage.h"
#include "model/qsite.h"

#include <QJsonArray>
#include <QJsonDocument>

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

QJsonArray idsToJson(const QList<QID> &ids)
{
    QJsonArray array;
    for (const QID &id : ids)
        array.append(id.ToText());
    return array;
}

} // namespace

QJsonObject DocumentDump::objectToJson(const QObject &object)
{
    QJsonObject json;
    json[u"id"] = object.id.ToText();
    json[u"class"] = object.typeCode;
    json[u"parentId"] = object.parentId.ToText();
    json[u"reservedValue"] = object.reservedValue;
    json[u"enabled"] = object.enabled;
    json[u"createdTime"] = object.createdTime;
    json[u"updatedTime"] = object.updatedTime;
    json[u"name"] = object.name;
    json[u"memo"] = object.memo;

    if (auto *site = dynamic_cast<const QSite *>(&object)) {
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
    } else if (auto *classification = dynamic_cast<const QClassification *>(&object)) {
        json[u"kind"] = hex(classification->kind);
        json[u"categories"] = listToJson(classification->categories);
        json[u"pages"] = listToJson(classification->pages);
    } else if (auto *category = dynamic_cast<const QCategory *>(&object)) {
        json[u"kind"] = hex(category->kind);
        json[u"pages"] = listToJson(category->pages);
        json[u"categories"] = listToJson(category->categories);
        json[u"linkTarget"] = category->linkTarget.ToText();
        json[u"linkTitle"] = category->linkTitle;
        json[u"folderName"] = category->folderName;
        json[u"auxText"] = category->auxText;
    } else if (auto *page = dynamic_cast<const QPage *>(&object)) {
        json[u"contentGroups"] = listToJson(page->contentGroups);
        json[u"conditions"] = listToJson(page->conditions);
        json[u"title"] = page->title;
        json[u"summary"] = page->summary;
        json[u"keywords"] = page->keywords;
        json[u"templateName"] = page->templateName;
        json[u"fileName"] = page->fileName;
    } else if (auto *group = dynamic_cast<const QContentGroup *>(&object)) {
        json[u"kind"] = hex(group->kind);
        json[u"groupOption"] = group->groupOption;
        json[u"subGroups"] = listToJson(group->subGroups);
        json[u"contents"] = listToJson(group->contents);
        json[u"relatedGroups"] = listToJson(group->relatedGroups);
        json[u"templateName"] = group->templateName;
    } else if (auto *content = dynamic_cast<const QContent *>(&object)) {
        json[u"kind"] = hex(content->kind);
        json[u"value"] = content->value;
    } else if (auto *condition = dynamic_cast<const QCondition *>(&object)) {
        json[u"targets"] = idsToJson(condition->targets);
        json[u"mode"] = condition->mode;
        json[u"reference"] = condition->reference.ToText();
        json[u"firstText"] = condition->firstText;
        json[u"secondText"] = condition->secondText;
    } else if (auto *box = dynamic_cast<const QObjectBox *>(&object)) {
        json[u"items"] = listToJson(box->items);
    }
    return json;
}

QJsonObject DocumentDump::toJson(const QGlobal &global)
{
    QJsonObject json;
    json[u"contentTypes"] = listToJson(global.contentTypes);
    json[u"partTypes"] = listToJson(global.partTypes);
    json[u"sites"] = listToJson(global.sites);
    return json;
}

QByteArray DocumentDump::toUtf8(const QGlobal &global)
{
    return QJsonDocument(toJson(global)).toJson(QJsonDocument::Indented);
}

} // namespace velmo
