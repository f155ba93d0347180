// The property forms in the real main window: typing into each field reaches the object and the
// tree's row, the template combos, the link menu and its target, and forms whose object went.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/documentcontroller.h"
#include "app/mainwindow.h"
#include "app/navigationpane.h"
#include "app/objecttree.h"
#include "app/propertypane.h"
#include "apptestsupport.h"
#include "editors/editingforms.h"
#include "editors/propertyform.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/contentgroup.h"
#include "model/fileutil.h"
#include "model/objectcommands.h"
#include "model/page.h"
#include "model/site.h"
#include "navtestsupport.h"

using namespace Qt::StringLiterals;

namespace {

struct Window
{
    bool start()
    {
        f.app().setWindowSetup(&velmo::ui::EditingForms::install);
        if (!f.start())
            return false;
        navtest::writeTemplate(f.path(u"tpl"_s));
        for (const QString &name :
             {u"コンテンツテンプレート/b.template"_s, u"コンテンツテンプレート/a.template"_s,
              u"ページテンプレート/other.html"_s}) {
            const QString path = f.path(u"tpl/"_s + name);
            if (!velmo::createFolderPath(path) || !velmo::writeTextFile(u"<div></div>"_s, path))
                return false;
        }
        site = navtest::makeSampleSite(f.global(), f.path(u"tpl"_s));
        f.frame()->initialUpdateFrame();
        return true;
    }
    // Selects object in the menu tree as a click does and waits for its form.
    QWidget *select(velmo::Object *object, const QString &formName)
    {
        ObjectTree *tree = f.navigation()->menuTree();
        tree->selectObject(object);
        auto *form = f.frame()->propertyView()->findChild<velmo::ui::PropertyForm *>(formName);
        // The selection reaches the form through the event queue.
        if (form == nullptr ||
            !QTest::qWaitFor([&] { return form->isVisible() && form->object() == object; }, 3000))
            return nullptr;
        return form;
    }
    QString treeText(velmo::Object *object)
    {
        return f.navigation()->menuTree()->indexOf(object).data().toString();
    }
    apptest::AppFixture f;
    navtest::SampleSite site;
};

template<class T>
T *child(QWidget *form, const QString &name)
{
    return form != nullptr ? form->findChild<T *>(name) : nullptr;
}

} // namespace

class TestPropertyForms : public QObject
{
    Q_OBJECT

public:
    static void initMain() { apptest::initMain(); }

private Q_SLOTS:
    void pageFormWritesEveryField();
    void templateCombos();
    void categoryFormAndLinkTarget();
    void contentGroupForm();
    void formOfDestroyedObjectDoesNothing();
};

void TestPropertyForms::pageFormWritesEveryField()
{
    Window w;
    QVERIFY(w.start());
    velmo::Page *page = w.site.news1;
    QWidget *form = w.select(page, u"pageForm"_s);
    QVERIFY(form);
    auto *name = child<QLineEdit>(form, u"pageNameEdit"_s);
    QCOMPARE(name->text(), page->name);
    // F2 in the tree leads to the name box, ready to be typed over.
    w.f.navigation()->menuTree()->setFocus();
    QTest::keyClick(w.f.navigation()->menuTree(), Qt::Key_F2);
    QTRY_COMPARE(name->window()->focusWidget(), name);
    QCOMPARE(name->selectedText(), page->name);

    apptest::retype(name, u"新しい名前"_s);
    QCOMPARE(page->name, u"新しい名前"_s);
    QCOMPARE(w.treeText(page), u"新しい名前"_s);
    // The home page is published as index.html: its box says so and takes no typing.
    auto *fileName = child<QLineEdit>(form, u"pageFileNameEdit"_s);
    QCOMPARE(fileName->text(), u"index"_s);
    QVERIFY(fileName->isReadOnly());
    apptest::retype(child<QLineEdit>(form, u"pageTitleEdit"_s), u"題名"_s);
    QCOMPARE(page->title, u"題名"_s);
    auto *summary = child<QPlainTextEdit>(form, u"pageSummaryEdit"_s);
    apptest::retype(summary, u"一行目"_s);
    QTest::keyClick(summary, Qt::Key_Return);
    apptest::type(summary, u"二行目"_s);
    QCOMPARE(page->summary, u"一行目\r\n二行目"_s);
    apptest::retype(child<QLineEdit>(form, u"pageKeywordsEdit"_s), u"a,b"_s);
    QCOMPARE(page->keywords, u"a,b"_s);

    // Showing another page fills the form from it, without writing into either.
    QVERIFY(w.select(w.site.news2, u"pageForm"_s));
    QCOMPARE(name->text(), w.site.news2->name);
    QCOMPARE(page->name, u"新しい名前"_s);
    QVERIFY(!fileName->isReadOnly());
    apptest::retype(fileName, u"News-2"_s);
    QCOMPARE(w.site.news2->fileName, u"News-2"_s);
    // A name another page of the folder is written as is marked at once: here the home page's.
    auto *clash = child<QLabel>(form, u"pageFileClashLabel"_s);
    QVERIFY(!clash->isVisible());
    apptest::retype(fileName, u"index"_s);
    QVERIFY(clash->isVisible());
    QCOMPARE(clash->text(), u"同じフォルダに同じファイル名のページがあります"_s);
    apptest::retype(fileName, u"news2"_s);
    QVERIFY(!clash->isVisible());
}

