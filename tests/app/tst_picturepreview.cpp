// The live preview of a content with a picture still to be scaled: the page is shown before the
// picture is made, and again once it is there.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/documentcontroller.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/fileutil.h"
#include "model/page.h"
#include "model/site.h"
#include "recordingreporter.h"

using namespace Qt::StringLiterals;

class TestPicturePreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageShownBeforeItsPictureIsMade();
};

void TestPicturePreview::pageShownBeforeItsPictureIsMade()
{
    QTemporaryDir root;
    velmo::Document global(root.path());
    RecordingReporter reporter;
    global.setReporter(&reporter);
    const QString templates = root.filePath(u"template/t"_s);
    QVERIFY(velmo::createFolderPath(templates + u"/ページテンプレート/page.html"_s));
    QVERIFY(velmo::writeTextFileIfChanged(
                u"<html><body><!--__本文開始__-->body<!--__本文終了__--></body></html>\n"_s,
                templates + u"/ページテンプレート/page.html"_s) > 0);
    QVERIFY(velmo::createFolderPath(templates + u"/コンテンツテンプレート/text.template"_s));
    QVERIFY(velmo::writeTextFileIfChanged(u"name(本文)\nreplace(コンテンツ.内容)\n"_s,
                                          templates + u"/コンテンツテンプレート/text.template"_s) >
            0);

    // Large enough that making it takes far longer than writing the page.
    QImage photo(4000, 3000, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient gradient(0, 0, 4000, 3000);
    gradient.setColorAt(0, Qt::darkBlue);
    gradient.setColorAt(1, Qt::yellow);
    painter.fillRect(photo.rect(), gradient);
    painter.end();
    QVERIFY(velmo::createFolderPath(root.filePath(u"user_image/photo.png"_s)));
    QVERIFY(photo.save(root.filePath(u"user_image/photo.png"_s)));

    velmo::Site *site = global.createSite();
    site->name = u"cafe"_s;
    site->templatePath = templates;
    site->imageFolder = u"image"_s;
    auto *category = new velmo::Category;
    category->name = u"お店"_s;
    category->folderName = u"shop"_s;
    velmo::Classification *menu = site->classifications.at(0);
    menu->categories.add(category, menu);
    auto *page = new velmo::Page;
    page->name = u"店内"_s;
    page->fileName = u"inside"_s;
    page->templateName = u"page.html"_s;
    category->pages.add(page, category);
    auto *group = new velmo::ContentGroup;
    group->name = u"写真"_s;
    group->templateName = u"text.template"_s;
    page->contentGroups.add(group, page);
    global.setCurrentSite(site);

    DocumentController controller(global);
    QCOMPARE(controller.adoptCurrentSite(0), 0);
    QSignalSpy shown(&controller, &DocumentController::pagePreviewRequested);
    QVERIFY(controller.updateContent(group->contents.first(),
                                     u"<img src=\"_image(/photo.png,400,300)\">"_s,
                                     DocumentController::ContentPreview::Live));
    QCOMPARE(shown.count(), 1);
    const QString pagePath = shown.at(0).at(0).toString();
    // The page refers to the scaled picture's final place, which is still empty.
    const QString written = velmo::readTextFile(pagePath).value_or(QString());
    const QRegularExpressionMatch src =
        QRegularExpression(u"src=\"([^\"]*/photo_w400_h300\\.png)\""_s).match(written);
    QVERIFY2(src.hasMatch(), qPrintable(written));
    const QString scaled = QFileInfo(pagePath).dir().filePath(src.captured(1));
    QVERIFY2(!QFileInfo::exists(scaled), "the preview waited for the picture");

    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 2, 30000);
    QCOMPARE(shown.at(1).at(0).toString(), pagePath);
    // Shown again where it was scrolled.
    QCOMPARE(shown.at(1).at(2).toBool(), true);
    QCOMPARE(QImageReader(scaled).size(), QSize(400, 300));
    QCOMPARE(reporter.messages, QStringList());
}

QTEST_MAIN(TestPicturePreview)
#include "tst_picturepreview.moc"
