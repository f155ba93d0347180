// Site: a web site of the document.
#include "model/site.h"

#include "model/classification.h"
#include "model/fullwidthnumber.h"
#include "model/genre.h"

namespace velmo {

Site::Site()
{
    typeCode = kClassCode;
    const struct
    {
        const char16_t *name;
        qint32 kind;
    } hierarchies[] = {
        {u"メニュー", Classification::kKindMenu},
        {u"プラグイン", Classification::kKindPlugin},
        {u"データ", Classification::kKindData},
    };
    for (const auto &h : hierarchies) {
        auto *classification = new Classification;
        classification->name = QString::fromUtf16(h.name);
        classification->kind = h.kind;
        classifications.add(classification, this);
    }
    for (int i = 0; i < kLevelCount; ++i)
        levelNames[size_t(i)] = QStringLiteral("レベル") + fullWidthNumber(i + 1);
}

Site::~Site() = default;

int Site::storeBody(Archive &ar) const
{
    ar.writeTag(tags::Site);
    for (const QString *text : {&homeTitle, &summary, &siteUrl, &keywords, &author, &imageFolder,
                                &mainCss, &templatePath})
        ar.writeString(*text);
    for (const QString &level : levelNames)
        ar.writeString(level);
    int ok = classifications.store(ar);
    ok &= genres.store(ar);
    ok &= objectBox.store(ar);
    return ok;
}

int Site::loadBody(Archive &ar)
{
    // "QSite::0001" had no box record; such a site keeps the empty box it was built with.
    const bool hasBox = ar.readTag({tags::SiteV1, tags::Site}) == 1;
    for (QString *text : {&homeTitle, &summary, &siteUrl, &keywords, &author, &imageFolder,
                          &mainCss, &templatePath})
        *text = ar.readString();
    for (QString &level : levelNames)
        level = ar.readString();
    int ok = classifications.load(ar, this);
    ok &= genres.load(ar, this);
    if (hasBox)
        ok &= objectBox.load(ar);
    return ok;
}

int Site::removeChild(Object *child)
{
    if (child == nullptr || child->typeCode != kClassClassification)
        return 0;
    return classifications.removeObject(child);
}


int Site::outputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    chain.append(this);
    if (!outputMarksClean)
        clearOutputMarks();
    outputMarksClean = false;
    for (Object *object : chain)
        object->outputMark = 1;
    if (context.generator == nullptr)
        return 0;
    return context.generator->generatePage(*this, context, path, chain);
}

void Site::copyFrom(const Site &other)
{
    Object::copyFrom(other);
    homeTitle = other.homeTitle;
    summary = other.summary;
    siteUrl = other.siteUrl;
    keywords = other.keywords;
    author = other.author;
    imageFolder = other.imageFolder;
    mainCss = other.mainCss;
    templatePath = other.templatePath;
    levelNames = other.levelNames;
    classifications.copyFrom(other.classifications);
    genres.copyFrom(other.genres);
    objectBox.copyFrom(other.objectBox);
}

QString Site::levelName(int index) const
{
    return index >= 0 && index < kLevelCount ? levelNames[size_t(index)] : QString();
}

void Site::setLevelName(int index, const QString &text)
{
    if (index >= 0 && index < kLevelCount)
        levelNames[size_t(index)] = text;
}

bool Site::forEachChild(Children which, ObjectVisitor visit)
{
    if (which == Children::Shown) {
        // Only the menu and plug-in hierarchies are shown; the data hierarchy and any later one
        // never appear in the navigation tree.
        for (int i = 0; i < 2; ++i) {
            Classification *classification = classifications.at(i);
            if (classification != nullptr && classification->typeCode == kClassClassification &&
                !visit(classification))
                return false;
        }
        return true;
    }
    if (!classifications.visitAll(visit))
        return false;
    return which == Children::Hierarchy || (genres.visitAll(visit) && visit(&objectBox));
}

void Site::clearOutputMarks()
{
    Object::clearOutputMarks();
    outputMarksClean = true;
}

} // namespace velmo
