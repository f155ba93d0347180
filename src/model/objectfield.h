// The editable fields of the document's objects, read and written by name: what the forms and the
// site dialog change, so that one command kind can change any of them and undo it.
#pragma once

#include <optional>
#include <variant>

#include <QString>

#include "model/objectid.h"

namespace velmo {

class Object;

enum class Field : int {
    // Every object.
    Name,
    Memo,
    Enabled,
    // Categories.
    CategoryKind,
    LinkTarget,
    LinkTitle,
    FolderName,
    // Pages (Summary and Keywords also of sites, TemplateName also of content groups).
    FileName,
    Title,
    Summary,
    Keywords,
    TemplateName,
    // Contents.
    Value,
    // Sites.
    SiteUrl,
    HomeTitle,
    Author,
    ImageFolder,
    TemplatePath,
    MainCss,
    // Level names 0 to 9 follow one another: LevelName0 + index.
    LevelName0,
    LevelName9 = LevelName0 + 9,
};

Field levelNameField(int index);

using FieldValue = std::variant<QString, qint32, ObjectId>;

// The field's value, or nothing when the object's class has no such field.
std::optional<FieldValue> readField(const Object &object, Field field);
// Writes value; false when the class has no such field or the value is of another type.
bool writeField(Object &object, Field field, const FieldValue &value);
// What a change of the field is called in the 編集 menu ("ページ名の変更").
QString fieldChangeName(const Object &object, Field field);

} // namespace velmo
