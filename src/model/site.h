// Site, one web site of the document: its texts, template choices, menu level names, menu
// hierarchies, genres and temporary storage box.
#pragma once

#include <array>

#include <QStringList>

#include "model/object.h"
#include "model/objectbox.h"
#include "model/objectlist.h"

namespace velmo {

class Site : public Object
{
public:
    static constexpr qint32 kClassCode = kClassSite;
    static constexpr int kLevelCount = 10;

    Site();
    ~Site() override;

    int storeBody(Archive &ar) const override;
    int loadBody(Archive &ar) override;
    int removeChild(Object *child) override;
    bool forEachChild(Children which, ObjectVisitor visit) override;
    void clearOutputMarks() override;
    // The end of every output walk: marks the chain and hands it to the page generator.
    int outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain) override;

    void copyFrom(const Site &other);

    // Level names by index 0 to 9; other indexes give an empty text and are ignored by the setter.
    QString levelName(int index) const;
    void setLevelName(int index, const QString &text);

    QString homeTitle;
    QString summary;
    QString siteUrl;
    QString keywords;
    QString author;
    QString imageFolder;
    QString mainCss;
    QString templatePath;
    std::array<QString, kLevelCount> levelNames;

    // Scratch space of the generator while it writes this site; never stored.
    QString outputBuffer;
    QStringList outputStrings;

    ClassificationList classifications;
    GenreList genres;
    ObjectBox objectBox;

    // False while an output walk may have left marks set. A generator that clears the marks of
    // its chain itself sets it again, and the next walk then skips clearing the whole site,
    // which would otherwise make a whole-site output quadratic in the number of pages.
    bool outputMarksClean = false;
};

} // namespace velmo
