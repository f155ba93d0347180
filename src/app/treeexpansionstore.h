// TreeExpansionStore, the rows of the menu tree that were open when a document was left, kept per
// document in the user's state folder ($XDG_STATE_HOME/velmo/trees): they belong to the person
// looking at the document, not to the document, so the .vlm file never holds them.
#pragma once

#include <QList>
#include <QString>

namespace velmo {
class Document;
class Object;
} // namespace velmo

class TreeExpansionStore
{
public:
    // The file kept for the document at documentPath; empty for a document never saved.
    static QString pathFor(const QString &documentPath);
    // The objects of document that were open; those that are gone are left out.
    static QList<velmo::Object *> read(const QString &documentPath, velmo::Document &document);
    // Keeps objects as the open rows of the document at documentPath; nothing for a document
    // never saved. False when the file could not be written.
    static bool write(const QString &documentPath, const QList<velmo::Object *> &objects);
};
