// QGenre, a content genre of a site: a name and nothing more.
#pragma once

#include "model/qobject.h"

namespace velmo {

class QGenre : public QObject
{
public:
    static constexpr qint32 kClassCode = kClassGenre;

    QGenre();
    ~QGenre() override;

    int StoreBody(QArchive &ar) const override;
    int LoadBody(QArchive &ar) override;

    void CopyFrom(const QGenre &other) { QObject::CopyFrom(other); }
};

} // namespace velmo
