// Opening and saving whole documents: the fixtures written by make_fixtures.py, round trips,
// old record versions, broken files, failed saves and the built-in catalogue across runs.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bytewriter.h"
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
#include "model/guardedmapping.h"
#include "model/objectbox.h"
#include "model/page.h"
#include "model/site.h"
#include "recordingreporter.h"

using namespace velmo;

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(VELMO_TEST_DATA_DIR) + u'/' + name;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray toBytes(const Document &global)
{
    QByteArray bytes;
    QString error;
    if (!DocumentFile::toBytes(global, bytes, &error))
        qWarning("toBytes failed: %s", qPrintable(error));
    return bytes;
}

// Offset of the first byte where a and b differ, -1 when they are equal.
qsizetype firstDifference(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return i;
    }
    return a.size() == b.size() ? -1 : n;
}

QByteArray tagBytes(const QString &tag)
{
    return ByteWriter().tag(tag).bytes();
}

bool namesOffset(const QString &message, qint64 offset)
{
    return message.contains(
        QRegularExpression(QStringLiteral("(?<![0-9])%1(?![0-9])").arg(offset)));
}

QString text(const ObjectId &id)
{
    return id.toText();
}

// Every stored field of an object and of everything it owns, one line per object, with the
// identity of the object it is attached to in memory. Two documents that describe alike hold
// the same values in the same fields.
void describe(const velmo::Object &object, QStringList &out, const QString &indent = QString())
{
    const velmo::Object *owner = object.parent();
    QString line = QStringLiteral("%1%2 %3 parent=%4 owner=%5 reserved=%6 enabled=%7 %8..%9")
                       .arg(indent)
                       .arg(object.typeCode)
                       .arg(text(object.id), text(object.parentId),
                            owner != nullptr ? text(owner->id) : QStringLiteral("none"))
                       .arg(object.reservedValue)
                       .arg(object.enabled)
                       .arg(object.createdTime)
                       .arg(object.updatedTime);
    line += QStringLiteral(" name=[%1] memo=[%2]").arg(object.name, object.memo);

    const QString inner = indent + QStringLiteral("  ");
    QList<const velmo::Object *> children;
    auto add = [&children](const auto &list) {
        for (const auto *element : list)
            children << element;
    };
    if (auto *site = dynamic_cast<const Site *>(&object)) {
        for (const QString *field :
             {&site->homeTitle, &site->summary, &site->siteUrl, &site->keywords, &site->author,
              &site->imageFolder, &site->mainCss, &site->templatePath})
            line += QStringLiteral(" [%1]").arg(*field);
        for (const QString &level : site->levelNames)
            line += QStringLiteral(" <%1>").arg(level);
        add(site->classifications);
        add(site->genres);
        children << &site->objectBox;
    } else if (auto *classification = dynamic_cast<const Classification *>(&object)) {
        line += QStringLiteral(" kind=%1 categories=%2")
                    .arg(classification->kind)
                    .arg(classification->categories.count());
        add(classification->categories);
        add(classification->pages);
    } else if (auto *category = dynamic_cast<const Category *>(&object)) {
        line += QStringLiteral(" kind=%1 link=%2 [%3] folder=[%4] aux=[%5] pages=%6")
                    .arg(category->kind)
                    .arg(text(category->linkTarget), category->linkTitle, category->folderName,
                         category->auxText)
                    .arg(category->pages.count());
        add(category->pages);
        add(category->categories);
    } else if (auto *page = dynamic_cast<const Page *>(&object)) {
        line +=
            QStringLiteral(" [%1] [%2] [%3] [%4] [%5] groups=%6")
                .arg(page->title, page->summary, page->keywords, page->templateName, page->fileName)
                .arg(page->contentGroups.count());
        add(page->contentGroups);
        add(page->conditions);
    } else if (auto *group = dynamic_cast<const ContentGroup *>(&object)) {
        line += QStringLiteral(" kind=%1 option=%2 template=[%3] sub=%4 contents=%5")
                    .arg(group->kind)
                    .arg(group->groupOption)
                    .arg(group->templateName)
                    .arg(group->subGroups.count())
                    .arg(group->contents.count());
        add(group->subGroups);
        add(group->contents);
        add(group->relatedGroups);
    } else if (auto *content = dynamic_cast<const Content *>(&object)) {
        line += QStringLiteral(" kind=%1 value=[%2]").arg(content->kind).arg(content->value);
    } else if (auto *condition = dynamic_cast<const Condition *>(&object)) {
        QStringList targets;
        for (const ObjectId &target : condition->targets)
            targets << text(target);
        line += QStringLiteral(" targets=%1 mode=%2 reference=%3 [%4] [%5]")
                    .arg(targets.join(u','))
                    .arg(condition->mode)
                    .arg(text(condition->reference), condition->firstText, condition->secondText);
    } else if (auto *box = dynamic_cast<const ObjectBox *>(&object)) {
        add(box->items);
    }
    out << line;
    for (const velmo::Object *child : children)
        describe(*child, out, inner);
}

