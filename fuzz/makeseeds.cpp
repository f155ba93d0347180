// Writes the fuzzer's seed documents with the model itself (plus the older record versions and
// an 8-bit string, which the writer never produces): velmo_fuzz_seeds <output folder>.
#include <cstdio>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <QtEndian>

#include "model/clock.h"
#include "model/qarchive.h"
#include "model/qcategory.h"
#include "model/qclassification.h"
#include "model/qcondition.h"
#include "model/qcontent.h"
#include "model/qcontentgroup.h"
#include "model/qdocumentfile.h"
#include "model/qgenre.h"
#include "model/qglobal.h"
#include "model/qpage.h"
#include "model/qsite.h"

using namespace velmo;

namespace {

QByteArray encoded(QStringView text)
{
    QByteArray out;
    QArchive ar = QArchive::forWriting(out);
    ar.writeString(text);
    return out;
}

QByteArray int32Bytes(qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray emptyListBytes()
{
    return encoded(tags::ObjectList) + int32Bytes(0);
}

QByteArray documentBytes(const QGlobal &global)
{
    QByteArray bytes;
    if (!QDocumentFile::toBytes(global, bytes))
        std::fprintf(stderr, "a seed document could not be written\n");
    return bytes;
}

QPage *addPage(QCategory &category, const QString &name)
{
    auto *page = new QPage;
    page->name = name;
    page->title = name + QStringLiteral("のタイトル");
    page->fileName = QStringLiteral("page_%1").arg(page->id.seq);
    category.pages.Add(page, &category);
    return page;
}

QContentGroup *addGroup(QPage &page, const QString &text)
{
    auto *group = new QContentGroup;
    group->name = QStringLiteral("グループ");
    group->contents.first()->value = text;
    page.contentGroups.Add(group, &page);
    return group;
}

// Every class and list of the file, in a few objects.
void fillSite(QSite &site)
{
    site.name = QStringLiteral("見本サイト");
    site.homeTitle = QStringLiteral("ホーム");
    site.siteUrl = QStringLiteral("https://example.org/");
    QClassification *menu = site.classifications.at(0);
    QClassification *plugin = site.classifications.at(1);

    auto *news = new QCategory;
    news->name = QStringLiteral("お知らせ");
    menu->categories.Add(news, menu);
    QPage *first = addPage(*news, QStringLiteral("最初のページ"));
    QContentGroup *group = addGroup(*first, QStringLiteral("本文です。"));
    auto *sub = new QContentGroup;
    sub->name = QStringLiteral("小見出し");
    group->subGroups.Add(sub, group);
    auto *related = new QContentGroup;
    related->kind = QContentGroup::kKindOther;
    group->relatedGroups.Add(related, group);
    auto *link = new QContent;
    link->kind = QContent::kKindLink;
    link->value = QStringLiteral("https://example.org/a");
    group->AddContent(link);
    // A string of 255 units takes the long length form.
    addGroup(*first, QString(255, QChar(u'あ')));

    auto *inner = new QCategory;
    inner->name = QStringLiteral("過去の記事");
    news->categories.Add(inner, news);
    QPage *second = addPage(*inner, QStringLiteral("二番目"));
    auto *condition = new QCondition;
    condition->targets = {first->id, second->id};
    condition->mode = 2;
    condition->firstText = QStringLiteral("条件");
    second->conditions.Add(condition, second);

    auto *linkMenu = new QCategory;
    linkMenu->name = QStringLiteral("リンク");
    linkMenu->setLinkMenu(true);
    linkMenu->linkTarget = first->id;
    linkMenu->linkTitle = QStringLiteral("最初へ");
    menu->categories.Add(linkMenu, menu);

    auto *pluginPage = new QPage;
    pluginPage->name = QStringLiteral("プラグイン");
    plugin->pages.Add(pluginPage, plugin);

    auto *genre = new QGenre;
    genre->name = QStringLiteral("ニュース");
    site.genres.Add(genre, &site);

    auto *boxed = new QCategory;
    boxed->name = QStringLiteral("削除したメニュー");
    site.objectBox.PutInBox(boxed);
    auto *boxedPage = new QPage;
    site.objectBox.PutInBox(boxedPage);
    site.objectBox.PutInBox(new QContentGroup);
}

// The site as the first file version wrote it: no object box record and classifications
// without a page list. The site must be the document's last record and its hierarchies empty.
QByteArray oldVersionBytes(const QGlobal &global, const QSite &site)
{
    QByteArray bytes = documentBytes(global);
    QByteArray box;
    QArchive ar = QArchive::forWriting(box);
    site.objectBox.Store(ar);
    if (!bytes.endsWith(box)) {
        std::fprintf(stderr, "the object box is not the last record\n");
        return {};
    }
    bytes.chop(box.size());
    bytes.replace(encoded(tags::Site), encoded(tags::SiteV1));
    for (const QClassification *classification : site.classifications) {
        const QByteArray kind = int32Bytes(classification->kind);
        bytes.replace(encoded(tags::Classification) + kind + emptyListBytes() + emptyListBytes(),
                      encoded(tags::ClassificationV1) + kind + emptyListBytes());
    }
    return bytes;
}

// The site's name as an 8-bit Shift_JIS string, as Japanese Windows wrote text.
QByteArray eightBitBytes(const QGlobal &global, const QSite &site)
{
    QByteArray bytes = documentBytes(global);
    QStringEncoder encoder("windows-31j");
    const QByteArray text =
        encoder.isValid() ? QByteArray(encoder(site.name)) : site.name.toLatin1();
    if (text.size() >= 0xFF)
        return {};
    bytes.replace(encoded(site.name), char(text.size()) + text);
    return bytes;
}

bool writeSeed(const QDir &folder, const QString &name, const QByteArray &bytes)
{
    QFile file(folder.filePath(name));
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    // Pinned so that the seeds are the same bytes on every run.
    setClockOverride(1700000000);
    bool ok = true;
    {
        QGlobal global;
        ok &= writeSeed(folder, QStringLiteral("empty.vlm"), documentBytes(global));
        global.AddBuiltInCatalogue();
        ok &= writeSeed(folder, QStringLiteral("catalogue.vlm"), documentBytes(global));
    }
    {
        QGlobal global;
        fillSite(*global.CreateSite());
        ok &= writeSeed(folder, QStringLiteral("site.vlm"), documentBytes(global));
    }
    {
        QGlobal global;
        QSite *site = global.CreateSite();
        site->name = QStringLiteral("旧形式");
        ok &= writeSeed(folder, QStringLiteral("oldversions.vlm"), oldVersionBytes(global, *site));
        site->name = QStringLiteral("八ビット");
        ok &= writeSeed(folder, QStringLiteral("eightbit.vlm"), eightBitBytes(global, *site));
    }
    return ok ? 0 : 1;
}
