// The road a user takes from an empty document to a published site, through the real widgets
// only: the site dialog, the menu tree's context menus, the forms and the content editor, then
// HTML出力, and a save, a reopen and a second save that velmo-cli dumps alike.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include "app/contentpane.h"
#include "app/documentcontroller.h"
#include "app/objecttree.h"
#include "app/propertypane.h"
#include "apptestsupport.h"
#include "editors/contenteditform.h"
#include "editors/contenttextedit.h"
#include "editors/editingforms.h"
#include "editors/imageselectdialog.h"
#include "editors/propertyform.h"
#include "editors/thumbnaillist.h"
#include "model/content.h"
#include "model/fileutil.h"
#include "model/site.h"
#include "navtestsupport.h"

using namespace Qt::StringLiterals;

namespace {

// For what waits on the embedded browser or on threads, which a sanitizer build slows down.
constexpr int kSlowMs = 30000;

template<class T = QWidget>
T *child(const QWidget *parent, const QString &name)
{
    T *found = parent->findChild<T *>(name);
    if (found == nullptr)
        qFatal("no widget %s", qPrintable(name));
    return found;
}

void click(const QWidget *parent, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(parent, button), Qt::LeftButton);
}

// Closes a dialog that a failed check left open, so that the test goes on instead of hanging.
auto closeOnExit(QWidget *dialog)
{
    return qScopeGuard([dialog] {
        if (dialog->isVisible())
            static_cast<QDialog *>(dialog)->done(QDialog::Rejected);
    });
}

QByteArray dump(const QString &document)
{
    QProcess cli;
    cli.start(QStringLiteral(VELMO_CLI), {u"dump"_s, document});
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0)
        return {};
    return cli.readAllStandardOutput();
}

} // namespace

class TestRoadTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { apptest::initMain(); }

private Q_SLOTS:
    void fromAnEmptyDocumentToAPublishedSite();
};

