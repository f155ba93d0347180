// The wall clock the model stamps objects with, and a test hook to pin it.
#pragma once

#include <optional>

#include <QtGlobal>

namespace velmo {

// Seconds since 1970 (UTC).
qint64 currentTime();

// Pins currentTime() to a fixed value (or releases it with nullopt). Tests use it to make
// identities and times predictable; the program never calls it.
void setClockOverride(std::optional<qint64> seconds);

} // namespace velmo
