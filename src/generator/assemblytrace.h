// AssemblyTrace: what a page's assembly did besides producing the page's text, so that a page
// taken from an earlier run can do it again without being assembled.
#pragma once

#include <QList>
#include <QString>

namespace velmo::gen {

struct AssemblyTrace
{
    // An "_image(path,width,height)" call of the page's content, and the address it gave.
    struct Picture
    {
        QString path;
        int width = 0;
        int height = 0;
        QString address;
        friend bool operator==(const Picture &, const Picture &) = default;
    };

    // The page links the site's style sheet, which the first such page of a run copies.
    bool styleSheet = false;
    QList<Picture> pictures;
    friend bool operator==(const AssemblyTrace &, const AssemblyTrace &) = default;
};

} // namespace velmo::gen
