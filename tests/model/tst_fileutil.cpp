// File and path helpers on a real temporary folder: relative links, folder creation, UTF-8
// text files written only when changed, listings, tree copies, guarded deletion,
// case-insensitive lookup, and the choice of the data root.
#include <memory>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "model/dataroot.h"
#include "model/fileutil.h"

using namespace velmo;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kLongAgo = QDateTime::fromSecsSinceEpoch(1'500'000'000);

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Moves a file's modification time into the past, so that any rewrite shows.
void age(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(kLongAgo, QFileDevice::FileModificationTime));
}

QDateTime modified(const QString &path)
{
    return QFileInfo(path).lastModified();
}

// Sets or clears an environment variable for one test and restores it afterwards.
class EnvironmentGuard
{
public:
    explicit EnvironmentGuard(const char *name)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name))
    {
        m_value = qgetenv(name);
    }
    ~EnvironmentGuard()
    {
        if (m_had)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }
    void set(const QString &value) { qputenv(m_name, value.toUtf8()); }
    void unset() { qunsetenv(m_name); }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_value;
};

} // namespace

class TestFileUtil : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void relativePath_data();
    void relativePath();

    void createFolderPath();
    void createFolderPathReportsBlockedFolder();
    void writeFailureReasonWithoutErrorCode_data();
    void writeFailureReasonWithoutErrorCode();

    void readTextFile();
    void writeTextFileIfChanged();
    void writeTextFileIfChangedRewritesByteOrderMark();
    void sameFileContents();

    void listFiles();
    void listFolders();
    void listFolderTree();

    void copyFolderTree();
    void copyFolderTreeIntoItself();

    void deleteFolder();
    void deleteFolderRefuses_data();
    void deleteFolderRefuses();
    void deleteFolderKeepsLinkedFolders();

    void findFileIgnoringCase();

    void dataRootOrder();
    void dataRootSeedsOnce();
    void dataRootSeedsSamplePicturesWhereMissing();

private:
    QString path(const QString &relative) const { return m_dir->filePath(relative); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFileUtil::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFileUtil::relativePath_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("sibling folder")       << u"site\\menu_1\\page_1_.html"_s << u"site\\menu_2\\page_2_.html"_s << u"../menu_1/page_1_.html"_s;
    QTest::newRow("same folder")          << u"site/menu_1/a.html"_s         << u"site/menu_1/b.html"_s         << u"./a.html"_s;
    QTest::newRow("folder target")        << u"site/menu_1"_s                << u"site/index.html"_s            << u"./menu_1/"_s;
    QTest::newRow("two levels up")        << u"site/css/style.css"_s         << u"site/a/b/page.html"_s         << u"../../css/style.css"_s;
    QTest::newRow("ancestor folder")      << u"site"_s                       << u"site/a/page.html"_s           << u"../"_s;
    QTest::newRow("base is a folder")     << u"site/css/style.css"_s         << u"site/menu"_s                  << u"../css/style.css"_s;
    QTest::newRow("mixed separators")     << u"site/menu_1\\p.html"_s        << u"site\\menu_1/q.html"_s        << u"./p.html"_s;
    QTest::newRow("absolute paths")       << u"/w/site/css/style.css"_s      << u"/w/site/index.html"_s         << u"./css/style.css"_s;
    QTest::newRow("case matters")         << u"Site/a.html"_s                << u"site/b.html"_s                << u"../Site/a.html"_s;
    QTest::newRow("dotted folder")        << u"site/v1.2/page.html"_s        << u"site/index.html"_s            << u"./v1.2/page.html"_s;
    QTest::newRow("empty base")           << u"a/b.html"_s                   << QString()                        << u"./a/b.html"_s;
    QTest::newRow("trailing separator")   << u"site/menu/"_s                 << u"site/index.html"_s            << u"./menu/"_s;
    // clang-format on
}

void TestFileUtil::relativePath()
{
    QFETCH(QString, target);
    QFETCH(QString, base);
    QFETCH(QString, expected);
    QCOMPARE(velmo::relativePath(target, base), expected);
}

