// The image selection dialog, its thumbnail list and the preview frame, driven through their
// widgets on small pictures made here, and the thumbnail cache under a private cache folder.
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

#include "app/messageboxwrapper.h"
#include "editors/imagepreviewframe.h"
#include "editors/imageselectdialog.h"
#include "editors/thumbnaillist.h"
#include "imaging/thumbnailcache.h"

using namespace Qt::StringLiterals;
using velmo::img::ThumbnailCache;
using velmo::ui::ImageSelectDialog;
using velmo::ui::ThumbnailList;

namespace {

void writePicture(const QString &path, int width, int height, const char *format = "png")
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QVERIFY(image.save(path, format));
}

void setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

template<typename T>
T *child(const QWidget &parent, const QString &name)
{
    T *widget = parent.findChild<T *>(name);
    if (widget == nullptr)
        qFatal("no widget %s", qPrintable(name));
    return widget;
}

void clickRow(ThumbnailList *list, int row)
{
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(row).center());
}

QStringList listedNames(const ThumbnailList *list)
{
    QStringList names;
    for (const auto &record : list->records().records())
        names.append(record.fileName);
    return names;
}

} // namespace

class TestImageSelect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sortButtonsToggleTheirOrder();
    void keepingProportionsFollowsTheOtherBox();
    void insertButtonsReturnTheirKind_data();
    void insertButtonsReturnTheirKind();
    void clickBelowTheLastRowKeepsThePreviousChoice();
    void extensionsMatchInAnyCaseAndUndecodableFilesCannotBeInserted();
    void refreshDropsAVanishedFolder();
    void thumbnailCacheIsReusedUntilTheFileChanges();
    void poisonedCacheFilesAreTurnedDown_data();
    void poisonedCacheFilesAreTurnedDown();
    void previewFrameFitsThePictureOrReportsFailure();

private:
    QTemporaryDir m_cache;
};

void TestImageSelect::initTestCase()
{
    QVERIFY(m_cache.isValid());
    // Never the user's own thumbnail cache.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
}

void TestImageSelect::sortButtonsToggleTheirOrder()
{
    QTemporaryDir folder;
    writePicture(folder.filePath(u"a.png"_s), 100, 100);
    writePicture(folder.filePath(u"z.png"_s), 10, 10);
    setModified(folder.filePath(u"a.png"_s), QDateTime::fromSecsSinceEpoch(1600000000));
    setModified(folder.filePath(u"z.png"_s), QDateTime::fromSecsSinceEpoch(1500000000));
    ImageSelectDialog dialog;
    dialog.setRootFolder(folder.path());
    dialog.show();
    ThumbnailList *list = dialog.thumbnailList();
    auto press = [&](const QString &button) {
        QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
        return listedNames(list);
    };

    // Listed by name at first; the first press sorts ascending too, the second reverses.
    QCOMPARE(listedNames(list), QStringList({u"a.png"_s, u"z.png"_s}));
    QCOMPARE(press(u"sortByNameButton"_s), QStringList({u"a.png"_s, u"z.png"_s}));
    QVERIFY(list->caption(0).startsWith(u"[ a.png ] (0)\n\n[100x100]\n作成 :"_s));
    QCOMPARE(child<QLineEdit>(dialog, u"selectedImageEdit"_s)->text(), u"a.png"_s);
    QCOMPARE(press(u"sortByNameButton"_s), QStringList({u"z.png"_s, u"a.png"_s}));
    QCOMPARE(press(u"sortBySizeButton"_s), QStringList({u"z.png"_s, u"a.png"_s}));
    QCOMPARE(press(u"sortBySizeButton"_s), QStringList({u"a.png"_s, u"z.png"_s}));
    QCOMPARE(press(u"sortByTimeButton"_s), QStringList({u"a.png"_s, u"z.png"_s}));
    QCOMPARE(press(u"sortByTimeButton"_s), QStringList({u"z.png"_s, u"a.png"_s}));
    QCOMPARE(press(u"sortByBytesButton"_s).first(), u"z.png"_s);
    // After every sort the first row is the selection and its size is in the boxes.
    QCOMPARE(list->records().selectedIndex(), 0);
    QCOMPARE(child<QLineEdit>(dialog, u"widthEdit"_s)->text(), u"10"_s);
}

