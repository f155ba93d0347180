// The site edit dialog and the site form through their real widgets: creating, renaming,
// moving, deleting sites, level names, the template folder and the style sheet with its start
// page and preview picture.
#include <memory>

#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include "app/filedialogwrapper.h"
#include "app/messageboxreporter.h"
#include "app/messageboxwrapper.h"
#include "editors/imagepreviewframe.h"
#include "editors/siteeditdialog.h"
#include "editors/siteform.h"
#include "editors/stringinputdialog.h"
#include "generator/sitepaths.h"
#include "model/document.h"
#include "model/documentwriter.h"
#include "model/site.h"
#include "model/undohistory.h"
#include "textfiles.h"

using namespace Qt::StringLiterals;
using velmo::Site;
using velmo::ui::SiteEditDialog;

namespace {

const QString kEmptyName = u"サイト名が空でした。\r\n新規サイトは作成されません。"_s;

struct Fixture
{
    QTemporaryDir dir;
    MessageBoxWrapper messages;
    FileDialogWrapper files;
    MessageBoxReporter reporter{messages};
    velmo::Document document{dir.path()};
    velmo::UndoHistory history;
    velmo::DocumentWriter writer{document, history};
    std::unique_ptr<SiteEditDialog> dialog;
    QList<QUrl> opened;

    Fixture()
    {
        messages.setInteractive(false);
        files.setInteractive(false);
        document.setReporter(&reporter);
    }

    // A site of the document as opened, on a template without style sheets, so that loading
    // it captures nothing.
    Site *addSite(const QString &name)
    {
        Site *site = document.createSite();
        site->name = name;
        site->templatePath = dir.filePath(u"plain"_s);
        return site;
    }

    bool open()
    {
        dialog = std::make_unique<SiteEditDialog>(writer, messages, files);
        dialog->setUrlOpener([this](const QUrl &url) {
            opened << url;
            return true;
        });
        dialog->show();
        return QTest::qWaitForWindowExposed(dialog.get());
    }

    template<class T>
    T *child(const QString &name) const
    {
        return dialog->findChild<T *>(name);
    }
    QTreeWidget *siteList() const { return child<QTreeWidget>(u"siteList"_s); }
    QLineEdit *edit(const QString &name) const { return child<QLineEdit>(name); }
    void click(const QString &name) const
    {
        QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton);
    }
    QStringList rows(int column = 1) const
    {
        QStringList texts;
        for (int row = 0; row < siteList()->topLevelItemCount(); ++row)
            texts << siteList()->topLevelItem(row)->text(column);
        return texts;
    }
    QStringList siteNames() const
    {
        QStringList names;
        for (const Site *site : document.sites)
            names << site->name;
        return names;
    }
    int selectedRow() const
    {
        QTreeWidgetItem *item = siteList()->currentItem();
        return item != nullptr && item->isSelected() ? siteList()->indexOfTopLevelItem(item) : -1;
    }
    QString working(const Site *site) const
    {
        return velmo::gen::SitePaths::workingFolder(document, *site);
    }
};

// Keys for ASCII; the rest arrives as an input method commits it, as Japanese text does.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QCoreApplication::sendEvent(widget, &commit);
        }
    }
}

void clickRow(QTreeWidget *list, int row)
{
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

// Answers the text input that the next click opens; it is closed even when it went wrong.
void answerInput(QWidget *dialog, const QString &text, bool ok)
{
    QTimer::singleShot(0, dialog, [dialog, text, ok] {
        auto *input = dialog->findChild<velmo::ui::StringInputDialog *>();
        if (input == nullptr)
            return;
        const auto close = qScopeGuard([input] {
            if (input->isVisible())
                input->done(-1);
        });
        QCOMPARE(input->title(), u"サイト名 入力"_s);
        type(input->findChild<QLineEdit *>(u"textEdit"_s), text);
        QTest::mouseClick(input->findChild<QPushButton *>(ok ? u"okButton"_s : u"cancelButton"_s),
                          Qt::LeftButton);
    });
}

} // namespace

class TestSiteEditDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createsFirstSiteAndRefusesUnusableNames();
    void typedTextsGoIntoTheSelectedSite();
    void movesWrapAround();
    void deletesOnlyOnYesAndTheNeighbourBecomesCurrent();
    void levelNameOfRowThree();
    void styleSheetWritesStartPageAndPreview();
    void siteFormOpensTemplateFolders();
};

void TestSiteEditDialog::createsFirstSiteAndRefusesUnusableNames()
{
    Fixture f;
    QVERIFY(f.open());
    QCOMPARE(f.siteList()->topLevelItemCount(), 0);
    QVERIFY(!f.edit(u"nameEdit"_s)->isEnabled());

    const QString unusable = u"\r\n「/」「\\」を含む名前と「.」「..」は使えません。\r\n"
                             u"新規サイトは作成されません。"_s;
    // clang-format off
    const QList<std::pair<QString, QString>> refused = {
        {QString(),   kEmptyName},
        {u"   "_s,    kEmptyName},
        {u"a/b"_s,    u"サイト名「a/b」はフォルダ名に使えません。"_s + unusable},
        {u"x\\y"_s,   u"サイト名「x\\y」はフォルダ名に使えません。"_s + unusable},
        {u".."_s,     u"サイト名「..」はフォルダ名に使えません。"_s + unusable},
    };
    // clang-format on
    for (const auto &[name, message] : refused) {
        f.messages.clearShownTexts();
        answerInput(f.dialog.get(), name, true);
        f.click(u"newSiteButton"_s);
        QCOMPARE(f.messages.shownTexts(), QStringList{message});
    }
    f.messages.clearShownTexts();
    answerInput(f.dialog.get(), u"取り消し"_s, false);
    f.click(u"newSiteButton"_s);
    QVERIFY(f.messages.shownTexts().isEmpty());
    QVERIFY(f.document.sites.isEmpty());
    QCOMPARE(f.history.count(), 0);

    answerInput(f.dialog.get(), u" 喫茶店 "_s, true);
    f.click(u"newSiteButton"_s);
    QCOMPARE(f.document.sites.count(), 1);
    Site *site = f.document.sites.first();
    QCOMPARE(site->name, u"喫茶店"_s);
    QCOMPARE(site->imageFolder, u"image"_s);
    QCOMPARE(site->templatePath, f.document.sampleTemplateFolder());
    // The new site is the current one, and a step of the history.
    QCOMPARE(f.document.currentSiteUnchecked(), site);
    QCOMPARE(f.history.undoText(), u"サイトの追加"_s);
    QVERIFY(!f.history.isClean());
    QCOMPARE(f.rows(), QStringList{u"喫茶店"_s});
    QCOMPARE(f.selectedRow(), 0);
    QCOMPARE(f.edit(u"nameEdit"_s)->text(), u"喫茶店"_s);
    QCOMPARE(f.edit(u"imageFolderEdit"_s)->text(), u"image"_s);
    QCOMPARE(f.edit(u"templateEdit"_s)->text(), f.document.sampleTemplateFolder());
    QVERIFY(f.messages.shownTexts().isEmpty());
}

