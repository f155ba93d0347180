// Placing the pictures that content texts ask for with "_image(path,width,height)" into the
// site's image folder, only when the copy is missing or older than its source.
#pragma once

#include <QString>

#include <optional>

namespace velmo::gen {

struct OutputStatistics;

class ImageOutput
{
public:
    // userImageFolder: the data root's user_image/; siteImageFolder: the site working folder's
    // image folder. Returns the picture's address relative to the page, or nothing when the
    // source is missing or the path would leave the user image folder.
    static std::optional<QString> placeImage(const QString &userImageFolder,
                                             const QString &siteImageFolder, const QString &path,
                                             int width, int height, const QString &pageOutputPath,
                                             OutputStatistics *statistics = nullptr);

    // "a.b.jpg" at 100 by 50 → "a_w100_h50.b_w100_h50.jpg": every "." of the file name.
    static QString scaledFileName(const QString &fileName, int width, int height);

    // Turns "\" into "/" and collapses "//".
    static QString unifySeparators(QString path);
};

} // namespace velmo::gen