QStringList describe(const Document &global)
{
    QStringList out;
    for (const auto *type : global.contentTypes)
        describe(*type, out);
    out << QStringLiteral("--");
    for (const auto *part : global.partTypes)
        describe(*part, out);
    out << QStringLiteral("--");
    for (const auto *site : global.sites)
        describe(*site, out);
    return out;
}

Content *newContent(const QString &name, qint32 kind, const QString &value)
{
    auto *content = new Content;
    content->name = name;
    content->kind = kind;
    content->value = value;
    return content;
}

ContentGroup *newGroup(const QString &name)
{
    auto *group = new ContentGroup;
    group->name = name;
    return group;
}

// A document that sets every stored field of every class to something other than its
// default, with Japanese texts and strings long enough for the wider length forms.
void buildFullDocument(Document &global)
{
    setClockOverride(1704067200); // 2024-01-01

    auto *type = newGroup(QStringLiteral("お知らせ枠"));
    type->kind = ContentGroup::kKindOther;
    type->groupOption = 3;
    type->templateName = QStringLiteral("お知らせ.html");
    type->addContent(newContent(QStringLiteral("日付"), Content::kKindDateTime, QString()));
    global.contentTypes.add(type, nullptr);
    global.partTypes.add(newContent(QStringLiteral("金額(int)"), Content::kKindMoney, QString()),
                         nullptr);

    Site *site = global.createSite();
    site->name = QStringLiteral("みどり歯科");
    site->memo = QString(300, QChar(u'メ'));
    site->reservedValue = 7;
    site->homeTitle = QStringLiteral("みどり歯科クリニック");
    site->summary = QStringLiteral("駅前の歯医者です。\r\n土曜日も診療しています。");
    site->siteUrl = QStringLiteral("https://midori.example.jp/");
    site->keywords = QStringLiteral("歯科,歯医者,小児歯科");
    site->author = QStringLiteral("みどり歯科");
    site->imageFolder = QStringLiteral("image");
    site->mainCss = QStringLiteral("green.css");
    site->templatePath = QStringLiteral("/srv/velmo/template/緑");
    for (int i = 0; i < Site::kLevelCount; ++i)
        site->setLevelName(i, QStringLiteral("第%1階層").arg(i + 1));

    Classification *menu = site->classifications.at(0);
    menu->createdTime = 1600000000;
    auto *category = new Category;
    category->name = QStringLiteral("診療案内");
    category->memo = QStringLiteral("毎年四月に見直す");
    category->enabled = 0;
    category->createdTime = 0;
    category->updatedTime = 0x7FFFFFFF;
    category->folderName = QStringLiteral("shinryou");
    category->auxText = QStringLiteral("../");
    menu->categories.add(category, menu);

    auto *link = new Category;
    link->name = QStringLiteral("予約");
    link->setLinkMenu(true);
    link->linkTarget = ObjectId(-1, -2);
    link->linkTitle = QStringLiteral("ネット予約はこちら");
    category->categories.add(link, category);

    auto *page = new Page;
    page->name = QStringLiteral("小児歯科");
    page->title = QStringLiteral("小児歯科のご案内");
    page->summary =
        QStringLiteral("お子さまの歯の健康を守ります。\r\n保護者の方もご一緒にどうぞ。");
    page->keywords = QStringLiteral("小児歯科,フッ素");
    page->templateName = QStringLiteral("標準ページ.html");
    page->fileName = QStringLiteral("kids");
    category->pages.add(page, category);

    auto *group = newGroup(QStringLiteral("本文"));
    group->kind = ContentGroup::kKindBuiltInText;
    group->groupOption = 1;
    group->templateName = QStringLiteral("文章(通常).html");
    group->contents.first()->value = QStringLiteral("<p>フッ素塗布を行っています。</p>");
    // Long enough for the 32-bit length form.
    group->addContent(newContent(QStringLiteral("章の内容"), Content::kKindLongText,
                                 QString(70000, QChar(u'歯'))));
    group->subGroups.add(newGroup(QStringLiteral("補足")), group);
    group->relatedGroups.add(newGroup(QStringLiteral("関連する診療")), group);
    page->contentGroups.add(group, page);

    auto *condition = new Condition;
    condition->name = QStringLiteral("土曜のみ");
    condition->targets = {category->id, ObjectId(0, -5)};
    condition->mode = -3;
    condition->firstText = QStringLiteral("曜日");
    condition->secondText = QStringLiteral("土");
    page->conditions.add(condition, page);

    auto *pluginPage = new Page;
    pluginPage->name = QStringLiteral("フッター");
    Classification *plugins = site->classifications.at(1);
    plugins->pages.add(pluginPage, plugins);

    auto *genre = new Genre;
    genre->name = QStringLiteral("予防");
    site->genres.add(genre, site);

    auto *stored = new Category;
    stored->name = QStringLiteral("旧メニュー");
    site->objectBox.putInBox(stored);
    auto *storedPage = new Page;
    storedPage->name = QStringLiteral("下書き");
    site->objectBox.putInBox(storedPage);
    site->objectBox.putInBox(newGroup(QStringLiteral("古い案内")));

    global.createSite()->name = QStringLiteral("空のサイト");
}

} // namespace

class TestDocumentFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void sampleResavesIdentically();
    void roundTripKeepsEveryField();
    void oldVersionsLoadAndSaveAsNew();
    void storedParentIdIsCorrected();
    void boxKeepsOnlyBoxedClasses();
    void eightBitStringsAreCodePage932();
    void brokenFilesFail_data();
    void brokenFilesFail();
    void failureKeepsCatalogueReadSoFar();
    void emptyFileChangesNothing();
    void unwritableTimeKeepsPreviousFile();
    void unwritableTarget_data();
    void unwritableTarget();
    void specialFilesAreNotDocuments();
    void fileChangedWhileReading_data();
    void fileChangedWhileReading();
    void onlyGuardedMappingsSurviveBusErrors();
    void catalogueDoesNotGrowOverRuns_data();
    void catalogueDoesNotGrowOverRuns();
    void builtInCatalogueOncePerRun();
    void largeSaveStreamsTheSameBytes();
};

void TestDocumentFile::cleanup()
{
    setClockOverride(std::nullopt);
}

void TestDocumentFile::sampleResavesIdentically()
{
    // sample.vlm comes from the independent Python writer: reading it and writing it back must
    // give the very same bytes.
    const QByteArray original = readAll(fixture(QStringLiteral("sample.vlm")));
    QVERIFY(!original.isEmpty());
    Document global;
    RecordingReporter reporter;
    global.setReporter(&reporter);
    QVERIFY(DocumentFile::open(global, fixture(QStringLiteral("sample.vlm"))));
    QCOMPARE(reporter.messages, QStringList());

    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("sample.vlm"));
    QVERIFY(DocumentFile::save(global, saved));
    QCOMPARE(firstDifference(readAll(saved), original), -1);

    // Identical bytes could also come from fields read into the wrong members and written
    // back from them; these are the values the fixture holds.
    QCOMPARE(global.contentTypes.count(), 1);
    QCOMPARE(global.contentTypes.first()->contents.count(), 3);
    QCOMPARE(global.partTypes.count(), 4);
    QCOMPARE(global.partTypes.at(3)->id, ObjectId(0, Content::kKindImage));
    QCOMPARE(global.sites.count(), 2);
    Site *bakery = global.sites.first();
    QCOMPARE(bakery->name, QStringLiteral("こむぎ堂"));
    QCOMPARE(bakery->homeTitle, QStringLiteral("まちのパン屋 こむぎ堂"));
    QVERIFY(bakery->summary.contains(QStringLiteral("います。\r\n国産")));
    QCOMPARE(bakery->siteUrl, QStringLiteral("https://komugido.example.jp/"));
    QCOMPARE(bakery->author, QStringLiteral("こむぎ堂"));
    QCOMPARE(bakery->imageFolder, QStringLiteral("image"));
    QCOMPARE(bakery->mainCss, QStringLiteral("style.css"));
    QVERIFY(bakery->templatePath.endsWith(QStringLiteral("/サンプル/サンプル１")));
    QCOMPARE(bakery->levelName(9), QStringLiteral("レベル１０"));

    Classification *menu = bakery->classifications.first();
    QCOMPARE(menu->kind, Classification::kKindMenu);
    QCOMPARE(menu->categories.count(), 5);
    Category *reservation = menu->categories.last();
    QVERIFY(reservation->isLinkMenu());
    QCOMPARE(reservation->linkTitle, QStringLiteral("ご予約はこちら"));
    Category *access = menu->categories.at(3);
    QCOMPARE(reservation->linkTarget, access->pages.first()->id);
    QCOMPARE(access->folderName, QStringLiteral("access"));

    Page *accessPage = access->pages.first();
    QCOMPARE(accessPage->title, QStringLiteral("店舗案内・アクセス"));
    QCOMPARE(accessPage->fileName, QStringLiteral("access"));
    QCOMPARE(accessPage->conditions.count(), 1);
    const Condition *weekend = accessPage->conditions.first();
    QCOMPARE(weekend->targets, QList<ObjectId>({menu->categories.at(2)->id, accessPage->id}));
    QCOMPARE(weekend->secondText, QStringLiteral("土,日"));

    Category *breads = menu->categories.at(1)->categories.first();
    ContentGroup *details = breads->pages.first()->contentGroups.first();
    QCOMPARE(details->groupOption, 1);
    QCOMPARE(details->contents.at(1)->value, QStringLiteral("1斤 380円（税込）"));
    QCOMPARE(details->relatedGroups.first()->name, QStringLiteral("あわせて人気"));
    QCOMPARE(breads->pages.first()->contentGroups.at(1)->subGroups.count(), 2);

    QCOMPARE(bakery->classifications.at(1)->pages.first()->name, QStringLiteral("サイドバー"));
    QCOMPARE(bakery->genres.count(), 2);
    QList<qint32> boxed;
    for (const velmo::Object *element : bakery->objectBox.items)
        boxed << element->typeCode;
    QCOMPARE(boxed, QList<qint32>({kClassCategory, kClassPage, kClassContentGroup}));
    QCOMPARE(bakery->objectBox.items.first()->enabled, 0);
}

