// QGenre: a content genre of a site.
#include "model/qgenre.h"

#include "model/qarchive.h"

namespace velmo {

QGenre::QGenre()
{
    typeCode = kClassCode;
}

QGenre::~QGenre() = default;

int QGenre::StoreBody(QArchive &ar) const
{
    ar.writeTag(tags::Genre);
    return 1;
}

int QGenre::LoadBody(QArchive &ar)
{
    ar.readTag({tags::Genre});
    return 1;
}

} // namespace velmo
