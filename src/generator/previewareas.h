// PreviewAreas: the list of optional areas of a site's page templates (value markers and
// blocks) that previews may switch off, and the lookup of whether one is on.
#pragma once

#include <QString>

namespace velmo {
class Document;
}

namespace velmo::gen {

class PreviewAreas
{
public:
    // Scans the current site's page templates for markers and appends a switched-on entry for
    // every marker pattern not yet listed; existing entries and their values stay. Sets the
    // preview-area flag to 1. Returns the number of entries afterwards.
    static int collectMarkers(Document &global);
    // 1 when the area of pattern is to be output: always during a whole-site output (flag 0),
    // else the entry's value; an unlisted pattern is off, and an empty list is filled first.
    static int isMarkerOn(Document &global, const QString &pattern);
};

} // namespace velmo::gen
