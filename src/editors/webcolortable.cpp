// The web colour table: a row of grey steps and primaries, then the 216 "web-safe" colours.
#include "editors/webcolortable.h"

#include <array>

namespace velmo::ui {

namespace {

constexpr std::array<quint32, kWebColorCount> makeTable()
{
    std::array<quint32, kWebColorCount> table{};
    constexpr std::array<quint32, 12> firstRow = {0x000000, 0x333333, 0x666666, 0x999999,
                                                  0xffffff, 0x000000, 0xff0000, 0xff00ff,
                                                  0xffff00, 0x00ff00, 0xffffff, 0x0000ff};
    for (std::size_t i = 0; i < firstRow.size(); ++i)
        table[i] = firstRow[i];
    // The rest of row 0 stays black. Below it red steps by row, green by each group of six
    // columns and blue within the group.
    for (int row = 1; row < kWebColorRows; ++row) {
        for (int column = 0; column < kWebColorColumns; ++column) {
            const quint32 red = quint32(row - 1) * 0x33;
            const quint32 green = quint32(column / 6) * 0x33;
            const quint32 blue = quint32(column % 6) * 0x33;
            table[std::size_t(row * kWebColorColumns + column)] = (red << 16) | (green << 8) | blue;
        }
    }
    return table;
}

constexpr std::array<quint32, kWebColorCount> kTable = makeTable();

} // namespace

quint32 webColor(int index)
{
    if (index < 0 || index >= kWebColorCount)
        return 0;
    return kTable[std::size_t(index)];
}

QString webColorText(int index)
{
    if (index < 0 || index >= kWebColorCount)
        return QString();
    const quint32 rgb = kTable[std::size_t(index)];
    return QString::asprintf("#%02x%02x%02x", (rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

} // namespace velmo::ui
