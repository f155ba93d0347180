// The document as JSON, for inspecting and diffing .vlm files (velmo-cli dump).
#pragma once

#include <QByteArray>
#include <QJsonObject>

namespace velmo {

class Document;
class Object;

class DocumentDump
{
public:
    // Every object with its identity ("time_seq"), class code, parent identity, stored fields
    // and children in list order; the catalogues and each site's box.
    static QJsonObject toJson(const Document &global);
    static QJsonObject objectToJson(const Object &object);
    static QByteArray toUtf8(const Document &global);
};

} // namespace velmo