void TestDocumentFile::roundTripKeepsEveryField()
{
    Document global;
    buildFullDocument(global);
    const QByteArray first = toBytes(global);
    QVERIFY(!first.isEmpty());

    Document reloaded;
    QString error;
    QVERIFY2(DocumentFile::openBytes(reloaded, first, &error), qPrintable(error));
    QCOMPARE(describe(reloaded), describe(global));
    QCOMPARE(firstDifference(toBytes(reloaded), first), -1);
}

void TestDocumentFile::oldVersionsLoadAndSaveAsNew()
{
    Document global;
    QVERIFY(DocumentFile::open(global, fixture(QStringLiteral("old_versions.vlm"))));
    QCOMPARE(global.sites.count(), 1);
    Site *clinic = global.sites.first();
    QCOMPARE(clinic->homeTitle, QStringLiteral("ひだまり内科クリニック"));
    QCOMPARE(clinic->genres.count(), 1);
    // The box is the one the constructor made.
    QVERIFY(clinic->objectBox.items.isEmpty());
    QCOMPARE(clinic->objectBox.name, QStringLiteral("オブジェクトボックス"));
    QCOMPARE(clinic->classifications.count(), 3);
    for (const Classification *classification : clinic->classifications)
        QVERIFY(classification->pages.isEmpty());
    const Category *guide = clinic->classifications.first()->categories.first();
    QCOMPARE(guide->pages.first()->title, QStringLiteral("診療時間のご案内"));

    const QByteArray saved = toBytes(global);
    QCOMPARE(saved.count(tagBytes(QStringLiteral("QSite::0001"))), 0);
    QCOMPARE(saved.count(tagBytes(QStringLiteral("QSite::0002"))), 1);
    QCOMPARE(saved.count(tagBytes(QStringLiteral("QClassification::0001"))), 0);
    QCOMPARE(saved.count(tagBytes(QStringLiteral("QClassification::0002"))), 3);
    QCOMPARE(saved.count(tagBytes(QStringLiteral("QObjectBox::0001"))), 1);

    Document reloaded;
    QVERIFY(DocumentFile::openBytes(reloaded, saved));
    QCOMPARE(describe(reloaded), describe(global));
}

void TestDocumentFile::storedParentIdIsCorrected()
{
    // A content type stored with a parent although it sits at the top, holding a part whose
    // stored parent is some other object.
    ByteWriter w;
    w.tag(QStringLiteral("QGlobal::0001")).listHeader(1);
    w.objectHeader(0, 77, kClassContentGroup, 12, 34, QStringLiteral("枠"));
    w.tag(QStringLiteral("QContentGroup::0001")).i32(ContentGroup::kKindDefault).i32(0);
    w.emptyList().listHeader(1);
    w.objectHeader(1700000000, 78, kClassContent, 99, 98, QStringLiteral("内容"));
    w.tag(QStringLiteral("QContent::0001")).i32(Content::kKindLongText).str(QString());
    w.emptyList().str(QString());
    w.emptyList().emptyList();

    Document global;
    QString error;
    QVERIFY2(DocumentFile::openBytes(global, w.bytes(), &error), qPrintable(error));
    ContentGroup *type = global.contentTypes.first();
    QCOMPARE(type->parentId, ObjectId());
    QCOMPARE(type->parent(), nullptr);
    Content *part = type->contents.first();
    QCOMPARE(part->parentId, ObjectId(0, 77));
    QCOMPARE(part->parent(), type);
}

