// The document as JSON, for inspecting and diffing .vlm files (velmo-cli dump).
#pragma once

#include <QByteArray>
#include <QJsonObject>

namespace velmo {

class QGlobal;
class QObject;

class DocumentDump
{
public:
    // Every object with its identity ("time_seq"), class code, parent identity, stored fields
    // and children in list order; the catalogues and each site's box.
    static QJsonObject toJson(const QGlobal &global);
    static QJsonObject objectToJson(const QObject &object);
    static QByteArray toUtf8(const QGlobal &global);
};

} // namespace velmo
