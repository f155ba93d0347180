// The document as JSON, streamed object by object.
#include "cli/documentdump.h"

#include <algorithm>
#include <iterator>

#include <QStringList>
#include <QVarLengthArray>

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

// Written out when it holds this much, so that the output costs a buffer, not the document.
constexpr qsizetype kFlushBytes = 64 * 1024;

QString hex(qint32 value)
{
    return QStringLiteral("0x%1").arg(quint32(value), 8, 16, QLatin1Char('0'));
}

char hexDigit(uint value)
{
    return char(value < 10 ? '0' + value : 'a' + value - 10);
}

template<class List>
QList<const Object *> objectsOf(const List &list)
{
    QList<const Object *> objects;
    objects.reserve(list.count());
    for (const auto *element : list)
        objects << element;
    return objects;
}

QStringList idTexts(const QList<ObjectId> &ids)
{
    QStringList texts;
    for (const ObjectId &id : ids)
        texts << id.toText();
    return texts;
}

} // namespace

// One member of a JSON object: the members are sorted by key before they are written, as
// QJsonObject keeps them.
struct DocumentDump::Field
{
    enum class Kind { Text, Number, Texts, Objects, Single };
    QStringView key;
    Kind kind = Kind::Text;
    QString text;
    qint64 number = 0;
    QStringList texts;
    QList<const velmo::Object *> objects;
};

bool DocumentDump::write(const Document &global, std::FILE *out)
{
    DocumentDump dump(out);
    Field fields[] = {
        {u"contentTypes", Field::Kind::Objects, {}, 0, {}, objectsOf(global.contentTypes)},
        {u"partTypes", Field::Kind::Objects, {}, 0, {}, objectsOf(global.partTypes)},
        {u"sites", Field::Kind::Objects, {}, 0, {}, objectsOf(global.sites)},
    };
    dump.writeFields(fields, std::size(fields), 0);
    dump.m_buffer += '\n';
    return dump.flush();
}

void DocumentDump::writeObject(const Object &object, int indent)
{
    QVarLengthArray<Field, 24> fields;
    auto text = [&fields](QStringView key, const QString &value) {
        fields.append({key, Field::Kind::Text, value, 0, {}, {}});
    };
    auto number = [&fields](QStringView key, qint64 value) {
        fields.append({key, Field::Kind::Number, {}, value, {}, {}});
    };
    auto texts = [&fields](QStringView key, const QStringList &values) {
        fields.append({key, Field::Kind::Texts, {}, 0, values, {}});
    };
    auto list = [&fields](QStringView key, const auto &values) {
        fields.append({key, Field::Kind::Objects, {}, 0, {}, objectsOf(values)});
    };

    text(u"id", object.id.toText());
    number(u"class", object.typeCode);
    text(u"parentId", object.parentId.toText());
    number(u"reservedValue", object.reservedValue);
    number(u"enabled", object.enabled);
    number(u"createdTime", object.createdTime);
    number(u"updatedTime", object.updatedTime);
    text(u"name", object.name);
    text(u"memo", object.memo);

    if (auto *site = dynamic_cast<const Site *>(&object)) {
        text(u"homeTitle", site->homeTitle);
        text(u"summary", site->summary);
        text(u"siteUrl", site->siteUrl);
        text(u"keywords", site->keywords);
        text(u"author", site->author);
        text(u"imageFolder", site->imageFolder);
        text(u"mainCss", site->mainCss);
        text(u"templatePath", site->templatePath);
        texts(u"levelNames", QStringList(site->levelNames.begin(), site->levelNames.end()));
        list(u"classifications", site->classifications);
        list(u"genres", site->genres);
        fields.append({u"objectBox", Field::Kind::Single, {}, 0, {}, {&site->objectBox}});
    } else if (auto *classification = dynamic_cast<const Classification *>(&object)) {
        text(u"kind", hex(classification->kind));
        list(u"categories", classification->categories);
        list(u"pages", classification->pages);
    } else if (auto *category = dynamic_cast<const Category *>(&object)) {
        text(u"kind", hex(category->kind));
        list(u"pages", category->pages);
        list(u"categories", category->categories);
        text(u"linkTarget", category->linkTarget.toText());
        text(u"linkTitle", category->linkTitle);
        text(u"folderName", category->folderName);
        text(u"auxText", category->auxText);
    } else if (auto *page = dynamic_cast<const Page *>(&object)) {
        list(u"contentGroups", page->contentGroups);
        list(u"conditions", page->conditions);
        text(u"title", page->title);
        text(u"summary", page->summary);
        text(u"keywords", page->keywords);
        text(u"templateName", page->templateName);
        text(u"fileName", page->fileName);
    } else if (auto *group = dynamic_cast<const ContentGroup *>(&object)) {
        text(u"kind", hex(group->kind));
        number(u"groupOption", group->groupOption);
        list(u"subGroups", group->subGroups);
        list(u"contents", group->contents);
        list(u"relatedGroups", group->relatedGroups);
        text(u"templateName", group->templateName);
    } else if (auto *content = dynamic_cast<const Content *>(&object)) {
        text(u"kind", hex(content->kind));
        text(u"value", content->value);
    } else if (auto *condition = dynamic_cast<const Condition *>(&object)) {
        texts(u"targets", idTexts(condition->targets));
        number(u"mode", condition->mode);
        text(u"reference", condition->reference.toText());
        text(u"firstText", condition->firstText);
        text(u"secondText", condition->secondText);
    } else if (auto *box = dynamic_cast<const ObjectBox *>(&object)) {
        list(u"items", box->items);
    }
    std::sort(fields.begin(), fields.end(),
              [](const Field &a, const Field &b) { return a.key < b.key; });
    writeFields(fields.data(), fields.size(), indent);
    flushIfFull();
}

