// Undo in the window, as a user reaches it: Delete in the menu tree and typing into a form, taken
// back with Ctrl+Z; the title's "*" following the saved state; and "全て更新", which writes the
// working folder and publishes nothing.
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "app/objecttree.h"
#include "apptestsupport.h"
#include "editors/editingforms.h"
#include "generator/sitepaths.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/documentfile.h"
#include "model/page.h"
#include "model/site.h"
#include "navtestsupport.h"

using namespace Qt::StringLiterals;
using apptest::AppFixture;

namespace {

// The test site saved as a document, its template beside it.
QString writeDocument(AppFixture &f, const QString &name = u"site.vlm"_s)
{
    const QString templateFolder = f.path(u"template"_s);
    navtest::writeTemplate(templateFolder);
    velmo::Document document;
    navtest::makeSampleSite(document, templateFolder);
    const QString path = f.path(name);
    return velmo::DocumentFile::save(document, path) ? path : QString();
}

// Clicks the row reached by labels, opening what lies above it first.
void clickRow(ObjectTree *tree, const QStringList &labels)
{
    const QModelIndex index = navtest::findItem(tree, labels);
    QVERIFY2(index.isValid(), qPrintable(labels.join(u'/')));
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        tree->expand(up);
    navtest::leftClick(tree, index);
}

bool titleMarked(AppFixture &f)
{
    return f.frame()->windowTitle().contains(u'*');
}

const QStringList kNews1 = {u"テストサイト"_s, u"メニュー"_s, u"お知らせ"_s, u"ニュース1"_s};

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

public:
    static void initMain() { apptest::initMain(); }

private Q_SLOTS:
    void deleteAndTypingComeBackWithCtrlZ();
    void updateAllPublishesNothing();
};

void TestUndo::deleteAndTypingComeBackWithCtrlZ()
{
    AppFixture f;
    f.app().setWindowSetup(&velmo::ui::EditingForms::install);
    const QString path = writeDocument(f);
    QVERIFY(!path.isEmpty());
    QVERIFY(f.start(path));
    f.frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.frame()));
    ObjectTree *tree = f.navigation()->menuTree();
    ObjectTree *storage = f.navigation()->storageTree();
    velmo::Site *site = f.global().sites.first();
    velmo::Category *news = site->classifications.at(0)->categories.first();
    velmo::Page *news1 = news->pages.first();
    QAction *undo = f.frame()->undoAction();
    QVERIFY(!undo->isEnabled());

    // Delete moves the page into the storage box; Ctrl+Z puts it back where it was.
    clickRow(tree, kNews1);
    QCOMPARE(tree->selectedObject(), news1);
    QTest::keyClick(tree, Qt::Key_Delete);
    QCOMPARE(news1->parent(), &site->objectBox);
    QVERIFY(!tree->indexOf(news1).isValid());
    QVERIFY(storage->indexOf(news1).isValid());
    QVERIFY(titleMarked(f));
    QCOMPARE(undo->text(), u"元に戻す: 一時置き場へ移動"_s);
    QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(news->pages.first(), news1);
    QVERIFY(!storage->indexOf(news1).isValid());
    QCOMPARE(navtest::findItem(tree, kNews1), tree->indexOf(news1));
    // Undo shows what it brought back, and the document is as it was opened.
    QCOMPARE(tree->selectedObject(), news1);
    QVERIFY(!titleMarked(f));

    // Typing into the form is one step, named in the menu, and Ctrl+Z in the box takes it back.
    auto *name = f.frame()->findChild<QLineEdit *>(u"pageNameEdit"_s);
    QVERIFY(name != nullptr);
    QTRY_VERIFY(name->isVisible());
    apptest::retype(name, u"新着情報"_s);
    QCOMPARE(news1->name, u"新着情報"_s);
    QCOMPARE(tree->indexOf(news1).data().toString(), u"新着情報"_s);
    QCOMPARE(undo->text(), u"元に戻す: ページ名の変更"_s);
    QVERIFY(titleMarked(f));
    QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(news1->name, u"ニュース1"_s);
    QCOMPARE(name->text(), u"ニュース1"_s);
    QCOMPARE(tree->indexOf(news1).data().toString(), u"ニュース1"_s);
    QVERIFY(!titleMarked(f));
    QVERIFY(f.frame()->redoAction()->isEnabled());

    // Saved after an edit: undoing it leaves the saved state, redoing comes back to it.
    QTest::keyClick(name, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(news1->name, u"新着情報"_s);
    QTest::keyClick(tree, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!titleMarked(f));
    QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(titleMarked(f));
    QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!titleMarked(f));
    QCOMPARE(news1->name, u"新着情報"_s);

    // Another document starts with nothing to undo: the steps belonged to the one that went.
    QVERIFY(undo->isEnabled());
    QCOMPARE(f.app().openDocumentFile(writeDocument(f, u"other.vlm"_s)),
             Application::OpenResult::Opened);
    QVERIFY(!undo->isEnabled());
    QVERIFY(!f.frame()->redoAction()->isEnabled());
}

void TestUndo::updateAllPublishesNothing()
{
    AppFixture f;
    f.app().setWindowSetup(&velmo::ui::EditingForms::install);
    const QString path = writeDocument(f);
    QVERIFY(f.start(path));
    velmo::Site *site = f.global().sites.first();
    ObjectTree *tree = f.navigation()->menuTree();
    clickRow(tree, kNews1 + QStringList{u"本文"_s});
    auto *updateAll = f.frame()->findChild<QPushButton *>(u"updateAllButton"_s);
    QVERIFY(updateAll != nullptr);
    QTRY_VERIFY(updateAll->isVisible() && updateAll->isEnabled());
    const QString working = velmo::gen::SitePaths::workingFolder(f.global(), *site);
    // The first category is the home category: its pages lie at the site's root.
    const QString page = working + u"/news2.html"_s;
    QFile::remove(page);

    QTest::mouseClick(updateAll, Qt::LeftButton);
    // Every page is written again into the working folder; the published folder stays as it was.
    QVERIFY(QFileInfo(page).isFile());
    QVERIFY(!QFileInfo::exists(f.global().webFolder() + u'/' + site->name));
    QVERIFY(f.frame()->statusBar()->isVisible());
    const QString summary = f.frame()->statusBar()->findChild<QLabel *>(u"outputResult"_s)->text();
    QVERIFY2(summary.startsWith(u"全て更新"_s), qPrintable(summary));
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
