// Full-width digit text.
#include "model/fullwidthnumber.h"

namespace velmo {

QString fullWidthNumber(qint64 number)
{
    const QString ascii = QString::number(number);
    QString result;
    result.reserve(ascii.size());
    for (QChar c : ascii) {
        if (c.isDigit())
            result += QChar(u'０' + (c.unicode() - u'0'));
        else
            result += QChar(u'－');
    }
    return result;
}

} // namespace velmo
