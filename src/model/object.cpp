// velmo::Object: construction, parent links, copying and the common record.
#include "model/object.h"

#include <vector>

#include "model/archive.h"
#include "model/clock.h"
#include "model/objectref.h"

namespace velmo {

bool isAcceptedClassCode(qint32 code)
{
    switch (code) {
    case kClassSite:
    case kClassClassification:
    case kClassCategory:
    case kClassPage:
    case kClassContentGroup:
    case kClassContent:
    case kClassCondition:
    case kClassGenre:
    case kClassObjectBox:
    case kClassUnused:
        return true;
    default:
        return false;
    }
}

Object::Object()
{
    // One reading of the clock: a document's load constructs every object it holds.
    const qint64 now = currentTime();
    id = ObjectId::fresh(now);
    parentId = ObjectId::fresh(now);
    createdTime = now;
    updatedTime = now;
}

Object::~Object()
{
    if (m_anchor != nullptr)
        m_anchor->object = nullptr;
}

ObjectRef::ObjectRef(Object *object)
{
    if (object == nullptr)
        return;
    if (object->m_anchor == nullptr)
        object->m_anchor = std::make_shared<ObjectAnchor>(ObjectAnchor{object});
    m_anchor = object->m_anchor;
}

void Object::clearContents() {}

int Object::storeBody(Archive &) const
{
    return 1;
}

int Object::loadBody(Archive &)
{
    return 1;
}

int Object::getTreeIcon(int) const
{
    return 0;
}

int Object::removeChild(Object *)
{
    return 0;
}

void Object::clearOutputMarks()
{
    outputMark = 0;
    forEachChild(Children::Hierarchy, [](Object *child) {
        child->clearOutputMarks();
        return true;
    });
}

bool Object::forEachChild(Children, ObjectVisitor)
{
    return true;
}

bool Object::forEachBelow(Children which, ObjectVisitor visit)
{
    // An explicit stack: content groups may nest deeper than the call stack would like.
    std::vector<Object *> stack{this};
    std::vector<Object *> children;
    while (!stack.empty()) {
        Object *object = stack.back();
        stack.pop_back();
        if (!visit(object))
            return false;
        children.clear();
        object->forEachChild(which, [&children](Object *child) {
            children.push_back(child);
            return true;
        });
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return true;
}

Object *Object::findById(const ObjectId &target)
{
    if (id == target)
        return this;
    Object *found = nullptr;
    forEachChild(Children::Hierarchy, [&found, &target](Object *child) {
        found = child->findById(target);
        return found == nullptr;
    });
    return found;
}

bool isAncestorOrSelf(const Object *ancestor, const Object *object)
{
    // Parent links of an owned object lead up to its site; the bound guards a damaged chain.
    for (int depth = 0; object != nullptr && depth < 100000; ++depth) {
        if (object == ancestor)
            return true;
        object = object->parent();
    }
    return false;
}

int Object::outputThroughSite(OutputContext &, QString &, ObjectChain &)
{
    return 0;
}

void Object::setParent(Object *newParent)
{
    m_parent = newParent;
    parentId = newParent != nullptr ? newParent->id : ObjectId();
}

void Object::copyFrom(const Object &other)
{
    id = other.id;
    typeCode = other.typeCode;
    reservedValue = other.reservedValue;
    parentId = other.parentId;
    enabled = other.enabled;
    createdTime = other.createdTime;
    updatedTime = other.updatedTime;
    name = other.name;
    memo = other.memo;
    m_parent = other.m_parent;
}

int Object::store(Archive &ar) const
{
    if (!ar.isStoring())
        return 0;
    ar.writeTag(tags::Object);
    int ok = id.store(ar);
    ar.writeInt32(typeCode);
    ar.writeInt32(reservedValue);
    ok &= parentId.store(ar);
    ar.writeInt32(enabled);
    ar.writeTime(createdTime);
    ar.writeTime(updatedTime);
    ar.writeString(name);
    ar.writeString(memo);
    // An object with an unknown class code is written without a body, and reported.
    if (!isAcceptedClassCode(typeCode))
        return 0;
    return storeBody(ar) != 0 && ok != 0 ? 1 : 0;
}

int Object::load(Archive &ar)
{
    if (!ar.isLoading())
        return 0;
    Archive::NestingGuard nesting(ar);
    ar.readTag({tags::Object});
    int ok = id.load(ar);
    const qint64 codeOffset = ar.position();
    typeCode = ar.readInt32();
    reservedValue = ar.readInt32();
    ok &= parentId.load(ar);
    enabled = ar.readInt32();
    createdTime = ar.readTime();
    updatedTime = ar.readTime();
    name = ar.readString();
    memo = ar.readString();
    // What follows an unknown class code cannot be read in step; stop here.
    if (!isAcceptedClassCode(typeCode)) {
        ar.fail(QStringLiteral("%1 バイト目のクラスコード %2 は不正です。")
                    .arg(codeOffset)
                    .arg(typeCode),
                codeOffset);
    }
    return loadBody(ar) != 0 && ok != 0 ? 1 : 0;
}

} // namespace velmo