void TestFileUtil::createFolderPath()
{
    // The last component names a file: folders up to it appear, the file does not.
    const QString windowsStyle = path(u"a/b/test.dat"_s).replace(u'/', u'\\');
    QCOMPARE(velmo::createFolderPath(windowsStyle), 1);
    QVERIFY(velmo::isDirectory(path(u"a"_s)));
    QVERIFY(velmo::isDirectory(path(u"a/b"_s)));
    QVERIFY(!velmo::fileExists(path(u"a/b/test.dat"_s)));

    QCOMPARE(velmo::createFolderPath(path(u"c//d/test.dat"_s)), 1);
    QVERIFY(velmo::isDirectory(path(u"c/d"_s)));

    // A relative path's first folder is created too.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    const int relative = velmo::createFolderPath(u"rel/sub/x.txt"_s);
    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(relative, 1);
    QVERIFY(velmo::isDirectory(path(u"rel/sub"_s)));

    QCOMPARE(velmo::createFolderPath(QString()), 0);
    QCOMPARE(velmo::createFolderPath(u"only-a-file.dat"_s), 1);
}

void TestFileUtil::createFolderPathReportsBlockedFolder()
{
    writeBytes(path(u"blocked"_s), "a file where a folder should be");
    QCOMPARE(velmo::createFolderPath(path(u"blocked/inner/x.dat"_s)), 0);
    QVERIFY(!velmo::isDirectory(path(u"blocked"_s)));
}

void TestFileUtil::writeFailureReasonWithoutErrorCode_data()
{
    // A save through QSaveFile keeps no errno: the reason is judged from the name and from the
    // free space against what was to be written.
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("bytesNeeded");
    QTest::addColumn<QString>("reason");
    const qint64 huge = qint64(1) << 62;
    // clang-format off
    QTest::newRow("name too long") << QString(300, u'x') << qint64(1) << u"名前が長すぎます"_s;
    QTest::newRow("more than the disk holds") << u"doc.vlm"_s << huge << u"ディスクがいっぱいです"_s;
    QTest::newRow("below a folder not made yet") << u"a/b/doc.vlm"_s << huge
                                                 << u"ディスクがいっぱいです"_s;
    QTest::newRow("room to spare") << u"doc.vlm"_s << qint64(1) << u"書き込めませんでした"_s;
    // clang-format on
}

void TestFileUtil::writeFailureReasonWithoutErrorCode()
{
    QFETCH(QString, name);
    QFETCH(qint64, bytesNeeded);
    QFETCH(QString, reason);
    const QString text = velmo::writeFailureReason(0, path(name), bytesNeeded);
    QVERIFY2(text.startsWith(reason), qPrintable(text));
}

void TestFileUtil::readTextFile()
{
    // Japanese, a character outside the BMP (two UTF-16 units) and a leading byte-order mark.
    const QString expected = u"見出し\r\n𠮷野家"_s;
    writeBytes(path(u"bom.html"_s), QByteArray("\xEF\xBB\xBF") + expected.toUtf8());
    const std::optional<QString> text = velmo::readTextFile(path(u"bom.html"_s));
    QVERIFY(text);
    QCOMPARE(*text, expected);
    QCOMPARE(text->size(), 9);

    QVERIFY(!velmo::readTextFile(path(u"missing.html"_s)));
    QVERIFY(!velmo::readTextFile(m_dir->path()));

    // What is not a regular file of a sane size is no text: a FIFO would block for ever, a
    // device read without end.
    QCOMPARE(::mkfifo(QFile::encodeName(path(u"fifo.html"_s)).constData(), 0600), 0);
    QVERIFY(QFile::link(path(u"fifo.html"_s), path(u"link.html"_s)));
    for (const QString &special : {path(u"fifo.html"_s), path(u"link.html"_s), u"/dev/zero"_s})
        QVERIFY2(!velmo::readTextFile(special), qPrintable(special));
    QFile big(path(u"big.css"_s));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(velmo::kMaxTextFileBytes + 1));
    big.close();
    QVERIFY(!velmo::readTextFile(path(u"big.css"_s)));
}

