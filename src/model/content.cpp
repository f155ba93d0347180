// Content: one part of a content group.
#include "model/content.h"

#include "model/contentgroup.h"

namespace velmo {

Content::Content()
{
    typeCode = kClassCode;
}

Content::~Content() = default;

int Content::storeBody(Archive &ar) const
{
    ar.writeTag(tags::Content);
    ar.writeInt32(kind);
    ar.writeString(value);
    return 1;
}

int Content::loadBody(Archive &ar)
{
    ar.readTag({tags::Content});
    kind = ar.readInt32();
    value = ar.readString();
    return 1;
}


int Content::outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    path.clear();
    chain.append(this);
    if (ContentGroup *group = object_cast<ContentGroup>(parent()))
        return group->outputThroughSite(context, path, chain);
    return 0;
}

void Content::copyFrom(const Content &other)
{
    Object::copyFrom(other);
    kind = other.kind;
    value = other.value;
}

} // namespace velmo
