// The plan of a transfer from the published folder, the server's listing and the record; the
// listings it reads; a record that cannot be trusted.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "deploy/deployplan.h"
#include "deploy/deployrecord.h"
#include "deploy/remotelisting.h"

using namespace velmo::deploy;
using Type = RemoteListing::Entry::Type;

namespace {

const QByteArray kHashA(64, 'a');

QStringList list(std::initializer_list<const char *> items)
{
    QStringList result;
    for (const char *item : items)
        result << QString::fromUtf8(item);
    return result;
}

const QByteArray kHashB(64, 'b');

// "path:size" for local files; "path:size:type" (f, d, l) for the listing;
// "path:size:hash letter" for the record.
QList<DeployPlan::LocalFile> localFiles(const QStringList &specs)
{
    QList<DeployPlan::LocalFile> files;
    for (const QString &spec : specs) {
        const QStringList parts = spec.split(u':');
        files.append({parts[0], parts[1].toLongLong(), parts[2] == u"a" ? kHashA : kHashB});
    }
    return files;
}

RemoteListing::Tree remoteTree(const QStringList &specs)
{
    RemoteListing::Tree tree;
    for (const QString &spec : specs) {
        const QStringList parts = spec.split(u':');
        RemoteListing::Entry entry;
        entry.name = parts[0].section(u'/', -1);
        entry.size = parts[1].toLongLong();
        entry.type = parts[2] == u"d" ? Type::Folder : parts[2] == u"l" ? Type::Link : Type::File;
        tree.insert(parts[0], entry);
    }
    return tree;
}

QStringList describe(const DeployPlan &plan)
{
    QStringList lines;
    for (const DeployPlan::Action &action : plan.actions()) {
        const char *verb = action.kind == DeployPlan::Action::Kind::Upload    ? "upload"
                           : action.kind == DeployPlan::Action::Kind::Replace ? "replace"
                                                                              : "delete";
        lines << QString::fromLatin1(verb) + u' ' + action.path;
    }
    for (const DeployPlan::Conflict &conflict : plan.conflicts())
        lines << u"conflict "_qs + conflict.path;
    for (const QString &path : plan.unchanged())
        lines << u"unchanged "_qs + path;
    return lines;
}

} // namespace

