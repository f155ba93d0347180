// Field access by name over the object classes.
#include "model/objectfield.h"

#include "model/category.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/page.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace velmo {

namespace {

// Where the field lives in object, as exactly one of the three kinds; all null when the class
// has no such field.
struct FieldSlot
{
    QString *text = nullptr;
    qint32 *number = nullptr;
    ObjectId *id = nullptr;
};

FieldSlot siteSlot(Site &site, Field field)
{
    switch (field) {
    case Field::Summary:
        return {&site.summary};
    case Field::Keywords:
        return {&site.keywords};
    case Field::SiteUrl:
        return {&site.siteUrl};
    case Field::HomeTitle:
        return {&site.homeTitle};
    case Field::Author:
        return {&site.author};
    case Field::ImageFolder:
        return {&site.imageFolder};
    case Field::TemplatePath:
        return {&site.templatePath};
    case Field::MainCss:
        return {&site.mainCss};
    default:
        break;
    }
    const int level = int(field) - int(Field::LevelName0);
    if (level >= 0 && level < Site::kLevelCount)
        return {&site.levelNames[size_t(level)]};
    return {};
}

FieldSlot slotOf(Object &object, Field field)
{
    switch (field) {
    case Field::Name:
        return {&object.name};
    case Field::Memo:
        return {&object.memo};
    case Field::Enabled:
        return {nullptr, &object.enabled};
    default:
        break;
    }
    if (auto *site = object_cast<Site>(&object))
        return siteSlot(*site, field);
    if (auto *category = object_cast<Category>(&object)) {
        switch (field) {
        case Field::CategoryKind:
            return {nullptr, &category->kind};
        case Field::LinkTarget:
            return {nullptr, nullptr, &category->linkTarget};
        case Field::LinkTitle:
            return {&category->linkTitle};
        case Field::FolderName:
            return {&category->folderName};
        default:
            return {};
        }
    }
    if (auto *page = object_cast<Page>(&object)) {
        switch (field) {
        case Field::FileName:
            return {&page->fileName};
        case Field::Title:
            return {&page->title};
        case Field::Summary:
            return {&page->summary};
        case Field::Keywords:
            return {&page->keywords};
        case Field::TemplateName:
            return {&page->templateName};
        default:
            return {};
        }
    }
    if (auto *group = object_cast<ContentGroup>(&object))
        return field == Field::TemplateName ? FieldSlot{&group->templateName} : FieldSlot{};
    if (auto *content = object_cast<Content>(&object))
        return field == Field::Value ? FieldSlot{&content->value} : FieldSlot{};
    return {};
}

} // namespace

Field levelNameField(int index)
{
    return Field(int(Field::LevelName0) + index);
}

std::optional<FieldValue> readField(const Object &object, Field field)
{
    // The slot is only read here.
    const FieldSlot slot = slotOf(const_cast<Object &>(object), field);
    if (slot.text != nullptr)
        return *slot.text;
    if (slot.number != nullptr)
        return *slot.number;
    if (slot.id != nullptr)
        return *slot.id;
    return std::nullopt;
}

bool writeField(Object &object, Field field, const FieldValue &value)
{
    const FieldSlot slot = slotOf(object, field);
    if (slot.text != nullptr && std::holds_alternative<QString>(value))
        *slot.text = std::get<QString>(value);
    else if (slot.number != nullptr && std::holds_alternative<qint32>(value))
        *slot.number = std::get<qint32>(value);
    else if (slot.id != nullptr && std::holds_alternative<ObjectId>(value))
        *slot.id = std::get<ObjectId>(value);
    else
        return false;
    return true;
}

QString fieldChangeName(const Object &object, Field field)
{
    const bool site = object.typeCode == kClassSite;
    switch (field) {
    case Field::Name:
        switch (object.typeCode) {
        case kClassSite:
            return u"サイト名の変更"_s;
        case kClassCategory:
            return u"メニュー表示名の変更"_s;
        case kClassPage:
            return u"ページ名の変更"_s;
        case kClassContentGroup:
            return u"コンテンツ タイトルの変更"_s;
        default:
            return u"名前の変更"_s;
        }
    case Field::Memo:
        return u"メモの変更"_s;
    case Field::Enabled:
        return u"有効・無効の切り替え"_s;
    case Field::CategoryKind:
        return u"リンクメニューの切り替え"_s;
    case Field::LinkTarget:
    case Field::LinkTitle:
        return u"リンク先の変更"_s;
    case Field::FolderName:
        return u"カテゴリ フォルダ名の変更"_s;
    case Field::FileName:
        return u"ページファイル名の変更"_s;
    case Field::Title:
        return u"ページ タイトルの変更"_s;
    case Field::Summary:
        return site ? u"ホームページ概要の変更"_s : u"ページ概要の変更"_s;
    case Field::Keywords:
        return site ? u"共通キーワードの変更"_s : u"ページ 固有キーワードの変更"_s;
    case Field::TemplateName:
        return u"テンプレートの変更"_s;
    case Field::Value:
        return u"コンテンツの編集"_s;
    case Field::SiteUrl:
        return u"サイト アドレスの変更"_s;
    case Field::HomeTitle:
        return u"ホームページタイトルの変更"_s;
    case Field::Author:
        return u"製作者名の変更"_s;
    case Field::ImageFolder:
        return u"ユーザー画像 配置フォルダ名の変更"_s;
    case Field::TemplatePath:
        return u"テンプレートの選択"_s;
    case Field::MainCss:
        return u"サイトイメージ（メインCSS）の選択"_s;
    default:
        return u"階層名の変更"_s;
    }
}

} // namespace velmo
