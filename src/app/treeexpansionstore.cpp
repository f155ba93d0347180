// The menu tree's open rows, kept per document.
#include "app/treeexpansionstore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include "model/document.h"
#include "model/fileutil.h"
#include "model/object.h"
#include "model/site.h"

using namespace Qt::StringLiterals;

namespace {

// A state file is small; anything larger is not one of ours.
constexpr qint64 kMaxStateBytes = 4 * 1024 * 1024;

} // namespace

QString TreeExpansionStore::pathFor(const QString &documentPath)
{
    if (documentPath.isEmpty())
        return {};
    return velmo::userStateFolder() + u"/trees/"_s + velmo::documentStateName(documentPath) +
           u".json"_s;
}

QList<velmo::Object *> TreeExpansionStore::read(const QString &documentPath,
                                                velmo::Document &document)
{
    QList<velmo::Object *> objects;
    const QString path = pathFor(documentPath);
    QFile file(path);
    if (path.isEmpty() || file.size() > kMaxStateBytes || !file.open(QIODevice::ReadOnly))
        return objects;
    const QJsonArray expanded =
        QJsonDocument::fromJson(file.readAll()).object().value(u"expanded"_s).toArray();
    for (const QJsonValue &value : expanded) {
        const QJsonArray pair = value.toArray();
        const velmo::ObjectId id(pair.at(0).toInt(), pair.at(1).toInt());
        if (id.isNull())
            continue;
        for (velmo::Site *site : document.sites) {
            if (velmo::Object *found = site->findById(id)) {
                objects << found;
                break;
            }
        }
    }
    return objects;
}

bool TreeExpansionStore::write(const QString &documentPath, const QList<velmo::Object *> &objects)
{
    const QString path = pathFor(documentPath);
    if (path.isEmpty() || velmo::createFolderPath(path) == 0)
        return false;
    QJsonArray expanded;
    for (const velmo::Object *object : objects)
        expanded.append(QJsonArray{object->id.time, object->id.seq});
    const QJsonObject state{{u"document"_s, documentPath}, {u"expanded"_s, expanded}};
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(QJsonDocument(state).toJson(QJsonDocument::Compact)) >= 0 && file.commit();
}