void TestSiteEditDialog::typedTextsGoIntoTheSelectedSite()
{
    Fixture f;
    Site *first = f.addSite(u"一"_s);
    Site *second = f.addSite(u"二"_s);
    second->author = u"旧作者"_s;
    QVERIFY(f.open());
    clickRow(f.siteList(), 1);
    QTRY_COMPARE(f.dialog->shownSite(), second);
    QCOMPARE(f.edit(u"authorEdit"_s)->text(), u"旧作者"_s);

    f.edit(u"nameEdit"_s)->selectAll();
    type(f.edit(u"nameEdit"_s), u"改名"_s);
    f.edit(u"authorEdit"_s)->clear();
    type(f.edit(u"authorEdit"_s), u"山田"_s);
    type(f.edit(u"urlEdit"_s), u"https://example.jp/"_s);
    type(f.child<QPlainTextEdit>(u"summaryEdit"_s), u"概要"_s);
    QCOMPARE(second->name, u"改名"_s);
    QCOMPARE(second->author, u"山田"_s);
    QCOMPARE(second->siteUrl, u"https://example.jp/"_s);
    QCOMPARE(second->summary, u"概要"_s);
    QCOMPARE(f.rows(), (QStringList{u"一"_s, u"改名"_s}));
    QCOMPARE(f.rows(3), (QStringList{QString(), u"山田"_s}));
    QCOMPARE(first->name, u"一"_s);

    // Loading another site writes nothing back into either.
    const int steps = f.history.count();
    clickRow(f.siteList(), 0);
    QTRY_COMPARE(f.dialog->shownSite(), first);
    QCOMPARE(f.edit(u"nameEdit"_s)->text(), u"一"_s);
    QCOMPARE(f.history.count(), steps);
    QCOMPARE(second->name, u"改名"_s);
    QVERIFY(first->siteUrl.isEmpty());

    f.click(u"openAddressButton"_s);
    QVERIFY(f.opened.isEmpty());
    clickRow(f.siteList(), 1);
    QTRY_COMPARE(f.dialog->shownSite(), second);
    f.click(u"openAddressButton"_s);
    f.click(u"previewButton"_s);
    QCOMPARE(f.opened, (QList<QUrl>{QUrl(u"https://example.jp/"_s),
                                    QUrl::fromLocalFile(f.working(second) + u"/index.html"_s)}));

    f.click(u"okButtonTop"_s);
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(second->name, u"改名"_s);
}

