// The wall clock the model stamps objects with.
#include "model/clock.h"

#include <QDateTime>

namespace velmo {

namespace {
std::optional<qint64> g_clockOverride;
}

qint64 currentTime()
{
    if (g_clockOverride)
        return *g_clockOverride;
    return QDateTime::currentSecsSinceEpoch();
}

void setClockOverride(std::optional<qint64> seconds)
{
    g_clockOverride = seconds;
}

} // namespace velmo
