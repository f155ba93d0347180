// Genre, a content genre of a site: a name and nothing more.
#pragma once

#include "model/object.h"

namespace velmo {

class Genre : public Object
{
public:
    static constexpr qint32 kClassCode = kClassGenre;

    Genre();
    ~Genre() override;

    int storeBody(Archive &ar) const override;
    int loadBody(Archive &ar) override;

    void copyFrom(const Genre &other) { Object::copyFrom(other); }
};

} // namespace velmo
