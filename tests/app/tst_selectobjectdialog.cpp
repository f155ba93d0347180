// The object selection dialog: the fully expanded tree, the preselection by identity, OK only
// on a page or a content group, Cancel, and a root that went away.
#include <functional>

#include <QDeadlineTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/objecttree.h"
#include "app/objecttreemodel.h"
#include "app/selectobjectdialog.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/documentwriter.h"
#include "model/page.h"
#include "model/site.h"
#include "model/undohistory.h"
#include "navtestsupport.h"
#include "recordingreporter.h"

using namespace Qt::StringLiterals;
using navtest::findItem;

namespace {

const QString kChoosePage = u"ページかコンテンツを選択して [OK] を押してください。"_s;

// Runs handler on the dialog once it is up, while doModal waits.
void whenOpen(SelectObjectDialog &dialog, std::function<void()> handler)
{
    auto *timer = new QTimer(&dialog);
    const QDeadlineTimer deadline(5000);
    QObject::connect(timer, &QTimer::timeout, timer, [=, &dialog] {
        if (!dialog.isVisible() && !deadline.hasExpired())
            return;
        timer->stop();
        if (dialog.isVisible())
            handler();
        else
            qWarning("the dialog did not open");
    });
    timer->start(10);
}

void clickButton(SelectObjectDialog &dialog, const QString &name)
{
    QTest::mouseClick(dialog.findChild<QPushButton *>(name), Qt::LeftButton);
}

} // namespace

class TestSelectObjectDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void opensFullyExpandedWithTexts();
    void preselectedGroupIsReturnedByOk();
    void okOnlyOnPageOrContentGroup();
    void cancelReturnsNothing();
    void hierarchyWithoutCategories();
    void rootGoneMeansEmptyTree();

private:
    QTemporaryDir m_dir;
    RecordingReporter m_reporter;
    std::unique_ptr<velmo::Document> m_global;
    navtest::SampleSite m_site;
};

void TestSelectObjectDialog::init()
{
    m_reporter.messages.clear();
    m_global = std::make_unique<velmo::Document>(m_dir.path());
    m_global->setReporter(&m_reporter);
    m_site = navtest::makeSampleSite(*m_global, m_dir.filePath(u"tpl"_s));
}

void TestSelectObjectDialog::cleanup()
{
    m_global.reset();
}

void TestSelectObjectDialog::opensFullyExpandedWithTexts()
{
    SelectObjectDialog dialog(*m_global);
    QCOMPARE(dialog.windowTitle(), u"オブジェクトの選択"_s);
    dialog.setCaptionText(SelectObjectDialog::linkTargetCaption());
    dialog.setDescriptionText(SelectObjectDialog::linkTargetDescription());
    dialog.setRootObject(m_site.menu);
    dialog.initDialog();

    QCOMPARE(dialog.windowTitle(), u"リンク先ページ選択"_s);
    QCOMPARE(dialog.findChild<QPlainTextEdit *>(u"descriptionEdit"_s)->toPlainText(),
             u"リンク先のページかコンテンツを選択して[OK]を押してください。"_s);
    ObjectTree *tree = dialog.tree();
    QCOMPARE(tree->model()->rowCount(), 1);
    QCOMPARE(tree->model()->index(0, 0).data().toString(), u"メニュー"_s);
    QCOMPARE(tree->objectModel()->nodeCount(), 13);
    int rows = 0;
    m_site.menu->forEachBelow(velmo::Children::Shown, [tree, &rows](velmo::Object *object) {
        const QModelIndex index = tree->indexOf(object);
        ++rows;
        // Everything that has rows below it is open.
        return index.isValid() && (tree->model()->rowCount(index) == 0 || tree->isExpanded(index));
    });
    QCOMPARE(rows, 13);
    QVERIFY(tree->selectedObject() == nullptr);
}