void TestDocumentFile::boxKeepsOnlyBoxedClasses()
{
    Document global;
    Site *site = global.createSite();
    auto *category = new Category;
    category->name = QStringLiteral("箱の分類");
    auto *page = new Page;
    page->name = QStringLiteral("箱のページ");
    auto *condition = new Condition;
    condition->name = QStringLiteral("箱の条件");
    // Put in out of class order: the file keeps categories, pages, then groups.
    site->objectBox.putInBox(newGroup(QStringLiteral("箱の枠")));
    site->objectBox.putInBox(newContent(QStringLiteral("箱の部品"), Content::kKindShortText, {}));
    site->objectBox.putInBox(page);
    site->objectBox.putInBox(condition);
    site->objectBox.putInBox(category);

    Document reloaded;
    QVERIFY(DocumentFile::openBytes(reloaded, toBytes(global)));
    QStringList names;
    ObjectBox &box = reloaded.sites.first()->objectBox;
    for (const velmo::Object *element : box.items) {
        names << element->name;
        QCOMPARE(element->parent(), &box);
        QCOMPARE(element->parentId, box.id);
    }
    QCOMPARE(names, QStringList({QStringLiteral("箱の分類"), QStringLiteral("箱のページ"),
                                 QStringLiteral("箱の枠")}));
}

void TestDocumentFile::eightBitStringsAreCodePage932()
{
    Document global;
    QVERIFY(DocumentFile::open(global, fixture(QStringLiteral("eight_bit.vlm"))));
    const Site *site = global.sites.first();
    QCOMPARE(site->name, QStringLiteral("ｻﾝﾌﾟﾙ"));
    QCOMPARE(site->homeTitle, QStringLiteral("日本語"));
    const Category *news = site->classifications.first()->categories.first();
    QCOMPARE(news->name, QStringLiteral("お知らせ"));
    const Page *page = news->pages.first();
    QCOMPARE(page->name, QStringLiteral("日本語のページ"));
    QCOMPARE(page->title, QStringLiteral("ﾃｽﾄ ページ"));
    QCOMPARE(page->contentGroups.first()->contents.first()->value,
             QStringLiteral("あいうえお").repeated(40));

    // Saving writes the same texts as UTF-16.
    const QByteArray saved = toBytes(global);
    QVERIFY(saved.contains(tagBytes(QStringLiteral("ｻﾝﾌﾟﾙ"))));
    Document reloaded;
    QVERIFY(DocumentFile::openBytes(reloaded, saved));
    QCOMPARE(describe(reloaded), describe(global));
}

void TestDocumentFile::brokenFilesFail_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<int>("contentTypes");
    QTest::addColumn<int>("partTypes");
    QTest::addColumn<QString>("words");
    const QString cut = QStringLiteral("ファイルが途中で切れています");
    const QString broken = QStringLiteral("ファイルが壊れています");

    // All but two of the broken files are sample.vlm with one fault; comparing with it finds
    // where the reader has to stop.
    const QByteArray sample = readAll(fixture(QStringLiteral("sample.vlm")));
    const QByteArray marker = QByteArray::fromHex("fffeff");
    auto load = [](const char *name) { return readAll(fixture(QString::fromLatin1(name))); };

    const QByteArray truncated = load("truncated.vlm");
    QVERIFY(sample.startsWith(truncated) && truncated.size() < sample.size());
    // Cut inside a string's text: the string that runs past the end is refused.
    QTest::newRow("truncated") << QStringLiteral("truncated.vlm")
                               << qint64(truncated.lastIndexOf(marker)) << 1 << 4 << cut;

    const QByteArray badTag = load("bad_tag.vlm");
    const qsizetype wrongLetter = firstDifference(badTag, sample);
    QVERIFY(wrongLetter > 0 && badTag.size() == sample.size());
    QTest::newRow("bad tag") << QStringLiteral("bad_tag.vlm")
                             << qint64(badTag.lastIndexOf(marker, wrongLetter)) << 1 << 4 << broken;

    const QByteArray badCode = load("bad_class_code.vlm");
    QTest::newRow("bad class code") << QStringLiteral("bad_class_code.vlm")
                                    << qint64(firstDifference(badCode, sample)) << 1 << 4 << broken;

    const QByteArray hugeCount = load("huge_count.vlm");
    QTest::newRow("huge count") << QStringLiteral("huge_count.vlm")
                                << qint64(firstDifference(hugeCount, sample)) << 1 << 4 << broken;

    // Nothing could be read at all: the offset says nothing a user could use.
    QTest::newRow("lying length") << QStringLiteral("lying_length.vlm") << qint64(-1) << 0 << 0
                                  << QStringLiteral("Velmo の文書ではありません");

    // Every object before the refused one is one of its ancestors: the refusal comes at the
    // object record that one nesting level too many opens.
    const QByteArray deep = load("deep_nesting.vlm");
    const QByteArray objectTag = ByteWriter().str8("QObject::0001").bytes();
    qsizetype at = -1;
    for (int i = 0; i <= Archive::kMaxNesting; ++i)
        at = deep.indexOf(objectTag, at + 1);
    QVERIFY(at > 0);
    QTest::newRow("deep nesting") << QStringLiteral("deep_nesting.vlm") << qint64(at) << 0 << 0
                                  << broken;
}

