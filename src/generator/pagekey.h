// PageKey: 128 bits of XXH3 over a page's bytes, by which the generator's caches know a page
// again.
#pragma once

#include <cstddef>

#include <QHashFunctions>
#include <QtGlobal>

namespace velmo::gen {

struct PageKey
{
    quint64 low = 0;
    quint64 high = 0;
    friend bool operator==(const PageKey &, const PageKey &) = default;
    friend size_t qHash(const PageKey &key, size_t seed = 0) noexcept
    {
        return qHashMulti(seed, key.low, key.high);
    }
};

} // namespace velmo::gen