void TestImageSelect::keepingProportionsFollowsTheOtherBox()
{
    QTemporaryDir folder;
    writePicture(folder.filePath(u"photo.png"_s), 400, 300);
    ImageSelectDialog dialog;
    dialog.setRootFolder(folder.path());
    dialog.show();
    auto *width = child<QLineEdit>(dialog, u"widthEdit"_s);
    auto *height = child<QLineEdit>(dialog, u"heightEdit"_s);
    QVERIFY(child<QCheckBox>(dialog, u"keepRatioCheck"_s)->isChecked());
    QCOMPARE(width->text(), u"400"_s);
    QCOMPARE(height->text(), u"300"_s);

    width->selectAll();
    QTest::keyClicks(width, u"100"_s);
    QCOMPARE(height->text(), u"75"_s);
    QCOMPARE(width->text(), u"100"_s); // no echo back into the box being typed in
    width->selectAll();
    QTest::keyClicks(width, u"1"_s);
    QCOMPARE(height->text(), u"1"_s);
    height->selectAll();
    QTest::keyClicks(height, u"150"_s);
    QCOMPARE(width->text(), u"200"_s);

    child<QCheckBox>(dialog, u"keepRatioCheck"_s)->setChecked(false);
    width->selectAll();
    QTest::keyClicks(width, u"90"_s);
    QCOMPARE(height->text(), u"150"_s);
}

void TestImageSelect::insertButtonsReturnTheirKind_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("link");
    QTest::newRow("image") << u"insertImageButton"_s << 1 << QString();
    QTest::newRow("image link") << u"insertImageLinkButton"_s << 2 << u"https://example.org/"_s;
    QTest::newRow("thumbnail link") << u"insertThumbnailLinkButton"_s << 3 << QString();
}

void TestImageSelect::insertButtonsReturnTheirKind()
{
    QFETCH(QString, button);
    QFETCH(int, kind);
    QFETCH(QString, link);
    QTemporaryDir folder;
    writePicture(folder.filePath(u"photo.png"_s), 400, 300);
    ImageSelectDialog dialog;
    dialog.setRootFolder(folder.path());
    dialog.setInitialSize(50, 60);
    dialog.show();
    auto *width = child<QLineEdit>(dialog, u"widthEdit"_s);
    width->selectAll();
    QTest::keyClicks(width, u"200"_s);
    QTest::keyClicks(child<QLineEdit>(dialog, u"urlEdit"_s), u"https://example.org/"_s);
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.imagePath(), folder.filePath(u"photo.png"_s));
    QCOMPARE(dialog.insertKind(), kind);
    QCOMPARE(dialog.width(), 200);
    QCOMPARE(dialog.height(), 150);
    QCOMPARE(dialog.linkAddress(), link);
}

void TestImageSelect::clickBelowTheLastRowKeepsThePreviousChoice()
{
    QTemporaryDir folder;
    writePicture(folder.filePath(u"a.png"_s), 400, 300);
    writePicture(folder.filePath(u"b.png"_s), 20, 10);
    ImageSelectDialog dialog;
    dialog.setRootFolder(folder.path());
    dialog.show();
    ThumbnailList *list = dialog.thumbnailList();
    QTest::mouseClick(child<QPushButton>(dialog, u"sortByNameButton"_s), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(dialog, u"sortByNameButton"_s), Qt::LeftButton);
    clickRow(list, 1); // a.png, after b.png
    QCOMPARE(child<QLineEdit>(dialog, u"selectedImageEdit"_s)->text(), u"a.png"_s);
    auto *width = child<QLineEdit>(dialog, u"widthEdit"_s);
    width->selectAll();
    QTest::keyClicks(width, u"80"_s);

    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(10, list->rowRect(1).bottom() + 20));
    QCOMPARE(list->records().selectedIndex(), -1);
    QCOMPARE(width->text(), u"80"_s);
    QCOMPARE(child<QLineEdit>(dialog, u"heightEdit"_s)->text(), u"60"_s);
    // With no picture remembered the proportion rule is off.
    width->selectAll();
    QTest::keyClicks(width, u"8"_s);
    QCOMPARE(child<QLineEdit>(dialog, u"heightEdit"_s)->text(), u"60"_s);

    QTest::mouseClick(child<QPushButton>(dialog, u"insertImageButton"_s), Qt::LeftButton);
    QCOMPARE(dialog.imagePath(), folder.filePath(u"a.png"_s));
    QCOMPARE(dialog.width(), 8);
}

