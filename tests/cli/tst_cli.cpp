// velmo-cli as a user runs it: exit codes, what it writes, and the JSON dump of a document.
#include <csignal>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "model/category.h"
#include "model/classification.h"
#include "model/clock.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/documentfile.h"
#include "model/fileutil.h"
#include "model/page.h"
#include "model/site.h"

using namespace velmo;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Run runCli(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(VELMO_CLI), arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A document with a catalogue entry and one site holding a category, a page, a group with a
// Japanese text and a boxed page.
QString writeDocument(const QString &path)
{
    setClockOverride(1700000000);
    Document global;
    global.addBuiltInCatalogue();
    Site *site = global.createSite();
    site->name = QStringLiteral("パン屋");
    site->homeTitle = QStringLiteral("まちのパン屋");
    Classification *menu = site->classifications.at(0);
    auto *category = new Category;
    category->name = QStringLiteral("商品");
    menu->categories.add(category, menu);
    auto *page = new Page;
    page->title = QStringLiteral("食パン");
    // Every kind of escape the JSON dump writes.
    page->memo = QStringLiteral("\"引用\" \\ \t\r\n\x01\x7f\u2028") + QChar(0xd83c) +
                 QChar(0xdf5e) + QChar(0xdc00) + QChar(0xd800) + u'x';
    category->pages.add(page, category);
    auto *group = new ContentGroup;
    group->contents.at(0)->value = QStringLiteral("<p>毎朝焼きます。</p>");
    page->contentGroups.add(group, page);
    site->objectBox.putInBox(new Page);
    setClockOverride(std::nullopt);
    DocumentFile::save(global, path);
    return category->id.toText();
}

// A template of one page template and one content template, below home.
QString writeSimpleTemplate(const QTemporaryDir &home)
{
    const QString templates = home.filePath(QStringLiteral("template/simple"));
    const QString page = templates + QStringLiteral("/ページテンプレート/page.html");
    const QString content = templates + QStringLiteral("/コンテンツテンプレート/text.template");
    createFolderPath(page);
    createFolderPath(content);
    writeTextFileIfChanged(QStringLiteral("<h1><!--__サイト名__-->(x)</h1>"
                                          "<!--__本文開始__--><!--__本文終了__-->"),
                           page);
    writeTextFileIfChanged(QStringLiteral("name(本文)\nreplace(コンテンツ.内容);\n"), content);
    return templates;
}

// A site named name on that template, with one category, which is returned.
Category *addSimpleSite(Document &global, const QString &name, const QString &templates)
{
    Site *site = global.createSite();
    site->name = name;
    site->templatePath = templates;
    Classification *menu = site->classifications.at(0);
    auto *category = new Category;
    menu->categories.add(category, menu);
    return category;
}

// A page of the simple template in category, its one content holding text.
Page *addSimplePage(Category *category, const QString &text)
{
    auto *page = new Page;
    page->templateName = QStringLiteral("page.html");
    category->pages.add(page, category);
    auto *group = new ContentGroup;
    group->templateName = QStringLiteral("text.template");
    group->contents.at(0)->value = text;
    page->contentGroups.add(group, page);
    return page;
}

// Files below folder whose names say they are copies on their way (".velmo-…part").
QStringList temporariesBelow(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, {QStringLiteral(".velmo-*.part")}, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resaveWritesTheSameDocument()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.vlm"));
        const QString out = dir.filePath(QStringLiteral("out.vlm"));
        writeDocument(in);
        const Run run = runCli({QStringLiteral("resave"), in, out});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        // Open and save add nothing: the built-in catalogue is not appended again.
        QCOMPARE(readAll(out), readAll(in));
    }

    void resaveOfABrokenFileCreatesNothing()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.vlm"));
        const QString out = dir.filePath(QStringLiteral("out.vlm"));
        writeDocument(in);
        QByteArray bytes = readAll(in);
        bytes.truncate(bytes.size() / 2);
        QFile file(in);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();

        const Run run = runCli({QStringLiteral("resave"), in, out});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("開けませんでした")), qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("バイト目")), qPrintable(run.err));
        QVERIFY(!QFile::exists(out));

        const Run missing =
            runCli({QStringLiteral("resave"), dir.filePath(QStringLiteral("none.vlm")), out});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(!missing.err.isEmpty());
        QVERIFY(!QFile::exists(out));
    }

    void wrongArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("none") << QStringList();
        QTest::newRow("unknown command") << QStringList{QStringLiteral("build")};
        QTest::newRow("resave without output")
            << QStringList{QStringLiteral("resave"), QStringLiteral("a.vlm")};
        QTest::newRow("dump with two files")
            << QStringList{QStringLiteral("dump"), QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("sample without output") << QStringList{QStringLiteral("sample")};
        QTest::newRow("sample with two outputs") << QStringList{
            QStringLiteral("sample"), QStringLiteral("a.vlm"), QStringLiteral("b.vlm")};
        QTest::newRow("sample home without folder") << QStringList{
            QStringLiteral("sample"), QStringLiteral("a.vlm"), QStringLiteral("--home")};
        QTest::newRow("sample with a build option")
            << QStringList{QStringLiteral("sample"), QStringLiteral("a.vlm"),
                           QStringLiteral("--site"), QStringLiteral("x")};
    }

    void wrongArguments()
    {
        QFETCH(QStringList, arguments);
        const Run run = runCli(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains(QStringLiteral("usage")));
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFile::exists(QStringLiteral("a.vlm")));
    }

    // The sample document built on the template and pictures that the build put beside the
    // programs: every page there, nothing left unexpanded, every link and picture found.
    void sampleBuildsIntoACompleteSite()
    {
        QTemporaryDir home;
        const QString programs = QStringLiteral(VELMO_PROGRAM_DIR);
        QVERIFY2(isDirectory(programs + QStringLiteral("/template")), qPrintable(programs));
        copyFolderTree(programs + QStringLiteral("/template"),
                       home.filePath(QStringLiteral("template")));
        copyFolderTree(programs + QStringLiteral("/user_image"),
                       home.filePath(QStringLiteral("user_image")));

        const QString document = home.filePath(QStringLiteral("sample.vlm"));
        const Run sample =
            runCli({QStringLiteral("sample"), document, QStringLiteral("--home"), home.path()});
        QCOMPARE(sample.exitCode, 0);
        QVERIFY2(sample.err.isEmpty(), qPrintable(sample.err));
        QVERIFY(QFileInfo(document).size() > 0);

        const Run build =
            runCli({QStringLiteral("build"), document, QStringLiteral("--home"), home.path()});
        QCOMPARE(build.exitCode, 0);
        QVERIFY2(build.err.isEmpty(), qPrintable(build.err));
        QVERIFY(QString::fromUtf8(build.out).contains(QStringLiteral("messages: 0")));
        // The bundled sample is the first site a user sees: none of its links may lead nowhere.
        QVERIFY(QString::fromUtf8(build.out).contains(QStringLiteral("broken links: 0")));
        const Run check =
            runCli({QStringLiteral("check"), document, QStringLiteral("--home"), home.path()});
        QCOMPARE(check.exitCode, 0);
        QVERIFY(QString::fromUtf8(check.out).contains(QStringLiteral("pages checked: 8")));

        const QDir site(home.filePath(QStringLiteral("web/サンプルサイト")));
        const QStringList pages = {QStringLiteral("index.html"),
                                   QStringLiteral("news.html"),
                                   QStringLiteral("menu/index.html"),
                                   QStringLiteral("menu/coffee/index.html"),
                                   QStringLiteral("menu/sweets/index.html"),
                                   QStringLiteral("about/index.html"),
                                   QStringLiteral("about/shop.html"),
                                   QStringLiteral("guide/index.html")};
        // Addresses in href and src; scheme addresses and bare anchors are not files.
        static const QRegularExpression address(
            QStringLiteral("(?:href|src)=\"([^\"#:]+)(?:#([^\"]*))?\""));
        int links = 0;
        for (const QString &page : pages) {
            QString text = readTextFile(site.filePath(page)).value_or(QString());
            QVERIFY2(!text.isEmpty(), qPrintable(page));
            // The style sheet block is put back with its link rewritten, markers and all.
            text.remove(QStringLiteral("<!--__スタイルシート指定メタ開始__-->"));
            text.remove(QStringLiteral("<!--__スタイルシート指定メタ終了__-->"));
            for (const QString &left : {QStringLiteral("<!--__"), QStringLiteral("_image("),
                                        QStringLiteral("_id_link("), QStringLiteral("NOT_OUTPUT")})
                QVERIFY2(!text.contains(left), qPrintable(page + u' ' + left));

            const QDir folder = QFileInfo(site.filePath(page)).dir();
            for (const QRegularExpressionMatch &match : address.globalMatch(text)) {
                const QString target = QDir::cleanPath(folder.filePath(match.captured(1)));
                QVERIFY2(target.startsWith(site.path()) && QFileInfo(target).isFile(),
                         qPrintable(page + QStringLiteral(": ") + match.captured(0)));
                if (match.hasCaptured(2)) {
                    const QString targetText = readTextFile(target).value_or(QString());
                    QVERIFY2(
                        targetText.contains(QStringLiteral("id=\"%1\"").arg(match.captured(2))),
                        qPrintable(page + QStringLiteral(": ") + match.captured(0)));
                }
                ++links;
            }
        }
        QVERIFY(links > 100);

        // Internal links from the texts, from the home page's folder and from two below it.
        const QString index =
            readTextFile(site.filePath(QStringLiteral("index.html"))).value_or(QString());
        QVERIFY(index.contains(QStringLiteral("<a class=\"button\" href=\"./menu/index.html\">")));
        QVERIFY(index.contains(QStringLiteral("href=\"./about/shop.html#アクセス\"")));
        QVERIFY(index.contains(QStringLiteral("src=\"./image/sample/landscape")));
        const QString coffee = readTextFile(site.filePath(QStringLiteral("menu/coffee/index.html")))
                                   .value_or(QString());
        QVERIFY(coffee.contains(QStringLiteral("href=\"../../css/style.css\"")));
        QVERIFY(
            coffee.contains(QStringLiteral("<li class=\"is-current\"><a href=\"./index.html\"")));
        QVERIFY(site.exists(QStringLiteral("css/light.css")));
        QVERIFY(site.exists(QStringLiteral("template_image/logo.svg")));
    }

    void sampleReportsAFileItCannotWrite()
    {
        QTemporaryDir home;
        const QString document = home.filePath(QStringLiteral("missing/folder/sample.vlm"));
        const Run run =
            runCli({QStringLiteral("sample"), document, QStringLiteral("--home"), home.path()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!run.err.isEmpty());
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFileInfo::exists(document));
    }

    void buildGeneratesAndPublishes()
    {
        QTemporaryDir home;
        const QString templates = writeSimpleTemplate(home);

        const QString document = home.filePath(QStringLiteral("doc.vlm"));
        {
            Document global;
            Category *category = addSimpleSite(global, QStringLiteral("パン屋"), templates);
            global.sites.first()->homeTitle = QStringLiteral("まちのパン屋");
            addSimplePage(category, QStringLiteral("<p>毎朝焼きます。</p>_id_link(1,2)"));
            QVERIFY(DocumentFile::save(global, document));
        }

        const Run run =
            runCli({QStringLiteral("build"), document, QStringLiteral("--home"), home.path()});
        QCOMPARE(run.exitCode, 0);
        const QString published = home.filePath(QStringLiteral("web/パン屋"));
        const QString out = QString::fromUtf8(run.out);
        QVERIFY2(out.contains(QStringLiteral("published: ") + published), qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("pages written: 1")));
        QVERIFY(out.contains(QStringLiteral("messages: 1")));
        // The text's dangling link is reported in full on stderr and listed among the broken
        // links; the output still completes, without the raw call.
        QVERIFY2(run.err.contains(QStringLiteral("リンク先のページ「1_2」が見つかりません\n"
                                                 "_id_link(1,2)")),
                 qPrintable(run.err));
        QVERIFY2(
            out.contains(QStringLiteral("リンク先のページ「1_2」が見つかりません _id_link(1,2)")),
            qPrintable(out));
        const QString index =
            readTextFile(published + QStringLiteral("/index.html")).value_or(QString());
        QVERIFY2(index.startsWith(QStringLiteral("<h1>まちのパン屋</h1><p>毎朝焼きます。</p>")) &&
                     !index.contains(QStringLiteral("_id_link")),
                 qPrintable(index));

        const Run again =
            runCli({QStringLiteral("build"), document, QStringLiteral("--home"), home.path()});
        QCOMPARE(again.exitCode, 0);
        QVERIFY(QString::fromUtf8(again.out).contains(QStringLiteral("pages unchanged: 1")));

        // A page that a link has taken the place of: named, not written through, and a failed
        // run.
        const QString publishedIndex = published + QStringLiteral("/index.html");
        QVERIFY(QFile::remove(publishedIndex));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), publishedIndex));
        const Run full =
            runCli({QStringLiteral("build"), document, QStringLiteral("--home"), home.path()});
        QCOMPARE(full.exitCode, 1);
        QVERIFY2(full.err.contains(publishedIndex) &&
                     full.err.contains(QStringLiteral("シンボリックリンク")),
                 qPrintable(full.err));
        QVERIFY(QFileInfo(publishedIndex).isSymLink());

        const Run noSite = runCli({QStringLiteral("build"), document, QStringLiteral("--site"),
                                   QStringLiteral("花屋"), QStringLiteral("--home"), home.path()});
        QCOMPARE(noSite.exitCode, 1);
        QVERIFY(noSite.err.contains(QStringLiteral("花屋")));

        const Run broken =
            runCli({QStringLiteral("build"), home.filePath(QStringLiteral("none.vlm")),
                    QStringLiteral("--home"), home.path()});
        QCOMPARE(broken.exitCode, 2);
        const Run usage = runCli({QStringLiteral("build"), document, QStringLiteral("--site")});
        QCOMPARE(usage.exitCode, 2);
    }

    void aSignalStopsTheBuildCleanly()
    {
        QTemporaryDir home;
        const QString templates = writeSimpleTemplate(home);
        const QString document = home.filePath(QStringLiteral("doc.vlm"));
        {
            Document global;
            Category *category = addSimpleSite(global, QStringLiteral("big"), templates);
            for (int i = 0; i < 4000; ++i)
                addSimplePage(category, QStringLiteral("<p>%1</p>").arg(i))->fileName =
                    QStringLiteral("p%1").arg(i);
            QVERIFY(DocumentFile::save(global, document));
        }
        // SIGTERM as soon as publishing has begun, which its mark in the folder shows.
        const QString published = home.filePath(QStringLiteral("web/big"));
        const QString mark = published + QStringLiteral("/.velmo-publishing");
        QProcess build;
        build.start(QStringLiteral(VELMO_CLI),
                    {QStringLiteral("build"), document, QStringLiteral("--home"), home.path()});
        QVERIFY(build.waitForStarted());
        bool publishing = false;
        while (!(publishing = QFileInfo::exists(mark)) && build.state() == QProcess::Running)
            QThread::usleep(100);
        build.terminate();
        QVERIFY(build.waitForFinished(60000));
        QVERIFY2(publishing, "the build ended before it published");
        // Stopped (128 + SIGTERM), or done just before the signal came.
        QVERIFY2(build.exitCode() == 128 + SIGTERM || build.exitCode() == 0,
                 qPrintable(QString::number(build.exitCode())));
        QCOMPARE(temporariesBelow(home.path()), QStringList());
        QVERIFY(!QFileInfo::exists(mark));
        // What was published is listed, so that the next run can take it over.
        const QByteArray list = readAll(published + QStringLiteral("/.velmo-published"));
        QDirIterator pages(published, {QStringLiteral("*.html")}, QDir::Files);
        while (pages.hasNext())
            QVERIFY(list.contains(pages.next().mid(published.size() + 1).toUtf8() + '\n'));

        const Run again =
            runCli({QStringLiteral("build"), document, QStringLiteral("--home"), home.path()});
        QCOMPARE(again.exitCode, 0);
        QVERIFY(QFileInfo::exists(published + QStringLiteral("/p3999.html")));
    }

    void dumpShowsEveryObjectInOrder()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.vlm"));
        const QString categoryId = writeDocument(in);
        const Run run = runCli({QStringLiteral("dump"), in});
        QCOMPARE(run.exitCode, 0);
        QJsonParseError error;
        const QJsonObject root = QJsonDocument::fromJson(run.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        // Written piece by piece, yet in the very layout and key order of Qt's own writer.
        QCOMPARE(run.out, QJsonDocument::fromJson(run.out).toJson(QJsonDocument::Indented));

        QCOMPARE(root[u"partTypes"].toArray().size(), 12);
        const QJsonObject textType = root[u"contentTypes"].toArray().at(0).toObject();
        QCOMPARE(textType[u"id"].toString(), QStringLiteral("0_-2147479552"));
        QCOMPARE(textType[u"contents"].toArray().size(), 3);

        const QJsonObject site = root[u"sites"].toArray().at(0).toObject();
        QCOMPARE(site[u"class"].toInt(), 10);
        QCOMPARE(site[u"name"].toString(), QStringLiteral("パン屋"));
        QCOMPARE(site[u"homeTitle"].toString(), QStringLiteral("まちのパン屋"));
        QCOMPARE(site[u"parentId"].toString(), QStringLiteral("0_0"));
        QCOMPARE(site[u"levelNames"].toArray().at(9).toString(), QStringLiteral("レベル１０"));
        const QJsonArray hierarchies = site[u"classifications"].toArray();
        QCOMPARE(hierarchies.size(), 3);
        const QJsonObject menu = hierarchies.at(0).toObject();
        QCOMPARE(menu[u"kind"].toString(), QStringLiteral("0x10200000"));
        QCOMPARE(menu[u"parentId"].toString(), site[u"id"].toString());
        const QJsonObject category = menu[u"categories"].toArray().at(0).toObject();
        QCOMPARE(category[u"id"].toString(), categoryId);
        QCOMPARE(category[u"parentId"].toString(), menu[u"id"].toString());
        const QJsonObject page = category[u"pages"].toArray().at(0).toObject();
        QCOMPARE(page[u"title"].toString(), QStringLiteral("食パン"));
        const QJsonObject content = page[u"contentGroups"]
                                        .toArray()
                                        .at(0)
                                        .toObject()[u"contents"]
                                        .toArray()
                                        .at(0)
                                        .toObject();
        QCOMPARE(content[u"value"].toString(), QStringLiteral("<p>毎朝焼きます。</p>"));
        QCOMPARE(content[u"createdTime"].toInteger(), qint64(1700000000));
        const QJsonObject box = site[u"objectBox"].toObject();
        QCOMPARE(box[u"class"].toInt(), 10000);
        QCOMPARE(box[u"items"].toArray().size(), 1);
        QCOMPARE(box[u"items"].toArray().at(0).toObject()[u"class"].toInt(), 40);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
