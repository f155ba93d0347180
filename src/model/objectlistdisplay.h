// The texts of the four-column object list that the site dialog shows for sites, categories,
// pages, contents, conditions and genres: column headers and one row per element.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "model/objectlist.h"

namespace velmo {

class Object;

class ObjectListDisplay
{
public:
    struct Row
    {
        Object *object = nullptr;
        // "ＩＤ", "名称", "作成日時" and the class's own column.
        QStringList cells;
    };

    // The headers; the fourth depends on the class of the list's first element.
    static QStringList headers(const Object *firstElement);
    // Relative widths of the four columns, in tenths of the view's width.
    static constexpr int kColumnTenths[4] = {1, 3, 3, 3};

    static Row row(Object *element);

    template<class T>
    static QList<Row> rows(const ObjectListOf<T> &list)
    {
        QList<Row> result;
        result.reserve(list.count());
        for (T *element : list)
            result.append(row(element));
        return result;
    }

    // "%Y/%m/%d %H:%M:%S" in local time.
    static QString formatTime(qint64 seconds);
};

} // namespace velmo