void TestDocumentFile::brokenFilesFail()
{
    QFETCH(QString, file);
    QFETCH(qint64, offset);
    QFETCH(int, contentTypes);
    QFETCH(int, partTypes);
    QFETCH(QString, words);

    Document global;
    RecordingReporter reporter;
    global.setReporter(&reporter);
    QVERIFY(DocumentFile::open(global, fixture(QStringLiteral("sample.vlm"))));
    QCOMPARE(global.setCurrentSite(global.sites.first()), 1);

    QVERIFY(!DocumentFile::open(global, fixture(file)));
    QCOMPARE(reporter.messages.size(), 1);
    const QString message = reporter.messages.first();
    QVERIFY2(message.contains(fixture(file)), qPrintable(message));
    // Said in words, without the format's record tags.
    QVERIFY2(message.startsWith(QStringLiteral("ファイル「")) && message.contains(words) &&
                 !message.contains(QStringLiteral("::0")),
             qPrintable(message));
    QVERIFY2(offset < 0 || namesOffset(message, offset),
             qPrintable(QStringLiteral("offset %1 not in: %2").arg(offset).arg(message)));
    QVERIFY(global.sites.isEmpty());
    QCOMPARE(global.currentSiteUnchecked(), nullptr);
    QCOMPARE(global.contentTypes.count(), contentTypes);
    QCOMPARE(global.partTypes.count(), partTypes);
}

void TestDocumentFile::failureKeepsCatalogueReadSoFar()
{
    // Cut inside the name of the third part type: the first two stay, the third never was.
    const QByteArray sample = readAll(fixture(QStringLiteral("sample.vlm")));
    const qsizetype name = sample.indexOf(tagBytes(QStringLiteral("リンク")));
    QVERIFY(name > 0);

    Document global;
    QString error;
    QVERIFY(!DocumentFile::openBytes(global, sample.left(name + 6), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(global.sites.isEmpty());
    QCOMPARE(global.contentTypes.count(), 1);
    QCOMPARE(global.contentTypes.first()->contents.count(), 3);
    QCOMPARE(global.partTypes.count(), 2);
    QCOMPARE(global.partTypes.at(1)->name, QStringLiteral("長い文字列(∞)"));
}

void TestDocumentFile::emptyFileChangesNothing()
{
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.vlm"));
    QVERIFY(writeAll(empty, QByteArray()));

    Document global;
    RecordingReporter reporter;
    global.setReporter(&reporter);
    QVERIFY(DocumentFile::open(global, fixture(QStringLiteral("sample.vlm"))));
    QCOMPARE(global.setCurrentSite(global.sites.at(1)), 1);
    const QStringList before = describe(global);

    QVERIFY(DocumentFile::open(global, empty));
    QCOMPARE(reporter.messages, QStringList());
    QCOMPARE(describe(global), before);
    QCOMPARE(global.currentSiteUnchecked(), global.sites.at(1));
}

void TestDocumentFile::unwritableTimeKeepsPreviousFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("komugi.vlm"));
    Document global;
    RecordingReporter reporter;
    global.setReporter(&reporter);
    QVERIFY(DocumentFile::open(global, fixture(QStringLiteral("sample.vlm"))));
    QVERIFY(DocumentFile::save(global, path));
    const QByteArray before = readAll(path);

    // February 2106 is past what 32 unsigned bits hold; the object sits deep in the last site.
    Site *lessons = global.sites.last();
    Content *part = lessons->classifications.first()
                        ->categories.first()
                        ->pages.first()
                        ->contentGroups.first()
                        ->contents.last();
    part->createdTime = qint64(0x100000000);
    part->name = QStringLiteral("変更後");

    QVERIFY(!DocumentFile::save(global, path));
    QCOMPARE(reporter.messages.size(), 1);
    QVERIFY(reporter.messages.first().contains(path));
    QCOMPARE(firstDifference(readAll(path), before), -1);
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList({QStringLiteral("komugi.vlm")}));
}

