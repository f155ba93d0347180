// Deterministic synthetic documents for the benchmarks: sites with nested categories, pages,
// content groups and contents that hold 200-character Japanese texts.
#pragma once

#include <memory>

#include <QtGlobal>

#include "model/objectid.h"

namespace velmo {
class Document;
class Object;
} // namespace velmo

namespace velmo::bench {

struct SyntheticDocument
{
    std::unique_ptr<Document> global;
    // The part that a search of the last site (or of all sites) reaches last: the last content
    // of the last page of that site's deepest category chain.
    ObjectId lastObjectId;
    const Object *lastObject = nullptr;
    // Object records the document's file holds, the built-in catalogue included.
    qint64 objectCount = 0;
};

// Documents smaller than this are not worth a site of nested categories.
inline constexpr qint64 kMinimumSyntheticObjects = 1000;

// A document of exactly objectCount objects (at least kMinimumSyntheticObjects). The clock is
// pinned while it is built, so one seed always gives the same bytes.
SyntheticDocument generateSyntheticDocument(qint64 objectCount, quint64 seed = 1);

// Objects that the document's file holds as object records.
qint64 countObjects(const Document &global);

} // namespace velmo::bench
