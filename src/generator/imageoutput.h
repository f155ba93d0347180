// Placing the pictures that content texts ask for with "_image(path,width,height)" into the
// site's image folder: copied as they are, or scaled and re-encoded, only when the copy is
// missing or older than its source.
#pragma once

#include <optional>

#include <QString>

#include "generator/imagescaler.h"

namespace velmo::gen {

struct OutputStatistics;

class ImageOutput
{
public:
    struct Folders
    {
        // The data root's user_image/, where the sources are.
        QString userImageFolder;
        // The site working folder's image folder, where the copies go.
        QString siteImageFolder;
        // Where scaled copies are kept across outputs (the working folder may be emptied);
        // empty for none.
        QString cacheFolder;
        // Where pictures to be scaled are handed, to be made away from this thread while the
        // page that refers to them is written; null: each is made before placeImage returns.
        ImageScaler *scaler = nullptr;
    };

    // Returns the picture's address relative to the page, or nothing when the source is
    // missing, cannot be decoded or the path would leave the user image folder. why, when
    // given, then says why for a source that is there but cannot be used (empty: not found).
    // With a scaler, a picture to be scaled is only asked for: a source that cannot be decoded
    // is then told by the scaler's outcome.
    static std::optional<QString> placeImage(const Folders &folders, const QString &path, int width,
                                             int height, const QString &pageOutputPath,
                                             OutputStatistics *statistics = nullptr,
                                             QString *why = nullptr);

    // The address placeImage would have given the picture, for a page that must refer to it
    // although it could not be placed; nothing when the path would leave the folder.
    static std::optional<QString> intendedAddress(const Folders &folders, const QString &path,
                                                  int width, int height,
                                                  const QString &pageOutputPath);

    // "a.b.jpg" at 100 by 50 → "a_w100_h50.b_w100_h50.jpg": every "." of the file name.
    static QString scaledFileName(const QString &fileName, int width, int height);

    // Turns "\" into "/" and collapses "//".
    static QString unifySeparators(QString path);

    // Counts what a scaling did into statistics, a target that could not be written among the
    // failures.
    static void count(const ImageScaler::Outcome &outcome, OutputStatistics *statistics);

private:
    // Why a picture of that size that is there could not be scaled, for the user.
    static QString undecodable(int width, int height);
};

} // namespace velmo::gen