void TestDocumentFile::specialFilesAreNotDocuments()
{
    // Opening a FIFO would block for ever and a device read as empty or without end; saving
    // over one (as root, /dev/null) would put a regular file in its place.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.vlm"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Document global;
    RecordingReporter reporter;
    global.setReporter(&reporter);
    for (const QString &special :
         {fifo, QStringLiteral("/dev/zero"), QStringLiteral("/dev/null")}) {
        reporter.messages.clear();
        QVERIFY(!DocumentFile::open(global, special));
        QCOMPARE(reporter.messages.size(), 1);
        QVERIFY(reporter.messages.first().contains(special));
    }
    reporter.messages.clear();
    QVERIFY(!DocumentFile::save(global, fifo));
    QCOMPARE(reporter.messages.size(), 1);
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

void TestDocumentFile::fileChangedWhileReading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("newSize");

    // Long enough to span many pages: a cut at a page boundary faults on the pages past it.
    Document global;
    buildFullDocument(global);
    const QByteArray bytes = toBytes(global);
    QVERIFY(bytes.size() > 16 * 4096);
    // clang-format off
    QTest::newRow("emptied")                  << bytes << qint64(0);
    QTest::newRow("cut at a page boundary")   << bytes << qint64(8 * 4096);
    QTest::newRow("cut inside the last page") << bytes << qint64(bytes.size() - 10);
    QTest::newRow("grown")                    << bytes << qint64(bytes.size() + 4096);
    // clang-format on
}

void TestDocumentFile::fileChangedWhileReading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, newSize);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("copying.vlm"));
    QVERIFY(writeAll(path, bytes));
    Document global;
    RecordingReporter reporter;
    global.setReporter(&reporter);
    QVERIFY(DocumentFile::open(global, fixture(QStringLiteral("sample.vlm"))));
    // Changed once mapped and before a byte is read, as a copy over the file would.
    int changed = -1;
    QVERIFY(!DocumentFile::open(
        global, path, [&] { changed = ::truncate(QFile::encodeName(path).constData(), newSize); }));
    QCOMPARE(changed, 0);
    QCOMPARE(reporter.messages.size(), 1);
    QVERIFY2(reporter.messages.first().contains(path) &&
                 reporter.messages.first().contains(QStringLiteral("ファイルが変更されました")),
             qPrintable(reporter.messages.first()));
    QVERIFY(global.sites.isEmpty());
}

void TestDocumentFile::onlyGuardedMappingsSurviveBusErrors()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("shrinking")));
    QVERIFY(file.open(QIODevice::ReadWrite) && file.write(QByteArray(3 * 4096, 'x')) > 0);
    const uchar *bytes = file.map(0, file.size());
    const uchar *unguarded = file.map(0, file.size());
    QVERIFY(bytes != nullptr && unguarded != nullptr);
    const GuardedMapping guarded(bytes, file.size());
    QVERIFY(guarded.isValid());
    QVERIFY(file.resize(4096));

    // A fault anywhere else must still end the process (or reach the sanitizer's report).
    const pid_t child = ::fork();
    if (child == 0) {
        // QTest's handler would print the fault as if the test had crashed.
        ::dup2(::open("/dev/null", O_WRONLY), STDERR_FILENO);
        const volatile uchar *past = unguarded + 2 * 4096;
        ::_exit(*past == 'x' ? 2 : 0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY2(WIFSIGNALED(status) || WEXITSTATUS(status) == 1, qPrintable(QString::number(status)));

    QVERIFY(!guarded.wasCutShort());
    QCOMPARE(bytes[0], 'x');
    QCOMPARE(bytes[2 * 4096 + 1], '\0');
    QVERIFY(guarded.wasCutShort());
}

void TestDocumentFile::unwritableTarget_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("targetIsFolder");

    // Tests may run as root, for whom permissions do not stop a write; these paths stop anyone.
    QTest::newRow("folder that does not exist")
        << QStringLiteral("no such folder/site.vlm") << false;
    QTest::newRow("folder as target") << QStringLiteral("site.vlm") << true;
}

