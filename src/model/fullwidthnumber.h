// Decimal numbers written in full-width digits (level names "レベル１０", "第３階層").
#pragma once

#include <QString>

namespace velmo {

// Callers pass non-negative numbers; a negative one keeps a full-width minus sign.
QString fullWidthNumber(qint64 number);

} // namespace velmo