void TestSiteEditDialog::movesWrapAround()
{
    Fixture f;
    Site *a = f.addSite(u"A"_s);
    f.addSite(u"B"_s);
    f.addSite(u"C"_s);
    QVERIFY(f.open());
    clickRow(f.siteList(), 0);
    QTRY_COMPARE(f.dialog->shownSite(), a);

    f.click(u"upButton"_s);
    QCOMPARE(f.siteNames(), (QStringList{u"B"_s, u"C"_s, u"A"_s}));
    QCOMPARE(f.rows(), f.siteNames());
    QCOMPARE(f.selectedRow(), 2);
    QCOMPARE(f.history.count(), 1);
    f.click(u"downButton"_s);
    QCOMPARE(f.siteNames(), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    QCOMPARE(f.selectedRow(), 0);
    f.click(u"downButton"_s);
    QCOMPARE(f.siteNames(), (QStringList{u"B"_s, u"A"_s, u"C"_s}));
    QCOMPARE(f.selectedRow(), 1);
    QCOMPARE(f.dialog->shownSite(), a);
}

void TestSiteEditDialog::deletesOnlyOnYesAndTheNeighbourBecomesCurrent()
{
    Fixture f;
    Site *a = f.addSite(u"A"_s);
    Site *b = f.addSite(u"B"_s);
    QVERIFY(f.document.setCurrentSite(a));
    QVERIFY(f.open());
    // The dialog opens on the current site.
    QTRY_COMPARE(f.dialog->shownSite(), a);

    f.messages.queueAnswer(QMessageBox::No);
    f.click(u"deleteSiteButton"_s);
    QCOMPARE(f.messages.shownTexts(), QStringList{u"サイト(A)を削除しようとしています。\r\n"
                                                  u"削除する場合は、[はい]を押してください。"_s});
    QCOMPARE(f.document.sites.count(), 2);
    QCOMPARE(f.history.count(), 0);

    f.messages.queueAnswer(QMessageBox::Yes);
    f.click(u"deleteSiteButton"_s);
    QCOMPARE(f.siteNames(), QStringList{u"B"_s});
    QCOMPARE(f.rows(), QStringList{u"B"_s});
    QCOMPARE(f.history.count(), 1);
    QCOMPARE(f.dialog->shownSite(), b);
    QTRY_COMPARE(f.document.currentSiteUnchecked(), b);
    QCOMPARE(f.edit(u"nameEdit"_s)->text(), u"B"_s);

    f.messages.queueAnswer(QMessageBox::Yes);
    f.click(u"deleteSiteButton"_s);
    QVERIFY(f.document.sites.isEmpty());
    QCOMPARE(f.siteList()->topLevelItemCount(), 0);
    QVERIFY(f.edit(u"nameEdit"_s)->text().isEmpty());
    QVERIFY(!f.edit(u"nameEdit"_s)->isEnabled());
    QVERIFY(f.document.currentSiteUnchecked() == nullptr);

    // Undo brings both back, the one that was current when it went as the current site.
    f.click(u"okButtonTop"_s);
    f.history.undo();
    f.history.undo();
    QCOMPARE(f.siteNames(), (QStringList{u"A"_s, u"B"_s}));
    QCOMPARE(f.document.currentSiteUnchecked(), a);
}

void TestSiteEditDialog::levelNameOfRowThree()
{
    Fixture f;
    Site *site = f.addSite(u"A"_s);
    QVERIFY(f.open());
    clickRow(f.siteList(), 0);
    QTRY_COMPARE(f.dialog->shownSite(), site);
    auto *levels = f.child<QTreeWidget>(u"levelList"_s);
    QCOMPARE(levels->topLevelItemCount(), 5);
    QCOMPARE(levels->topLevelItem(0)->text(0), u"第1階層"_s);
    QCOMPARE(levels->topLevelItem(0)->text(1), u"レベル１"_s);

    clickRow(levels, 2);
    QCOMPARE(f.edit(u"levelLabelEdit"_s)->text(), u"第3階層"_s);
    QCOMPARE(f.edit(u"levelNameEdit"_s)->text(), u"レベル３"_s);
    f.edit(u"levelNameEdit"_s)->selectAll();
    type(f.edit(u"levelNameEdit"_s), u"商品"_s);
    QCOMPARE(site->levelName(2), u"商品"_s);
    QCOMPARE(levels->topLevelItem(2)->text(1), u"商品"_s);
    QCOMPARE(site->levelName(1), u"レベル２"_s);
    QCOMPARE(site->levelName(3), u"レベル４"_s);
}

void TestSiteEditDialog::styleSheetWritesStartPageAndPreview()
{
    Fixture f;
    const QString tpl = f.dir.filePath(u"tpl"_s);
    writeFile(tpl + u"/css/a.css"_s, u"body{background:#c03030}"_s);
    writeFile(tpl + u"/css/b.css"_s, u"body{background:#3060c0}"_s);
    writeFile(tpl + u"/template_image/logo.svg"_s,
              u"<svg xmlns=\"http://www.w3.org/2000/svg\"/>"_s);
    writeFile(tpl + u"/index.html"_s,
              u"<html><head><link rel=\"stylesheet\" href=\"css/style.css\"></head>"
              u"<body></body></html>"_s);
    Site *site = f.addSite(u"A"_s);
    site->templatePath = tpl;
    site->mainCss = u"b.css"_s;
    QVERIFY(f.document.setCurrentSite(site));
    QVERIFY(f.open());

    // Opening on the site takes its style sheet and photographs the start page.
    auto *styles = f.child<QListWidget>(u"styleSheetList"_s);
    auto *frame = f.child<velmo::ui::ImagePreviewFrame>(u"imagePreviewFrame"_s);
    QTRY_VERIFY_WITH_TIMEOUT(frame->hasImage(), 30000);
    QCOMPARE(styles->count(), 2);
    QCOMPARE(styles->currentItem()->text(), u"b.css"_s);
    const QString working = f.working(site);
    QVERIFY(readFile(working + u"/index.html"_s).contains(u"href=\"css/b.css\""_s));
    QCOMPARE(readFile(working + u"/css/b.css"_s), u"body{background:#3060c0}"_s);
    QVERIFY(QFile::exists(working + u"/template_image/logo.svg"_s));
    // The site's own style sheet taken again is no edit.
    QCOMPARE(f.history.count(), 0);
    const QImage picture(working + u"/preview.jpg"_s);
    QCOMPARE(picture.size(), QSize(1024, 768));
    QVERIFY(qAbs(picture.pixelColor(500, 400).blue() - 0xc0) < 24);

    QFile::remove(working + u"/preview.jpg"_s);
    QTest::mouseClick(styles->viewport(), Qt::LeftButton, {},
                      styles->visualItemRect(styles->item(0)).center());
    QCOMPARE(site->mainCss, u"a.css"_s);
    QCOMPARE(f.history.count(), 1);
    QVERIFY(readFile(working + u"/index.html"_s).contains(u"href=\"css/a.css\""_s));
    QVERIFY(QFile::exists(working + u"/preview.jpg"_s));
    QVERIFY(f.messages.shownTexts().isEmpty());

    // A cancelled folder picker keeps the template, and says nothing: the user chose so. A
    // chosen one is loaded.
    f.click(u"templateButton"_s);
    QVERIFY(f.messages.shownTexts().isEmpty());
    QCOMPARE(f.files.requests().constLast().mode, FileDialogWrapper::Mode::Folder);
    QCOMPARE(f.files.requests().constLast().caption, u"テンプレートパス選択"_s);
    QCOMPARE(f.files.requests().constLast().directory, tpl);
    QCOMPARE(site->templatePath, tpl);
    const QString plain = f.dir.filePath(u"plain"_s);
    QVERIFY(QDir().mkpath(plain));
    f.files.queueFileName(plain);
    f.click(u"templateButton"_s);
    QCOMPARE(site->templatePath, plain);
    QCOMPARE(f.edit(u"templateEdit"_s)->text(), plain);
    QCOMPARE(styles->count(), 0);
    QCOMPARE(site->mainCss, u"a.css"_s);
}

void TestSiteEditDialog::siteFormOpensTemplateFolders()
{
    Fixture f;
    velmo::ui::SiteForm form(f.document);
    QStringList folders;
    form.setFolderOpener([&folders](const QString &folder) {
        folders << folder;
        return true;
    });
    const QStringList buttons = {u"pageTemplateButton"_s, u"menuTemplateButton"_s,
                                 u"contentTemplateButton"_s, u"cssFolderButton"_s,
                                 u"imageTemplateButton"_s};
    const auto clickAll = [&] {
        for (const QString &name : buttons)
            QTest::mouseClick(form.findChild<QPushButton *>(name), Qt::LeftButton);
        QTest::mouseClick(form.findChild<QPushButton *>(u"userImageButton"_s), Qt::LeftButton);
    };
    const QString userImages = f.dir.path() + u"/user_image"_s;

    // Without a current site only the user image folder opens.
    form.show();
    clickAll();
    QCOMPARE(folders, QStringList{userImages});
    QCOMPARE(f.messages.shownTexts().count(), buttons.size());

    Site *site = f.addSite(u"喫茶店"_s);
    QVERIFY(f.document.setCurrentSite(site));
    form.hide();
    form.setObject(site);
    form.show();
    QCOMPARE(form.findChild<QLineEdit *>(u"siteNameEdit"_s)->text(), u"喫茶店"_s);
    folders.clear();
    clickAll();
    const QString tpl = site->templatePath;
    QCOMPARE(folders, (QStringList{tpl + u"/ページテンプレート"_s, tpl + u"/メニューテンプレート"_s,
                                   tpl + u"/コンテンツテンプレート"_s, tpl + u"/css"_s,
                                   tpl + u"/template_image"_s, userImages}));
}

QTEST_MAIN(TestSiteEditDialog)
#include "tst_siteeditdialog.moc"