void TestDocumentFile::unwritableTarget()
{
    QFETCH(QString, target);
    QFETCH(bool, targetIsFolder);

    QTemporaryDir dir;
    const QString path = dir.filePath(target);
    const QString kept = path + QStringLiteral("/keep.txt");
    if (targetIsFolder) {
        QVERIFY(QDir().mkpath(path));
        QVERIFY(writeAll(kept, "kept"));
    }

    Document global;
    RecordingReporter reporter;
    global.setReporter(&reporter);
    QVERIFY(DocumentFile::open(global, fixture(QStringLiteral("sample.vlm"))));
    QVERIFY(!DocumentFile::save(global, path));
    QCOMPARE(reporter.messages.size(), 1);
    QVERIFY(reporter.messages.first().contains(path));

    if (targetIsFolder) {
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(readAll(kept), QByteArray("kept"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({target}));
    } else {
        QVERIFY(!QFileInfo::exists(QFileInfo(path).path()));
    }
}

void TestDocumentFile::catalogueDoesNotGrowOverRuns_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("firstPartTypes");

    // sample.vlm holds four of the built-in part types; the missing ones follow them.
    QTest::newRow("program started with sample.vlm")
        << fixture(QStringLiteral("sample.vlm"))
        << QStringList({QStringLiteral("短い文字列(255)"), QStringLiteral("長い文字列(∞)"),
                        QStringLiteral("リンク"), QStringLiteral("画像"),
                        QStringLiteral("バナー")});
    QTest::newRow("program started without a document")
        << QString()
        << QStringList({QStringLiteral("短い文字列(255)"), QStringLiteral("長い文字列(∞)"),
                        QStringLiteral("リンク"), QStringLiteral("バナー"),
                        QStringLiteral("数値(int)")});
}

void TestDocumentFile::catalogueDoesNotGrowOverRuns()
{
    QFETCH(QString, start);
    QFETCH(QStringList, firstPartTypes);

    // Each run of the program has its own root: open the last save, add the built-in
    // catalogue as start-up does, save again.
    QTemporaryDir dir;
    QString previous = start;
    QList<QByteArray> saves;
    for (int run = 0; run < 3; ++run) {
        Document global;
        if (!previous.isEmpty())
            QVERIFY(DocumentFile::open(global, previous));
        global.addBuiltInCatalogue();

        QCOMPARE(global.partTypes.count(), 12);
        QSet<QString> ids;
        QStringList names;
        for (const Content *part : global.partTypes) {
            ids << part->id.toText();
            names << part->name;
        }
        QCOMPARE(ids.size(), 12);
        QCOMPARE(names.mid(0, firstPartTypes.size()), firstPartTypes);
        QCOMPARE(global.contentTypes.count(), 1);
        QCOMPARE(global.contentTypes.first()->contents.count(), 3);

        previous = dir.filePath(QStringLiteral("run%1.vlm").arg(run));
        QVERIFY(DocumentFile::save(global, previous));
        saves << readAll(previous);
    }
    QCOMPARE(firstDifference(saves.at(1), saves.at(0)), -1);
    QCOMPARE(firstDifference(saves.at(2), saves.at(1)), -1);
}

void TestDocumentFile::builtInCatalogueOncePerRun()
{
    Document global;
    QVERIFY(DocumentFile::open(global, fixture(QStringLiteral("sample.vlm"))));
    global.addBuiltInCatalogue();
    QCOMPARE(global.partTypes.count(), 12);
    // A later open in the same run replaces the catalogue, and start-up does not come again.
    QVERIFY(DocumentFile::open(global, fixture(QStringLiteral("sample.vlm"))));
    global.addBuiltInCatalogue();
    QCOMPARE(global.partTypes.count(), 4);
}

QTEST_GUILESS_MAIN(TestDocumentFile)
void TestDocumentFile::largeSaveStreamsTheSameBytes()
{
    // Saving streams the document to the file in pieces; a document of several pieces, with
    // strings that straddle the piece boundaries, must still come out as the same bytes.
    Document global;
    Site *site = global.createSite();
    Classification *menu = site->classifications.at(0);
    auto *category = new Category;
    menu->categories.add(category, menu);
    for (int i = 0; i < 400; ++i) {
        auto *page = new Page;
        category->pages.add(page, category);
        auto *group = new ContentGroup;
        page->contentGroups.add(group, page);
        group->contents.at(0)->value = QString(2000 + i, QChar(u'あ' + i % 80));
    }
    QByteArray expected;
    QVERIFY(DocumentFile::toBytes(global, expected));
    QVERIFY(expected.size() > 3 * 512 * 1024);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.vlm"));
    QVERIFY(DocumentFile::save(global, path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == expected);
}

#include "tst_documentfile.moc"
