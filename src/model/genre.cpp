// Genre: a content genre of a site.
#include "model/genre.h"

#include "model/archive.h"

namespace velmo {

Genre::Genre()
{
    typeCode = kClassCode;
}

Genre::~Genre() = default;

int Genre::storeBody(Archive &ar) const
{
    ar.writeTag(tags::Genre);
    return 1;
}

int Genre::loadBody(Archive &ar)
{
    ar.readTag({tags::Genre});
    return 1;
}

} // namespace velmo
