// The document as JSON, for inspecting and diffing .vlm files (velmo-cli dump).
#pragma once

#include <cstdio>

#include <QByteArray>
#include <QStringView>

namespace velmo {

class Document;
class Object;

class DocumentDump
{
public:
    // Writes every object with its identity ("time_seq"), class code, parent identity, stored
    // fields and children in list order (the catalogues and each site's box) to out, in the
    // key order and layout of QJsonDocument::Indented. Written object by object: a document of
    // a million contents built as one JSON value first took gigabytes. False when out refuses
    // bytes.
    static bool write(const Document &global, std::FILE *out);

private:
    explicit DocumentDump(std::FILE *out) : m_out(out) {}
    struct Field;
    void writeObject(const Object &object, int indent);
    void writeFields(Field *fields, qsizetype count, int indent);
    void writeObjects(const QList<const Object *> &objects, int indent);
    void writeString(QStringView text);
    void writeIndent(int indent);
    void flushIfFull();
    bool flush();

    std::FILE *m_out;
    QByteArray m_buffer;
    bool m_failed = false;
};

} // namespace velmo
