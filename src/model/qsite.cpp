// QSite: a web site of the document.
#include "model/qsite.h"

#include "model/fullwidthnumber.h"
#include "model/qclassification.h"
#include "model/qgenre.h"

namespace velmo {

QSite::QSite()
{
    typeCode = kClassCode;
    const struct
    {
        const char16_t *name;
        qint32 kind;
    } hierarchies[] = {
        {u"メニュー", QClassification::kKindMenu},
        {u"プラグイン", QClassification::kKindPlugin},
        {u"データ", QClassification::kKindData},
    };
    for (const auto &h : hierarchies) {
        auto *classification = new QClassification;
        classification->name = QString::fromUtf16(h.name);
        classification->kind = h.kind;
        classifications.Add(classification, this);
    }
    for (int i = 0; i < kLevelCount; ++i)
        levelNames[size_t(i)] = QStringLiteral("レベル") + FullWidthNumber(i + 1);
}

QSite::~QSite() = default;

int QSite::StoreBody(QArchive &ar) const
{
    ar.writeTag(tags::Site);
    for (const QString *text : {&homeTitle, &summary, &siteUrl, &keywords, &author, &imageFolder,
                                &mainCss, &templatePath})
        ar.writeString(*text);
    for (const QString &level : levelNames)
        ar.writeString(level);
    int ok = classifications.Store(ar);
    ok &= genres.Store(ar);
    ok &= objectBox.Store(ar);
    return ok;
}

int QSite::LoadBody(QArchive &ar)
{
    // "QSite::0001" had no box record; such a site keeps the empty box it was built with.
    const bool hasBox = ar.readTag({tags::SiteV1, tags::Site}) == 1;
    for (QString *text : {&homeTitle, &summary, &siteUrl, &keywords, &author, &imageFolder,
                          &mainCss, &templatePath})
        *text = ar.readString();
    for (QString &level : levelNames)
        level = ar.readString();
    int ok = classifications.Load(ar, this);
    ok &= genres.Load(ar, this);
    if (hasBox)
        ok &= objectBox.Load(ar);
    return ok;
}

int QSite::RemoveChild(QObject *child)
{
    if (child == nullptr || child->typeCode != kClassClassification)
        return 0;
    return classifications.RemoveObject(child);
}

int QSite::AddToTree(TreeItemHandle parentItem, QTreeSink &tree, QList<TreeItemHandle> *inserted,
                     bool restoreState)
{
    const TreeItemHandle item = insertTreeItem(parentItem, tree, inserted, restoreState);
    // Only the menu and plug-in hierarchies are shown; the data hierarchy and any later one
    // never appear in the navigation tree.
    for (int i = 0; i < 2; ++i) {
        QClassification *classification = classifications.at(i);
        if (classification != nullptr && classification->typeCode == kClassClassification)
            classification->AddToTree(item, tree, inserted, restoreState);
    }
    finishTreeItem(parentItem, item, tree);
    return 1;
}

void QSite::ClearOutputMarks()
{
    outputMark = 0;
    for (QClassification *classification : classifications)
        classification->ClearOutputMarks();
    outputMarksClean = true;
}

QObject *QSite::FindById(const QID &target)
{
    if (id == target)
        return this;
    for (QClassification *classification : classifications) {
        if (QObject *found = classification->FindById(target))
            return found;
    }
    return nullptr;
}

int QSite::OutputThroughSite(OutputContext &context, QString &path, ObjectChain &chain)
{
    chain.append(this);
    if (!outputMarksClean)
        ClearOutputMarks();
    outputMarksClean = false;
    for (QObject *object : chain)
        object->outputMark = 1;
    if (context.generator == nullptr)
        return 0;
    return context.generator->generatePage(*this, context, path, chain);
}

void QSite::CopyFrom(const QSite &other)
{
    QObject::CopyFrom(other);
    homeTitle = other.homeTitle;
    summary = other.summary;
    siteUrl = other.siteUrl;
    keywords = other.keywords;
    author = other.author;
    imageFolder = other.imageFolder;
    mainCss = other.mainCss;
    templatePath = other.templatePath;
    levelNames = other.levelNames;
    classifications.CopyFrom(other.classifications);
    genres.CopyFrom(other.genres);
    objectBox.CopyFrom(other.objectBox);
}

QString QSite::levelName(int index) const
{
    return index >= 0 && index < kLevelCount ? levelNames[size_t(index)] : QString();
}

void QSite::setLevelName(int index, const QString &text)
{
    if (index >= 0 && index < kLevelCount)
        levelNames[size_t(index)] = text;
}

} // namespace velmo