void DocumentDump::writeFields(Field *fields, qsizetype count, int indent)
{
    m_buffer += "{\n";
    for (qsizetype i = 0; i < count; ++i) {
        const Field &field = fields[i];
        writeIndent(indent + 1);
        writeString(field.key);
        m_buffer += ": ";
        switch (field.kind) {
        case Field::Kind::Text:
            writeString(field.text);
            break;
        case Field::Kind::Number:
            m_buffer += QByteArray::number(field.number);
            break;
        case Field::Kind::Texts:
            m_buffer += "[\n";
            for (qsizetype j = 0; j < field.texts.size(); ++j) {
                writeIndent(indent + 2);
                writeString(field.texts.at(j));
                m_buffer += j + 1 < field.texts.size() ? ",\n" : "\n";
            }
            writeIndent(indent + 1);
            m_buffer += ']';
            break;
        case Field::Kind::Objects:
            writeObjects(field.objects, indent + 1);
            break;
        case Field::Kind::Single:
            writeObject(*field.objects.first(), indent + 1);
            break;
        }
        m_buffer += i + 1 < count ? ",\n" : "\n";
    }
    writeIndent(indent);
    m_buffer += '}';
}

void DocumentDump::writeObjects(const QList<const Object *> &objects, int indent)
{
    m_buffer += "[\n";
    for (qsizetype i = 0; i < objects.size(); ++i) {
        writeIndent(indent + 1);
        writeObject(*objects.at(i), indent + 1);
        m_buffer += i + 1 < objects.size() ? ",\n" : "\n";
    }
    writeIndent(indent);
    m_buffer += ']';
}

void DocumentDump::writeString(QStringView text)
{
    // QJsonDocument's escapes: the short forms, \u00XX for other control characters, UTF-8 for
    // the rest, and \uXXXX for a surrogate without its pair, which UTF-8 cannot carry.
    m_buffer += '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u >= 0x20 && u < 0x80 && u != u'"' && u != u'\\') {
            m_buffer += char(u);
            continue;
        }
        if (u >= 0x80) {
            const bool pair =
                QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            if (pair || !QChar::isSurrogate(u)) {
                m_buffer += text.sliced(i, pair ? 2 : 1).toUtf8();
                i += pair ? 1 : 0;
                continue;
            }
        }
        m_buffer += '\\';
        switch (u) {
        case u'"':
            m_buffer += '"';
            break;
        case u'\\':
            m_buffer += '\\';
            break;
        case u'\b':
            m_buffer += 'b';
            break;
        case u'\f':
            m_buffer += 'f';
            break;
        case u'\n':
            m_buffer += 'n';
            break;
        case u'\r':
            m_buffer += 'r';
            break;
        case u'\t':
            m_buffer += 't';
            break;
        default:
            m_buffer += 'u';
            for (int shift = 12; shift >= 0; shift -= 4)
                m_buffer += hexDigit((u >> shift) & 0xf);
        }
    }
    m_buffer += '"';
}

void DocumentDump::writeIndent(int indent)
{
    m_buffer.append(4 * indent, ' ');
}

void DocumentDump::flushIfFull()
{
    if (m_buffer.size() >= kFlushBytes)
        flush();
}

bool DocumentDump::flush()
{
    if (!m_failed && !m_buffer.isEmpty() &&
        std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), m_out) !=
            size_t(m_buffer.size()))
        m_failed = true;
    // Keeps its capacity: the next objects fill the same memory.
    m_buffer.resize(0);
    return !m_failed;
}

} // namespace velmo