void TestRoadTest::fromAnEmptyDocumentToAPublishedSite()
{
    apptest::AppFixture f;
    // The data root holds what the build put beside the programs: the sample template that a
    // new site starts on, and the sample pictures.
    const QString programs = QStringLiteral(VELMO_PROGRAM_DIR);
    velmo::copyFolderTree(programs + u"/template"_s, f.path(u"template"_s));
    velmo::copyFolderTree(programs + u"/user_image"_s, f.path(u"user_image"_s));
    QVERIFY(QFileInfo(f.global().sampleTemplateFolder()).isDir());
    f.app().setWindowSetup(&velmo::ui::EditingForms::install);
    QVERIFY(f.start());
    MainWindow *frame = f.frame();
    NavigationPane *navigation = f.navigation();
    ObjectTree *tree = navigation->menuTree();
    QString published;
    navigation->setFolderOpener([&published](const QUrl &folder) {
        published = folder.toLocalFile();
        return true;
    });

    const auto fromFileMenu = [frame](QAction *command) {
        auto *menu = child<QMenu>(frame, u"menuFile"_s);
        QMenuBar *bar = frame->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(menu->menuAction()).center());
        QTRY_VERIFY(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(command).center());
        QTRY_VERIFY(!menu->isVisible());
    };
    // Chooses caption on the item at labels; the form named formName then shows what it made.
    QWidget *form = nullptr;
    const auto create = [&](const QStringList &labels, const QString &caption,
                            const QString &formName) {
        form = nullptr;
        const QModelIndex item = navtest::findItem(tree, labels);
        QVERIFY2(item.isValid(), qPrintable(labels.join(u" / "_s)));
        velmo::Object *clicked = tree->objectAt(item);
        QVERIFY(navtest::rightClickAndChoose(tree, item, caption).chosen);
        auto *shown = child<velmo::ui::PropertyForm>(frame->propertyView(), formName);
        QTRY_VERIFY(tree->selectedObject() != clicked && shown->isVisible() &&
                    shown->object() == tree->selectedObject());
        form = shown;
    };
    auto *editor = child<velmo::ui::ContentEditForm>(frame->contentView(), u"contentEditForm"_s);

    // 1. An empty document, and a site on the sample template with a style sheet chosen.
    fromFileMenu(frame->fileNewAction());
    QVERIFY(f.global().sites.isEmpty());
    bool managed = false;
    QString chosenStyle;
    apptest::whenShown(u"siteEditDialog"_s, [&](QWidget *dialog) {
        const auto close = closeOnExit(dialog);
        apptest::whenShown(u"stringInputDialog"_s, [](QWidget *input) {
            const auto closeInput = closeOnExit(input);
            apptest::type(child(input, u"textEdit"_s), u"珈琲店"_s);
            click(input, u"okButton"_s);
        });
        click(dialog, u"newSiteButton"_s);
        auto *styles = child<QListWidget>(dialog, u"styleSheetList"_s);
        QTRY_VERIFY_WITH_TIMEOUT(styles->count() > 1, kSlowMs);
        QListWidgetItem *other = styles->item(styles->currentRow() == 0 ? 1 : 0);
        chosenStyle = other->text();
        QTest::mouseClick(styles->viewport(), Qt::LeftButton, {},
                          styles->visualItemRect(other).center());
        click(dialog, u"okButton"_s);
        managed = true;
    });
    click(navigation, u"manageButton"_s);
    QVERIFY(managed);
    QCOMPARE(f.global().sites.count(), 1);
    QCOMPARE(f.global().sites.first()->mainCss, chosenStyle);
    const QStringList menu = {u"珈琲店"_s, u"メニュー"_s};
    QTRY_VERIFY(navtest::findItem(tree, menu).isValid());

    // 2. and 3. Two menus with a page and a content group each, named in their forms.
    struct Section
    {
        QString menu, folder, page, file, title, group, body;
    };
    const Section sections[] = {
        {u"お品書き"_s, u"menu"_s, u"珈琲"_s, u"coffee"_s, u"深煎りの珈琲"_s, u"本日の豆"_s,
         u"エチオピアの豆を深煎りにしました。"_s},
        {u"店舗案内"_s, u"shop"_s, u"アクセス"_s, u"access"_s, u"お店への道"_s, u"道順"_s,
         u"Two minutes from the station. "_s},
    };
    for (const Section &s : sections) {
        create(menu, u"新規メニュー追加 (&W)"_s, u"categoryForm"_s);
        QVERIFY(form != nullptr);
        apptest::retype(child(form, u"menuNameEdit"_s), s.menu);
        apptest::retype(child(form, u"folderNameEdit"_s), s.folder);
        create(menu + QStringList{s.menu}, u"新規ページ追加"_s, u"pageForm"_s);
        QVERIFY(form != nullptr);
        apptest::retype(child(form, u"pageNameEdit"_s), s.page);
        apptest::retype(child(form, u"pageFileNameEdit"_s), s.file);
        apptest::retype(child(form, u"pageTitleEdit"_s), s.title);
        create(menu + QStringList{s.menu, s.page}, u"新規コンテンツ作成 (&W)"_s,
               u"contentGroupForm"_s);
        QVERIFY(form != nullptr);
        apptest::retype(child(form, u"contentTitleEdit"_s), s.group);
        QTRY_VERIFY(editor->content() != nullptr && editor->isVisible());
        QTest::mouseClick(editor->textEdit()->viewport(), Qt::LeftButton);
        apptest::type(editor->textEdit(), s.body);
    }
    QCOMPARE(navtest::childLabels(navtest::findItem(tree, menu)),
             (QStringList{u"お品書き"_s, u"店舗案内"_s}));

    // 4. A link to the other page and a picture, narrower than it is, into the second body.
    apptest::whenShown(u"selectObjectDialog"_s, [](QWidget *dialog) {
        const auto close = closeOnExit(dialog);
        auto *objects = child<ObjectTree>(dialog, u"objectTree"_s);
        const QModelIndexList pages =
            objects->model()->match(objects->model()->index(0, 0), Qt::DisplayRole, u"珈琲"_s, 1,
                                    Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(pages.size(), 1);
        navtest::leftClick(objects, pages.first());
        click(dialog, u"okButton"_s);
    });
    click(editor, u"siteLinkButton"_s);
    QTest::keyClick(editor->textEdit(), Qt::Key_Return);
    apptest::whenShown(u"imageSelectDialog"_s, [](QWidget *dialog) {
        const auto close = closeOnExit(dialog);
        auto *folders = child<QTreeWidget>(dialog, u"folderTree"_s);
        const QModelIndex sample = navtest::findItem(folders, {u"user_image"_s, u"sample"_s});
        QVERIFY(sample.isValid());
        navtest::leftClick(folders, sample);
        auto *select = static_cast<velmo::ui::ImageSelectDialog *>(dialog);
        velmo::ui::ThumbnailList *list = select->thumbnailList();
        const QString path = select->rootFolder() + u"/sample/coffee.png"_s;
        QTRY_VERIFY_WITH_TIMEOUT(list->records().indexOf(path) >= 0, kSlowMs);
        QTest::mouseClick(list, Qt::LeftButton, {},
                          list->rowRect(int(list->records().indexOf(path))).center());
        QTRY_COMPARE(child<QLineEdit>(dialog, u"selectedImageEdit"_s)->text(), u"coffee.png"_s);
        auto *width = child<QLineEdit>(dialog, u"widthEdit"_s);
        QCOMPARE(width->text(), u"800"_s);
        apptest::retype(width, u"240"_s);
        QCOMPARE(child<QLineEdit>(dialog, u"heightEdit"_s)->text(), u"240"_s);
        QTRY_VERIFY_WITH_TIMEOUT(child<QPushButton>(dialog, u"insertImageButton"_s)->isEnabled(),
                                 kSlowMs);
        click(dialog, u"insertImageButton"_s);
    });
    click(editor, u"imageButton"_s);
    QVERIFY(!QApplication::activeModalWidget());
    const QString body = editor->content()->value;
    QVERIFY2(body.contains(u"_image(/sample/coffee.png,240,240)"_s), qPrintable(body));

    // 5. The content's page, then the whole site.
    click(editor, u"updateButton"_s);
    click(navigation, u"outputButton"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!published.isEmpty(), kSlowMs);
    QVERIFY(frame->statusBar()->isVisible());
    const QString summary = child<QLabel>(frame, u"outputResult"_s)->text();
    QVERIFY2(summary.contains(u"メッセージ 0 件、リンク切れ 0 件"_s), qPrintable(summary));

    // 6. What was published: the typed texts, a link that leads somewhere, the scaled picture.
    // The site's first page is its home page.
    const QString coffee = QString::fromUtf8(apptest::readAll(published + u"/index.html"_s));
    const QString access = QString::fromUtf8(apptest::readAll(published + u"/shop/access.html"_s));
    for (const QString &text : {sections[0].title, sections[0].group, sections[0].body})
        QVERIFY2(coffee.contains(text), qPrintable(text));
    for (const QString &text : {sections[1].title, sections[1].group, sections[1].body})
        QVERIFY2(access.contains(text), qPrintable(text));
    const velmo::gen::LinkCheck::Result &links = f.app().controller().lastLinkCheck();
    QVERIFY(links.pagesChecked >= 2);
    QVERIFY(links.broken.isEmpty());
    QVERIFY2(access.contains(u"<a href=\"../index.html\">珈琲</a>"_s), qPrintable(access));
    static const QRegularExpression picture(u"<img src=\"([^\"]*coffee[^\"]*)\""_s);
    const QRegularExpressionMatch img = picture.match(access);
    QVERIFY2(img.hasMatch(), qPrintable(access));
    QImageReader reader(QDir(published + u"/shop"_s).filePath(img.captured(1)));
    QCOMPARE(reader.size(), QSize(240, 240));

    // 7. Saved, reopened into a fresh state and saved again: the same document both times.
    f.fileDialogs().queueFileName(f.path(u"road.vlm"_s));
    fromFileMenu(frame->fileSaveAction());
    const QByteArray first = dump(f.path(u"road.vlm"_s));
    QVERIFY(QString::fromUtf8(first).contains(sections[0].body));
    fromFileMenu(frame->fileNewAction());
    QVERIFY(f.global().sites.isEmpty());
    f.fileDialogs().queueFileName(f.path(u"road.vlm"_s));
    fromFileMenu(frame->fileOpenAction());
    QCOMPARE(f.global().sites.count(), 1);
    f.fileDialogs().queueFileName(f.path(u"again.vlm"_s));
    fromFileMenu(frame->fileSaveAsAction());
    QCOMPARE(dump(f.path(u"again.vlm"_s)), first);
    QCOMPARE(f.messageBoxes().shownTexts(), QStringList());
}

QTEST_MAIN(TestRoadTest)
#include "tst_roadtest.moc"