void TestPropertyForms::templateCombos()
{
    Window w;
    QVERIFY(w.start());
    // A template that is gone gives way to the first file by name.
    w.site.news1->templateName = u"missing.html"_s;
    QWidget *form = w.select(w.site.news1, u"pageForm"_s);
    auto *combo = child<QComboBox>(form, u"pageTemplateCombo"_s);
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->currentText(), u"other.html"_s);
    QCOMPARE(w.site.news1->templateName, u"other.html"_s);
    combo->setCurrentIndex(combo->findText(u"page.html"_s));
    QCOMPARE(w.site.news1->templateName, u"page.html"_s);

    // A new plug-in page keeps its empty template when shown: it would be merged into every
    // page of the one it took.
    velmo::Object *plugin = w.f.app().controller().writer().runMenuCommand(
        velmo::ObjectCommands::NewPluginPage, w.site.plugins);
    QVERIFY(w.select(plugin, u"pageForm"_s));
    QCOMPARE(combo->currentText(), u"（なし）"_s);
    QVERIFY(static_cast<velmo::Page *>(plugin)->templateName.isEmpty());

    // Without a template folder the combo stays empty and the template as it was.
    w.f.app().controller().setField(w.site.site, velmo::Field::TemplatePath,
                                    w.f.path(u"nowhere"_s));
    QWidget *groupForm = w.select(w.site.news2Body, u"contentGroupForm"_s);
    QVERIFY(groupForm);
    const QString before = w.site.news2Body->templateName;
    QCOMPARE(child<QComboBox>(groupForm, u"contentTemplateCombo"_s)->count(), 0);
    QCOMPARE(w.site.news2Body->templateName, before);
}

void TestPropertyForms::categoryFormAndLinkTarget()
{
    Window w;
    QVERIFY(w.start());
    velmo::Category *category = w.site.news;
    QWidget *form = w.select(category, u"categoryForm"_s);
    QVERIFY(form);
    apptest::retype(child<QLineEdit>(form, u"menuNameEdit"_s), u"ニュース"_s);
    QCOMPARE(category->name, u"ニュース"_s);
    QCOMPARE(w.treeText(category), u"ニュース"_s);
    auto *folder = child<QLineEdit>(form, u"folderNameEdit"_s);
    apptest::retype(folder, u"News"_s);
    QCOMPARE(folder->text(), u"news"_s);
    QCOMPARE(category->folderName, u"news"_s);

    auto *link = child<QCheckBox>(form, u"linkMenuCheck"_s);
    auto *target = child<QLineEdit>(form, u"linkTargetEdit"_s);
    auto *choose = child<QPushButton>(form, u"linkTargetButton"_s);
    QVERIFY(!choose->isEnabled());
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, link->height() / 2));
    QCOMPARE(category->kind, velmo::Category::kKindLinkMenu);
    QVERIFY(choose->isEnabled());
    QCOMPARE(target->text(), u"（未設定）"_s);

    // The dialog answers with a content group; the category links to it.
    apptest::whenShown(u"selectObjectDialog"_s, [&](QWidget *dialog) {
        auto *tree = dialog->findChild<ObjectTree *>();
        navtest::leftClick(tree, tree->indexOf(w.site.news2Body));
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"okButton"_s), Qt::LeftButton);
    });
    QTest::mouseClick(choose, Qt::LeftButton);
    QCOMPARE(category->linkTarget, w.site.news2Body->getId());
    // By its name, as the tree shows it.
    const QString shown = target->text();
    QCOMPARE(shown, w.site.news2Body->name);

    // Unchecking keeps the target, and the category its row and selection; checking again shows
    // the target once more.
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, link->height() / 2));
    QCOMPARE(category->kind, velmo::Category::kKindOrdinary);
    QCOMPARE(category->linkTarget, w.site.news2Body->getId());
    QCOMPARE(w.f.navigation()->menuTree()->selectedObject(), category);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, link->height() / 2));
    QCOMPARE(target->text(), shown);
}

void TestPropertyForms::contentGroupForm()
{
    Window w;
    QVERIFY(w.start());
    velmo::ContentGroup *group = w.site.news1Body;
    QWidget *form = w.select(group, u"contentGroupForm"_s);
    QVERIFY(form);
    apptest::retype(child<QLineEdit>(form, u"contentTitleEdit"_s), u"見出し"_s);
    QCOMPARE(group->name, u"見出し"_s);
    QCOMPARE(w.treeText(group), u"見出し"_s);
    QCOMPARE(child<QLineEdit>(form, u"styleSheetEdit"_s)->text(), w.f.path(u"tpl/css/style.css"_s));
    auto *combo = child<QComboBox>(form, u"contentTemplateCombo"_s);
    QCOMPARE(combo->currentText(), group->templateName);
    combo->setCurrentIndex(combo->findText(u"b.template"_s));
    QCOMPARE(group->templateName, u"b.template"_s);
}

void TestPropertyForms::formOfDestroyedObjectDoesNothing()
{
    Window w;
    QVERIFY(w.start());
    QWidget *form = w.select(w.site.news1, u"pageForm"_s);
    auto *name = child<QLineEdit>(form, u"pageNameEdit"_s);
    // The page goes while its form is on view: out of the document, then destroyed with the
    // history that kept it (as a new document does). Typing afterwards must not reach it.
    DocumentController &controller = w.f.app().controller();
    QVERIFY(controller.writer().deleteToStorage(w.site.news1));
    QVERIFY(controller.writer().emptyStorage(w.site.site) > 0);
    controller.history().clear();
    QTest::keyClicks(name, u"x"_s);
    QCOMPARE(w.site.news2->name, u"ニュース2"_s);
    QCOMPARE(controller.history().count(), 0);
}

QTEST_MAIN(TestPropertyForms)
#include "tst_propertyforms.moc"