void TestFileUtil::writeTextFileIfChanged()
{
    const QString file = path(u"page.html"_s);
    const QString text = u"<title>サイト</title>"_s;
    const QByteArray utf8 = text.toUtf8();

    // Missing: created, byte count plus the terminator that is not written.
    QCOMPARE(velmo::writeTextFileIfChanged(text, file), utf8.size() + 1);
    QCOMPARE(readBytes(file), utf8);

    // Same text: untouched, the text's length returned.
    age(file);
    QCOMPARE(velmo::writeTextFileIfChanged(text, file), text.size());
    QCOMPARE(modified(file), kLongAgo);

    // Other text: rewritten and truncated.
    QCOMPARE(velmo::writeTextFileIfChanged(u"短"_s, file), 4);
    QCOMPARE(readBytes(file), u"短"_s.toUtf8());
    QVERIFY(modified(file) != kLongAgo);

    // An empty text over an empty file is no change either.
    QCOMPARE(velmo::writeTextFileIfChanged(QString(), file), 1);
    age(file);
    QCOMPARE(velmo::writeTextFileIfChanged(QString(), file), 1);
    QCOMPARE(modified(file), kLongAgo);

    QCOMPARE(velmo::writeTextFileIfChanged(text, path(u"no/such/folder/page.html"_s)), 0);
    QCOMPARE(velmo::writeTextFileIfChanged(text, m_dir->path()), 0);
}

void TestFileUtil::writeTextFileIfChangedRewritesByteOrderMark()
{
    // Generated pages carry no byte-order mark even when an older file had one.
    const QString file = path(u"page.html"_s);
    writeBytes(file, QByteArray("\xEF\xBB\xBF") + "same");
    QCOMPARE(velmo::sameTextInFile(u"same"_s, file), 0);
    QCOMPARE(velmo::writeTextFileIfChanged(u"same"_s, file), 5);
    QCOMPARE(readBytes(file), QByteArray("same"));
    QCOMPARE(velmo::sameTextInFile(u"same"_s, file), 4);
}

