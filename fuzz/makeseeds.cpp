// Writes the fuzzer's seed documents with the model itself (plus the older record versions and
// an 8-bit string, which the writer never produces): velmo_fuzz_seeds <output folder>.
#include <cstdio>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <QtEndian>

#include "model/archive.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/clock.h"
#include "model/condition.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/documentfile.h"
#include "model/genre.h"
#include "model/page.h"
#include "model/site.h"

using namespace velmo;

namespace {

QByteArray encoded(QStringView text)
{
    QByteArray out;
    Archive ar = Archive::forWriting(out);
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

QByteArray documentBytes(const Document &global)
{
    QByteArray bytes;
    if (!DocumentFile::toBytes(global, bytes))
        std::fprintf(stderr, "a seed document could not be written\n");
    return bytes;
}

Page *addPage(Category &category, const QString &name)
{
    auto *page = new Page;
    page->name = name;
    page->title = name + QStringLiteral("のタイトル");
    page->fileName = QStringLiteral("page_%1").arg(page->id.seq);
    category.pages.add(page, &category);
    return page;
}

ContentGroup *addGroup(Page &page, const QString &text)
{
    auto *group = new ContentGroup;
    group->name = QStringLiteral("グループ");
    group->contents.first()->value = text;
    page.contentGroups.add(group, &page);
    return group;
}

// Every class and list of the file, in a few objects.
void fillSite(Site &site)
{
    site.name = QStringLiteral("見本サイト");
    site.homeTitle = QStringLiteral("ホーム");
    site.siteUrl = QStringLiteral("https://example.org/");
    Classification *menu = site.classifications.at(0);
    Classification *plugin = site.classifications.at(1);

    auto *news = new Category;
    news->name = QStringLiteral("お知らせ");
    menu->categories.add(news, menu);
    Page *first = addPage(*news, QStringLiteral("最初のページ"));
    ContentGroup *group = addGroup(*first, QStringLiteral("本文です。"));
    auto *sub = new ContentGroup;
    sub->name = QStringLiteral("小見出し");
    group->subGroups.add(sub, group);
    auto *related = new ContentGroup;
    related->kind = ContentGroup::kKindOther;
    group->relatedGroups.add(related, group);
    auto *link = new Content;
    link->kind = Content::kKindLink;
    link->value = QStringLiteral("https://example.org/a");
    group->addContent(link);
    // A string of 255 units takes the long length form.
    addGroup(*first, QString(255, QChar(u'あ')));

    auto *inner = new Category;
    inner->name = QStringLiteral("過去の記事");
    news->categories.add(inner, news);
    Page *second = addPage(*inner, QStringLiteral("二番目"));
    auto *condition = new Condition;
    condition->targets = {first->id, second->id};
    condition->mode = 2;
    condition->firstText = QStringLiteral("条件");
    second->conditions.add(condition, second);

    auto *linkMenu = new Category;
    linkMenu->name = QStringLiteral("リンク");
    linkMenu->setLinkMenu(true);
    linkMenu->linkTarget = first->id;
    linkMenu->linkTitle = QStringLiteral("最初へ");
    menu->categories.add(linkMenu, menu);

    auto *pluginPage = new Page;
    pluginPage->name = QStringLiteral("プラグイン");
    plugin->pages.add(pluginPage, plugin);

    auto *genre = new Genre;
    genre->name = QStringLiteral("ニュース");
    site.genres.add(genre, &site);

    auto *boxed = new Category;
    boxed->name = QStringLiteral("削除したメニュー");
    site.objectBox.putInBox(boxed);
    auto *boxedPage = new Page;
    site.objectBox.putInBox(boxedPage);
    site.objectBox.putInBox(new ContentGroup);
}

// The site as the first file version wrote it: no object box record and classifications
// without a page list. The site must be the document's last record and its hierarchies empty.
QByteArray oldVersionBytes(const Document &global, const Site &site)
{
    QByteArray bytes = documentBytes(global);
    QByteArray box;
    Archive ar = Archive::forWriting(box);
    site.objectBox.store(ar);
    if (!bytes.endsWith(box)) {
        std::fprintf(stderr, "the object box is not the last record\n");
        return {};
    }
    bytes.chop(box.size());
    bytes.replace(encoded(tags::Site), encoded(tags::SiteV1));
    for (const Classification *classification : site.classifications) {
        const QByteArray kind = int32Bytes(classification->kind);
        bytes.replace(encoded(tags::Classification) + kind + emptyListBytes() + emptyListBytes(),
                      encoded(tags::ClassificationV1) + kind + emptyListBytes());
    }
    return bytes;
}

// The site's name as an 8-bit Shift_JIS string, as Japanese Windows wrote text.
QByteArray eightBitBytes(const Document &global, const Site &site)
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
        Document global;
        ok &= writeSeed(folder, QStringLiteral("empty.vlm"), documentBytes(global));
        global.addBuiltInCatalogue();
        ok &= writeSeed(folder, QStringLiteral("catalogue.vlm"), documentBytes(global));
    }
    {
        Document global;
        fillSite(*global.createSite());
        ok &= writeSeed(folder, QStringLiteral("site.vlm"), documentBytes(global));
    }
    {
        Document global;
        Site *site = global.createSite();
        site->name = QStringLiteral("旧形式");
        ok &= writeSeed(folder, QStringLiteral("oldversions.vlm"), oldVersionBytes(global, *site));
        site->name = QStringLiteral("八ビット");
        ok &= writeSeed(folder, QStringLiteral("eightbit.vlm"), eightBitBytes(global, *site));
    }
    return ok ? 0 : 1;
}