void TestImageSelect::extensionsMatchInAnyCaseAndUndecodableFilesCannotBeInserted()
{
    QTemporaryDir folder;
    writePicture(folder.filePath(u"DSC0001.JPG"_s), 64, 48, "jpeg");
    writePicture(folder.filePath(u"photo.jpeg"_s), 64, 48, "jpeg");
    writePicture(folder.filePath(u"b.Bmp"_s), 30, 20, "bmp");
    {
        QFile broken(folder.filePath(u"Broken.PNG"_s));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a picture at all");
    }
    // A whole header but no pixels: listed with its size, found undecodable only in the
    // background.
    writePicture(folder.filePath(u"cut.png"_s), 40, 30);
    QVERIFY(QFile::resize(folder.filePath(u"cut.png"_s), 40));

    ImageSelectDialog dialog;
    dialog.setRootFolder(folder.path());
    dialog.show();
    ThumbnailList *list = dialog.thumbnailList();
    QCOMPARE(listedNames(list),
             QStringList({u"b.Bmp"_s, u"Broken.PNG"_s, u"cut.png"_s, u"DSC0001.JPG"_s}));
    QCOMPARE(list->records().at(0).path, folder.filePath(u"b.Bmp"_s));
    QTRY_VERIFY(list->thumbnailsComplete());
    QVERIFY(!list->records().at(0).thumbnail.isNull());

    auto *insert = child<QPushButton>(dialog, u"insertImageButton"_s);
    for (const QString &name : {u"Broken.PNG"_s, u"cut.png"_s}) {
        const qsizetype index = list->records().indexOf(folder.filePath(name));
        clickRow(list, int(index));
        QVERIFY(list->caption(index).endsWith(u"\n読み込めません"_s));
        QVERIFY(!insert->isEnabled());
        QVERIFY(list->records().at(index).thumbnail.isNull());
    }
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.imagePath(), QString());
    clickRow(list, 0);
    QVERIFY(insert->isEnabled());
}

void TestImageSelect::refreshDropsAVanishedFolder()
{
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath(u"sub/deeper"_s));
    writePicture(folder.filePath(u"sub/s.png"_s), 10, 10);
    ImageSelectDialog dialog;
    dialog.setRootFolder(folder.path());
    dialog.show();
    auto *tree = child<QTreeWidget>(dialog, u"folderTree"_s);
    QTreeWidgetItem *root = tree->topLevelItem(0);
    QCOMPARE(root->childCount(), 1);
    // A folder's folders are listed when it is opened, not before.
    QCOMPARE(root->child(0)->childCount(), 0);
    tree->expandItem(root->child(0));
    QCOMPARE(root->child(0)->child(0)->text(0), u"deeper"_s);
    tree->setCurrentItem(root->child(0));
    QCOMPARE(dialog.currentFolder(), folder.filePath(u"sub"_s));
    QCOMPARE(listedNames(dialog.thumbnailList()), QStringList({u"s.png"_s}));

    QVERIFY(QDir(folder.filePath(u"sub"_s)).removeRecursively());
    QTest::mouseClick(child<QPushButton>(dialog, u"refreshButton"_s), Qt::LeftButton);
    QCOMPARE(tree->topLevelItem(0)->childCount(), 0);
    QCOMPARE(tree->currentItem(), tree->topLevelItem(0));
    QCOMPARE(dialog.currentFolder(), folder.path());
    QVERIFY(dialog.thumbnailList()->records().records().isEmpty());
}

