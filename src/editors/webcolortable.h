// The fixed table of web colours behind the colour palette (7 rows of 36 cells) and the
// "#rrggbb" text of an entry; plain functions, usable without any widget.
#pragma once

#include <QString>
#include <QtGlobal>

namespace velmo::ui {

inline constexpr int kWebColorColumns = 36;
inline constexpr int kWebColorRows = 7;
inline constexpr int kWebColorCount = kWebColorColumns * kWebColorRows;

// The colour of cell index (row × 36 + column) as 0x00RRGGBB; 0 outside the table.
quint32 webColor(int index);
// "#rrggbb" in lower case for a cell of the table; empty for any other index (-1 included,
// which is what a palette reports before the mouse has been over it).
QString webColorText(int index);

} // namespace velmo::ui