void TestSelectObjectDialog::preselectedGroupIsReturnedByOk()
{
    SelectObjectDialog dialog(*m_global);
    dialog.setRootObject(m_site.menu);
    dialog.setSelectedObject(m_site.news2Body);
    whenOpen(dialog, [&] {
        QCOMPARE(dialog.tree()->selectedObject(), m_site.news2Body);
        clickButton(dialog, u"okButton"_s);
    });
    QCOMPARE(dialog.doModal(), int(QDialog::Accepted));
    QCOMPARE(dialog.selectedObject(), m_site.news2Body);
    QVERIFY(m_reporter.messages.isEmpty());
}

void TestSelectObjectDialog::okOnlyOnPageOrContentGroup()
{
    SelectObjectDialog dialog(*m_global);
    dialog.setRootObject(m_site.menu);
    dialog.setSelectedObject(m_site.news);
    whenOpen(dialog, [&] {
        ObjectTree *tree = dialog.tree();
        // A category: refused, and the dialog stays.
        clickButton(dialog, u"okButton"_s);
        QCOMPARE(m_reporter.messages, QStringList{kChoosePage});
        QVERIFY(dialog.isVisible());
        navtest::leftClick(tree, findItem(tree, {u"メニュー"_s}));
        clickButton(dialog, u"okButton"_s);
        QCOMPARE(m_reporter.messages.size(), 2);
        navtest::leftClick(tree, findItem(tree, {u"メニュー"_s, u"会社概要"_s, u"沿革"_s}));
        clickButton(dialog, u"okButton"_s);
    });
    QCOMPARE(dialog.doModal(), int(QDialog::Accepted));
    QCOMPARE(dialog.selectedObject(), m_site.history);
    QCOMPARE(m_reporter.messages.size(), 2);
}

void TestSelectObjectDialog::cancelReturnsNothing()
{
    SelectObjectDialog dialog(*m_global);
    dialog.setRootObject(m_site.menu);
    whenOpen(dialog, [&] {
        navtest::leftClick(dialog.tree(),
                           findItem(dialog.tree(), {u"メニュー"_s, u"お知らせ"_s, u"ニュース1"_s}));
        QCOMPARE(dialog.selectedObject(), m_site.news1);
        clickButton(dialog, u"cancelButton"_s);
    });
    QCOMPARE(dialog.doModal(), int(QDialog::Rejected));
    QVERIFY(dialog.selectedObject() == nullptr);

    // Escape is Cancel as well.
    dialog.setSelectedObject(m_site.news1);
    whenOpen(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QCOMPARE(dialog.doModal(), int(QDialog::Rejected));
    QVERIFY(dialog.selectedObject() == nullptr);
}

void TestSelectObjectDialog::hierarchyWithoutCategories()
{
    SelectObjectDialog dialog(*m_global);
    dialog.setRootObject(m_site.site->classifications.at(2));
    whenOpen(dialog, [&] {
        const QModelIndex top = dialog.tree()->model()->index(0, 0);
        QCOMPARE(dialog.tree()->model()->rowCount(), 1);
        QCOMPARE(dialog.tree()->model()->rowCount(top), 0);
        navtest::leftClick(dialog.tree(), top);
        clickButton(dialog, u"okButton"_s);
        QCOMPARE(m_reporter.messages, QStringList{kChoosePage});
        clickButton(dialog, u"cancelButton"_s);
    });
    QCOMPARE(dialog.doModal(), int(QDialog::Rejected));
}

void TestSelectObjectDialog::rootGoneMeansEmptyTree()
{
    SelectObjectDialog dialog(*m_global);
    dialog.setRootObject(m_site.archive);
    dialog.setSelectedObject(m_site.news1);
    // The site goes with everything it holds (as a command does it: undo would bring it back).
    velmo::UndoHistory history;
    velmo::DocumentWriter writer(*m_global, history);
    QVERIFY(writer.deleteSite(m_site.site));
    dialog.initDialog();
    QCOMPARE(dialog.tree()->model()->rowCount(), 0);
    QCOMPARE(dialog.windowTitle(), u"オブジェクトの選択"_s);
    // A preselected object that went away is not returned.
    QVERIFY(dialog.selectedObject() == nullptr);
}

QTEST_MAIN(TestSelectObjectDialog)
#include "tst_selectobjectdialog.moc"