void TestFileUtil::sameFileContents()
{
    writeBytes(path(u"a"_s), QByteArray(200'000, 'x'));
    writeBytes(path(u"b"_s), QByteArray(200'000, 'x'));
    QByteArray late(200'000, 'x');
    late[199'999] = 'y';
    writeBytes(path(u"c"_s), late);
    writeBytes(path(u"d"_s), QByteArray(199'999, 'x'));

    QCOMPARE(velmo::sameFileContents(path(u"a"_s), path(u"b"_s)), 1);
    QCOMPARE(velmo::sameFileContents(path(u"a"_s), path(u"c"_s)), 0);
    QCOMPARE(velmo::sameFileContents(path(u"a"_s), path(u"d"_s)), 0);
    QCOMPARE(velmo::sameFileContents(path(u"a"_s), path(u"missing"_s)), 0);
}

void TestFileUtil::listFiles()
{
    for (const char16_t *name :
         {u"b.html", u"a.HTML", u"C.Html", u"d.htm", u"noext", u".hidden.html"})
        writeBytes(path(u"t/"_s + QString::fromUtf16(name)), "x");
    QVERIFY(QDir().mkpath(path(u"t/folder.html"_s)));

    QCOMPARE(velmo::listFiles(path(u"t/*.html"_s)),
             (QStringList{u"a.HTML"_s, u"b.html"_s, u"C.Html"_s}));

    // "*.*" is every file, with or without a dot, as it was where the templates come from.
    QCOMPARE(velmo::listFiles(path(u"t\\*.*"_s)),
             (QStringList{u"a.HTML"_s, u"b.html"_s, u"C.Html"_s, u"d.htm"_s, u"noext"_s}));

    QVERIFY(velmo::listFiles(path(u"missing/*.html"_s)).isEmpty());
    QVERIFY(velmo::listFiles(path(u"t/"_s)).isEmpty());
}

void TestFileUtil::listFolders()
{
    QVERIFY(QDir().mkpath(path(u"t/サンプル１"_s)));
    QVERIFY(QDir().mkpath(path(u"t/Beta"_s)));
    QVERIFY(QDir().mkpath(path(u"t/alpha"_s)));
    writeBytes(path(u"t/file.txt"_s), "x");

    QCOMPARE(velmo::listFolders(path(u"t/*.*"_s)),
             (QStringList{u"alpha"_s, u"Beta"_s, u"サンプル１"_s}));
}

void TestFileUtil::listFolderTree()
{
    writeBytes(path(u"tree/a.html"_s), "a");
    writeBytes(path(u"tree/お知らせ/b.html"_s), "b");
    writeBytes(path(u"tree/お知らせ/deep/c.css"_s), "c");
    writeBytes(path(u"elsewhere/d.html"_s), "d");
    QVERIFY(QDir().mkpath(path(u"tree/empty"_s)));
    QVERIFY(QFile::link(path(u"elsewhere"_s), path(u"tree/linked"_s)));

    // A link is listed as what it is, not entered; a trailing slash changes no path.
    velmo::FolderTree tree = velmo::listFolderTree(path(u"tree/"_s));
    const QString root = path(u"tree"_s);
    QStringList files = tree.files;
    files.sort();
    QCOMPARE(files, (QStringList{root + u"/a.html"_s, root + u"/linked"_s,
                                 root + u"/お知らせ/b.html"_s, root + u"/お知らせ/deep/c.css"_s}));
    // Each folder after the folders it holds, so that emptied ones can go deepest first.
    QCOMPARE(tree.folders.size(), 3);
    QVERIFY(tree.folders.indexOf(root + u"/お知らせ/deep"_s) <
            tree.folders.indexOf(root + u"/お知らせ"_s));
    QVERIFY(tree.folders.contains(root + u"/empty"_s));

    tree = velmo::listFolderTree(path(u"missing"_s));
    QVERIFY(tree.files.isEmpty() && tree.folders.isEmpty());
}

void TestFileUtil::copyFolderTree()
{
    writeBytes(path(u"src/css/style.css"_s), "body{}");
    writeBytes(path(u"src/ページテンプレート/top.html"_s), "top");
    writeBytes(path(u"src/same.txt"_s), "same");
    QVERIFY(QDir().mkpath(path(u"src/empty"_s)));

    velmo::copyFolderTree(path(u"src"_s), path(u"out/dst"_s));
    QCOMPARE(readBytes(path(u"out/dst/css/style.css"_s)), QByteArray("body{}"));
    QCOMPARE(readBytes(path(u"out/dst/ページテンプレート/top.html"_s)), QByteArray("top"));
    QVERIFY(velmo::isDirectory(path(u"out/dst/empty"_s)));

    // Second run: only the file that changed (to a shorter text) is written.
    writeBytes(path(u"src/css/style.css"_s), "p{}");
    age(path(u"out/dst/same.txt"_s));
    age(path(u"out/dst/css/style.css"_s));
    velmo::copyFolderTree(path(u"src"_s), path(u"out/dst"_s));
    QCOMPARE(readBytes(path(u"out/dst/css/style.css"_s)), QByteArray("p{}"));
    QVERIFY(modified(path(u"out/dst/css/style.css"_s)) != kLongAgo);
    QCOMPARE(modified(path(u"out/dst/same.txt"_s)), kLongAgo);

    // Equal sizes are no proof of equal contents.
    writeBytes(path(u"src/same.txt"_s), "SAME");
    velmo::copyFolderTree(path(u"src"_s), path(u"out/dst"_s));
    QCOMPARE(readBytes(path(u"out/dst/same.txt"_s)), QByteArray("SAME"));

    // A missing source copies nothing and creates nothing.
    velmo::copyFolderTree(path(u"missing"_s), path(u"other"_s));
    QVERIFY(!velmo::fileExists(path(u"other"_s)));
}

void TestFileUtil::copyFolderTreeIntoItself()
{
    writeBytes(path(u"tree/a.txt"_s), "a");
    velmo::copyFolderTree(path(u"tree"_s), path(u"tree/backup"_s));
    QCOMPARE(readBytes(path(u"tree/backup/a.txt"_s)), QByteArray("a"));
    QVERIFY(!velmo::fileExists(path(u"tree/backup/backup"_s)));
}

void TestFileUtil::deleteFolder()
{
    const QString root = path(u"temporary"_s);
    writeBytes(path(u"temporary/site/css/style.css"_s), "x");
    writeBytes(path(u"temporary/loose.txt"_s), "x");

    QCOMPARE(velmo::deleteFolder(path(u"temporary\\site\\"_s), root), 1);
    QVERIFY(!velmo::fileExists(path(u"temporary/site"_s)));
    QCOMPARE(velmo::deleteFolder(path(u"temporary/loose.txt"_s), root), 1);
    QVERIFY(!velmo::fileExists(path(u"temporary/loose.txt"_s)));
    QVERIFY(velmo::isDirectory(root));

    // Nothing there is nothing to fail at.
    QCOMPARE(velmo::deleteFolder(path(u"temporary/never"_s), root), 1);
}

void TestFileUtil::deleteFolderRefuses_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("root");

    // clang-format off
    QTest::newRow("the root itself")     << u"temporary"_s                 << u"temporary"_s;
    QTest::newRow("root with separator") << u"temporary/"_s                << u"temporary"_s;
    QTest::newRow("outside")             << u"outside"_s                   << u"temporary"_s;
    QTest::newRow("climbing out")        << u"temporary/../outside"_s      << u"temporary"_s;
    QTest::newRow("climbing, backslash") << u"temporary\\site\\..\\.."_s   << u"temporary"_s;
    QTest::newRow("name prefix only")    << u"temporary-old"_s             << u"temporary"_s;
    QTest::newRow("through a link")      << u"temporary/link/victim"_s     << u"temporary"_s;
    QTest::newRow("no root given")       << u"temporary/site"_s            << QString();
    // clang-format on
}

void TestFileUtil::deleteFolderRefuses()
{
    QFETCH(QString, target);
    QFETCH(QString, root);
    writeBytes(path(u"temporary/site/a.txt"_s), "x");
    writeBytes(path(u"outside/victim/keep.txt"_s), "keep");
    writeBytes(path(u"temporary-old/keep.txt"_s), "keep");
    QVERIFY(QFile::link(path(u"outside"_s), path(u"temporary/link"_s)));

    QCOMPARE(velmo::deleteFolder(path(target), root.isEmpty() ? root : path(root)), 0);
    QVERIFY(velmo::fileExists(path(u"temporary/site/a.txt"_s)));
    QVERIFY(velmo::fileExists(path(u"outside/victim/keep.txt"_s)));
    QVERIFY(velmo::fileExists(path(u"temporary-old/keep.txt"_s)));
}

void TestFileUtil::deleteFolderKeepsLinkedFolders()
{
    // Links inside the deleted tree go; what they point at stays.
    writeBytes(path(u"outside/keep.txt"_s), "keep");
    QVERIFY(QDir().mkpath(path(u"temporary/site"_s)));
    QVERIFY(QFile::link(path(u"outside"_s), path(u"temporary/site/link"_s)));
    QVERIFY(QFile::link(path(u"outside"_s), path(u"temporary/direct"_s)));

    QCOMPARE(velmo::deleteFolder(path(u"temporary/site"_s), path(u"temporary"_s)), 1);
    QCOMPARE(velmo::deleteFolder(path(u"temporary/direct"_s), path(u"temporary"_s)), 1);
    QVERIFY(!QFileInfo(path(u"temporary/direct"_s)).isSymLink());
    QVERIFY(!velmo::fileExists(path(u"temporary/site"_s)));
    QCOMPARE(readBytes(path(u"outside/keep.txt"_s)), QByteArray("keep"));
}

void TestFileUtil::findFileIgnoringCase()
{
    writeBytes(path(u"Template/Page.HTML"_s), "x");
    writeBytes(path(u"Template/x.txt"_s), "lower");
    writeBytes(path(u"Template/X.txt"_s), "upper");

    QCOMPARE(velmo::findFileIgnoringCase(path(u"template/page.html"_s)),
             path(u"Template/Page.HTML"_s));
    QCOMPARE(velmo::findFileIgnoringCase(path(u"TEMPLATE\\PAGE.html"_s)),
             path(u"Template/Page.HTML"_s));
    QCOMPARE(velmo::findFileIgnoringCase(path(u"Template/x.txt"_s)), path(u"Template/x.txt"_s));
    // Two candidates: the same one every time.
    QCOMPARE(velmo::findFileIgnoringCase(path(u"template/x.TXT"_s)), path(u"Template/X.txt"_s));
    QCOMPARE(velmo::findFileIgnoringCase(path(u"template/missing.html"_s)), QString());
    QCOMPARE(velmo::findFileIgnoringCase(path(u"nothing/page.html"_s)), QString());
    QCOMPARE(velmo::findFileIgnoringCase(QString()), QString());
}

void TestFileUtil::dataRootOrder()
{
    EnvironmentGuard home("VELMO_HOME");
    EnvironmentGuard dataHome("XDG_DATA_HOME");
    const QString portable = path(u"portable"_s);
    QVERIFY(QDir().mkpath(portable + u"/template"_s));
    const QString bare = path(u"bin"_s);
    QVERIFY(QDir().mkpath(bare));

    home.set(path(u"from-env"_s));
    QCOMPARE(DataRoot::resolve(path(u"option/"_s), portable, QString()), path(u"option"_s));
    QCOMPARE(DataRoot::resolve(QString(), portable, QString()), path(u"from-env"_s));

    home.unset();
    QCOMPARE(DataRoot::resolve(QString(), portable, QString()), portable);

    dataHome.set(path(u"xdg"_s));
    QCOMPARE(DataRoot::resolve(QString(), bare, QString()), path(u"xdg/velmo"_s));
    QVERIFY(velmo::isDirectory(path(u"xdg/velmo"_s)));

    // A relative XDG_DATA_HOME is ignored for the home folder's default.
    EnvironmentGuard userHome("HOME");
    userHome.set(path(u"user"_s));
    dataHome.set(u"relative/data"_s);
    QCOMPARE(DataRoot::resolve(QString(), bare, QString()), path(u"user/.local/share/velmo"_s));
}

void TestFileUtil::dataRootSeedsOnce()
{
    EnvironmentGuard home("VELMO_HOME");
    EnvironmentGuard dataHome("XDG_DATA_HOME");
    home.unset();
    dataHome.set(path(u"xdg"_s));
    const QString share = path(u"share"_s);
    writeBytes(share + u"/template/サンプル/サンプル１/ページテンプレート/top.html"_s, "sample");

    const QString root = DataRoot::resolve(QString(), path(u"bin"_s), share);
    const QString seeded = root + u"/template/サンプル/サンプル１/ページテンプレート/top.html"_s;
    QCOMPARE(readBytes(seeded), QByteArray("sample"));

    // The user's edit survives the next start.
    writeBytes(seeded, "edited");
    QCOMPARE(DataRoot::resolve(QString(), path(u"bin"_s), share), root);
    QCOMPARE(readBytes(seeded), QByteArray("edited"));
}

void TestFileUtil::dataRootSeedsSamplePicturesWhereMissing()
{
    EnvironmentGuard home("VELMO_HOME");
    EnvironmentGuard dataHome("XDG_DATA_HOME");
    home.unset();
    dataHome.set(path(u"xdg"_s));
    const QString share = path(u"share"_s);
    writeBytes(share + u"/template/サンプル/サンプル１/css/light.css"_s, "installed");
    writeBytes(share + u"/user_image/sample/lake.jpg"_s, "lake");
    // A data root from before the pictures were installed, with a template the user changed.
    const QString userTemplate = path(u"xdg/velmo/template/サンプル/サンプル１/css/light.css"_s);
    writeBytes(userTemplate, "mine");

    const QString root = DataRoot::resolve(QString(), path(u"bin"_s), share);
    const QString picture = root + u"/user_image/sample/lake.jpg"_s;
    QCOMPARE(readBytes(picture), QByteArray("lake"));
    QCOMPARE(readBytes(userTemplate), QByteArray("mine"));

    // Once there, the folder is the user's: an edited picture survives, a deleted one stays
    // deleted.
    writeBytes(picture, "edited");
    writeBytes(share + u"/user_image/sample/forest.jpg"_s, "forest");
    QCOMPARE(DataRoot::resolve(QString(), path(u"bin"_s), share), root);
    QCOMPARE(readBytes(picture), QByteArray("edited"));
    QVERIFY(!QFileInfo::exists(root + u"/user_image/sample/forest.jpg"_s));
    // A sample folder the user deleted does not come back.
    QVERIFY(QDir(root + u"/user_image/sample"_s).removeRecursively());
    QCOMPARE(DataRoot::resolve(QString(), path(u"bin"_s), share), root);
    QVERIFY(!velmo::fileExists(root + u"/user_image/sample"_s));

    // Without an installed share folder nothing is seeded and nothing fails.
    dataHome.set(path(u"elsewhere"_s));
    const QString bare = DataRoot::resolve(QString(), path(u"bin"_s), path(u"no-share"_s));
    QVERIFY(velmo::isDirectory(bare));
    QVERIFY(!velmo::fileExists(bare + u"/user_image"_s));
}

QTEST_GUILESS_MAIN(TestFileUtil)
#include "tst_fileutil.moc"