class TestDeployPlan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plan_data()
    {
        QTest::addColumn<QStringList>("local");
        QTest::addColumn<QStringList>("remote");
        QTest::addColumn<QStringList>("record");
        QTest::addColumn<QStringList>("expected");
        // clang-format off
        QTest::newRow("first upload: no listing entries, no record")
            << list({"index.html:10:a", "css/s.css:5:a"}) << QStringList() << QStringList()
            << list({"upload css/s.css", "upload index.html"});
        QTest::newRow("sent before and still there: unchanged")
            << list({"index.html:10:a"}) << list({"index.html:10:f"})
            << list({"index.html:10:a"}) << list({"unchanged index.html"});
        QTest::newRow("the record says sent, the listing lacks it: sent again")
            << list({"index.html:10:a"}) << QStringList() << list({"index.html:10:a"})
            << list({"upload index.html"});
        QTest::newRow("the listing shows another size (a broken upload): replaced")
            << list({"index.html:10:a"}) << list({"index.html:4:f"})
            << list({"index.html:10:a"}) << list({"replace index.html"});
        QTest::newRow("same size, other content: replaced")
            << list({"index.html:10:b"}) << list({"index.html:10:f"})
            << list({"index.html:10:a"}) << list({"replace index.html"});
        QTest::newRow("no record: a file of the same size is still compared, so replaced")
            << list({"index.html:10:a"}) << list({"index.html:10:f"}) << QStringList()
            << list({"replace index.html"});
        QTest::newRow("no longer published and sent by Velmo: deleted")
            << QStringList() << list({"old.html:3:f"}) << list({"old.html:3:a"})
            << list({"delete old.html"});
        QTest::newRow("the user's own files stay")
            << QStringList() << list({".htaccess:3:f", "blog/x.php:3:f", "blog:0:d"})
            << QStringList() << QStringList();
        QTest::newRow("a recorded file now a folder or a link is not deleted")
            << QStringList() << list({"a.html:0:d", "b.html:9:l"})
            << list({"a.html:3:a", "b.html:3:a"}) << QStringList();
        QTest::newRow("a folder where a file goes: named, never removed")
            << list({"a.html:10:a"}) << list({"a.html:0:d"}) << QStringList()
            << list({"conflict a.html"});
        QTest::newRow("a link in place of the file: not written through")
            << list({"a.html:10:a"}) << list({"a.html:9:l"}) << QStringList()
            << list({"conflict a.html"});
        QTest::newRow("a link in place of a folder: nothing below it is written")
            << list({"css/s.css:10:a", "index.html:1:a"}) << list({"css:9:l"})
            << QStringList() << list({"upload index.html", "conflict css/s.css"});
        QTest::newRow("a file in place of a folder")
            << list({"css/s.css:10:a"}) << list({"css:9:f"}) << QStringList()
            << list({"conflict css/s.css"});
        QTest::newRow("bookkeeping is never sent; a leftover temporary file goes")
            << list({".velmo-published:10:a", "a.html:1:a"})
            << list({".a.html.velmo-part:1:f", ".b.html.velmo-part:1:f"}) << QStringList()
            << list({"upload a.html", "delete .b.html.velmo-part"});
        QTest::newRow("a line break in a name is refused")
            << list({"a\nb.html:1:a"}) << QStringList() << QStringList()
            << list({"conflict a\nb.html"});
        // clang-format on
    }
    void plan()
    {
        QFETCH(QStringList, local);
        QFETCH(QStringList, remote);
        QFETCH(QStringList, record);
        QFETCH(QStringList, expected);
        DeployRecord sent;
        for (const DeployPlan::LocalFile &file : localFiles(record))
            sent.set(file.path, {file.size, file.hash});
        const DeployPlan plan = DeployPlan::make(localFiles(local), remoteTree(remote), sent);
        QCOMPARE(describe(plan), expected);
    }

    void listings_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("mlsd");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<qint64>("size");
        // clang-format off
        QTest::newRow("sftp file with blanks in its name")
            << QByteArray("-rw-r--r--    1 web      web          1234 Dec  9 03:18 a  b.html\n")
            << false << u"a  b.html"_qs << int(Type::File) << qint64(1234);
        QTest::newRow("sftp Japanese name")
            << QByteArray("drwxr-xr-x    2 web      web          4096 Jan  1  2024 日記 帳\n")
            << false << u"日記 帳"_qs << int(Type::Folder) << qint64(4096);
        QTest::newRow("sftp link, its target left out")
            << QByteArray("lrwxrwxrwx    1 web      web            11 Dec  9 03:18 css -> /etc\n")
            << false << u"css"_qs << int(Type::Link) << qint64(11);
        QTest::newRow("mlsd file with blanks and a time")
            << QByteArray("modify=20240102030405;size=6;type=file; x y.html\r\n")
            << true << u"x y.html"_qs << int(Type::File) << qint64(6);
        QTest::newRow("mlsd Japanese folder")
            << QByteArray("type=dir;modify=20240102030405; 写真\r\n")
            << true << u"写真"_qs << int(Type::Folder) << qint64(-1);
        QTest::newRow("mlsd link")
            << QByteArray("type=OS.unix=slink:/etc;size=4; etc\r\n")
            << true << u"etc"_qs << int(Type::Link) << qint64(4);
        // clang-format on
    }
    void listings()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, mlsd);
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(qint64, size);
        // The dot entries around it never count.
        const QByteArray dots = mlsd ? QByteArray("type=cdir; .\r\ntype=pdir; ..\r\n")
                                     : QByteArray("drwxr-xr-x 2 u g 1 Dec  9 03:18 .\n"
                                                  "drwxr-xr-x 2 u g 1 Dec  9 03:18 ..\n");
        const QList<RemoteListing::Entry> entries =
            mlsd ? RemoteListing::parseMlsd(dots + text)
                 : RemoteListing::parseLongListing(dots + text);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].name, name);
        QCOMPARE(int(entries[0].type), type);
        QCOMPARE(entries[0].size, size);
    }

    // A record cut short or edited is not trusted at all: everything is compared, nothing
    // deleted on its word.
    void damagedRecordIsEmpty()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"r.tsv"_qs);
        DeployRecord record;
        QCOMPARE(record.load(path), DeployRecord::LoadResult::Missing);
        record.set(u"a b/日本.html"_qs, {10, kHashA});
        record.set(u"c.html"_qs, {5, kHashB});
        QVERIFY(record.save(path));
        DeployRecord again;
        QCOMPARE(again.load(path), DeployRecord::LoadResult::Loaded);
        QCOMPARE(again.files(), record.files());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray whole = file.readAll();
        file.close();
        for (const QByteArray &broken :
             {whole.left(whole.indexOf("end")), whole.left(whole.size() - 1),
              QByteArray(whole).replace("\n5\t", "\nx\t"), QByteArray()}) {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(broken);
            file.close();
            QCOMPARE(again.load(path), DeployRecord::LoadResult::Damaged);
            QVERIFY(again.files().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestDeployPlan)
#include "tst_deployplan.moc"
