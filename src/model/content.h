// Content, one typed part of a content group with its text value; also a part type in the
// document's catalogue.
#pragma once

#include "model/object.h"

namespace velmo {

class Content : public Object
{
public:
    static constexpr qint32 kClassCode = kClassContent;
    static constexpr qint32 kKindUntyped = 0x40000000;
    static constexpr qint32 kKindShortText = 0x40000001;
    static constexpr qint32 kKindLongText = 0x40000002;
    static constexpr qint32 kKindLink = 0x40000004;
    static constexpr qint32 kKindBanner = 0x40000008;
    static constexpr qint32 kKindInteger = 0x40000010;
    static constexpr qint32 kKindReal = 0x40000020;
    static constexpr qint32 kKindMoney = 0x40000100;
    static constexpr qint32 kKindDateTime = 0x40000200;
    static constexpr qint32 kKindPeriod = 0x40000400;
    static constexpr qint32 kKindChoice = 0x40001000;
    static constexpr qint32 kKindImage = 0x40010000;
    static constexpr qint32 kKindImageLink = 0x40020000;

    Content();
    ~Content() override;

    int storeBody(Archive &ar) const override;
    int loadBody(Archive &ar) override;
    int outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain) override;

    void copyFrom(const Content &other);

    qint32 kind = kKindUntyped;
    QString value;
};

} // namespace velmo