void TestImageSelect::thumbnailCacheIsReusedUntilTheFileChanges()
{
    QTemporaryDir folder;
    const QString photo = folder.filePath(u"photo.jpg"_s);
    writePicture(photo, 1000, 500, "jpeg");
    const ThumbnailCache cache;
    QVERIFY(cache.thumbnailsFolder().startsWith(m_cache.path()));
    const QString entry = cache.cacheFileOf(photo, ThumbnailCache::Flavor::Normal);

    ThumbnailCache::Result first = cache.thumbnail(photo, ThumbnailCache::Flavor::Normal);
    QCOMPARE(first.source, ThumbnailCache::Source::Decoded);
    QCOMPARE(first.image.size(), QSize(128, 64));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther;
    QVERIFY(!(QFile::permissions(entry) & others));
    QVERIFY(QFile::permissions(entry).testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QImage stored(entry);
    QCOMPARE(stored.text(u"Thumb::URI"_s), QUrl::fromLocalFile(photo).toString(QUrl::FullyEncoded));
    QCOMPARE(stored.text(u"Thumb::MTime"_s),
             QString::number(QFileInfo(photo).lastModified().toSecsSinceEpoch()));
    QVERIFY(QDir(QFileInfo(entry).path()).entryList({u"*.png.*"_s}, QDir::Files).isEmpty());

    QCOMPARE(cache.thumbnail(photo, ThumbnailCache::Flavor::Normal).source,
             ThumbnailCache::Source::Cache);
    QCOMPARE(cache.thumbnail(photo, ThumbnailCache::Flavor::Large).image.size(), QSize(256, 128));

    setModified(photo, QFileInfo(photo).lastModified().addSecs(-10));
    QCOMPARE(cache.thumbnail(photo, ThumbnailCache::Flavor::Normal).source,
             ThumbnailCache::Source::Decoded);
    QCOMPARE(cache.thumbnail(photo, ThumbnailCache::Flavor::Normal).source,
             ThumbnailCache::Source::Cache);
}

void TestImageSelect::poisonedCacheFilesAreTurnedDown_data()
{
    // What stands in place of the cache entry, or of the picture itself.
    QTest::addColumn<QString>("poison");
    QTest::newRow("FIFO as the entry") << u"entry fifo"_s;
    QTest::newRow("oversized entry") << u"entry huge"_s;
    QTest::newRow("FIFO as the picture") << u"picture fifo"_s;
}

void TestImageSelect::poisonedCacheFilesAreTurnedDown()
{
    QFETCH(QString, poison);
    QTemporaryDir folder;
    const QString photo = folder.filePath(u"photo.jpg"_s);
    const ThumbnailCache cache;
    const QString entry = cache.cacheFileOf(photo, ThumbnailCache::Flavor::Normal);
    QVERIFY(QDir().mkpath(QFileInfo(entry).path()));
    QFile::remove(entry);
    if (poison == u"picture fifo") {
        // Opening it would block until a writer came: it is no picture.
        QCOMPARE(::mkfifo(QFile::encodeName(photo).constData(), 0600), 0);
        QCOMPARE(cache.thumbnail(photo, ThumbnailCache::Flavor::Normal).source,
                 ThumbnailCache::Source::Failed);
        return;
    }
    writePicture(photo, 1000, 500, "jpeg");
    if (poison == u"entry fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(entry).constData(), 0600), 0);
    } else {
        // Tagged as the real entry would be, but of 2000 x 2000 pixels.
        QImage huge(2000, 2000, QImage::Format_ARGB32);
        huge.fill(Qt::red);
        huge.setText(u"Thumb::URI"_s, QString::fromUtf8(ThumbnailCache::uriOf(photo)));
        huge.setText(u"Thumb::MTime"_s,
                     QString::number(QFileInfo(photo).lastModified().toSecsSinceEpoch()));
        QVERIFY(huge.save(entry, "png"));
    }
    const ThumbnailCache::Result result = cache.thumbnail(photo, ThumbnailCache::Flavor::Normal);
    QCOMPARE(result.source, ThumbnailCache::Source::Decoded);
    QCOMPARE(result.image.size(), QSize(128, 64));
    // The entry was replaced by a real one.
    QCOMPARE(cache.thumbnail(photo, ThumbnailCache::Flavor::Normal).source,
             ThumbnailCache::Source::Cache);
}

void TestImageSelect::previewFrameFitsThePictureOrReportsFailure()
{
    QTemporaryDir folder;
    writePicture(folder.filePath(u"site.png"_s), 400, 300);
    QFile broken(folder.filePath(u"broken.png"_s));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("no");
    broken.close();
    MessageBoxWrapper messages;
    messages.setInteractive(false);
    velmo::ui::ImagePreviewFrame frame(messages);
    frame.resize(300, 150);

    QCOMPARE(frame.load(folder.filePath(u"site.png"_s)), 1);
    QCOMPARE(frame.image().size(), QSize(200, 150));
    QCOMPARE(frame.grab().toImage().pixelColor(290, 75), QColor(200, 200, 200));
    QVERIFY(messages.shownTexts().isEmpty());

    QCOMPARE(frame.load(broken.fileName()), -1);
    QVERIFY(!frame.hasImage());
    QCOMPARE(messages.shownTexts(),
             QStringList({u"画像ファイルが開けませんでした。\r\n画像は表示されません。"_s}));
}

QTEST_MAIN(TestImageSelect)
#include "tst_imageselect.moc"
