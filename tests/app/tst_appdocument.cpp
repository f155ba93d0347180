// The document as the user meets it: start-up with or without a document, New, Open, Save and
// Save As through the menu with answered dialogs, broken and empty files, dropped files and
// closing the window, and what the navigation form shows after each.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "app/documentcontroller.h"
#include "app/objecttree.h"
#include "apptestsupport.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/documentfile.h"
#include "model/site.h"

using namespace Qt::StringLiterals;
using apptest::AppFixture;
using apptest::fixture;

namespace {

QStringList siteNames(const velmo::Document &global)
{
    QStringList names;
    for (const velmo::Site *site : global.sites)
        names << site->name;
    return names;
}

QStringList partTypeNames(const velmo::Document &global)
{
    QStringList names;
    for (const auto *part : global.partTypes)
        names << part->name;
    return names;
}

// A copy of a fixture in the test's folder, so that saving may change it.
QString copyFixture(AppFixture &f, const QString &name, const QString &as)
{
    const QString target = f.path(as);
    QFile::remove(target);
    if (!QFile::copy(fixture(name), target))
        return QString();
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

void trigger(QAction *action)
{
    action->trigger();
}

// A site added as the user adds one: a step of the undo history, and the current site.
velmo::Site *addSite(AppFixture &f, const QString &name)
{
    return f.app().controller().writer().createSite(name);
}

QString saveQuestion(const QString &name)
{
    return u"%1 への変更を保存しますか？"_s.arg(name);
}

QStringList comboEntries(const QComboBox *combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

// What the navigation form shows of the document: every site in the combo, and the current
// site in the menu tree with the hierarchies below it and its storage box below that.
void verifyNavigationShows(AppFixture &f, int siteIndex)
{
    NavigationPane *navigation = f.navigation();
    QVERIFY(navigation != nullptr);
    QCOMPARE(comboEntries(navigation->siteCombo()), siteNames(f.global()));
    QCOMPARE(navigation->siteCombo()->currentIndex(), siteIndex);
    velmo::Site *site = f.global().sites.at(siteIndex);
    QVERIFY(site != nullptr);
    QCOMPARE(f.global().getCurrentSite(), site);

    const ObjectTree *menu = navigation->menuTree();
    QCOMPARE(menu->rootObject(), site);
    QCOMPARE(menu->model()->rowCount(), 1);
    const QModelIndex top = menu->model()->index(0, 0);
    QCOMPARE(top.data().toString(), site->name);
    QVERIFY(menu->isExpanded(top));
    QStringList hierarchies;
    for (const velmo::Classification *classification : site->classifications)
        hierarchies << classification->name;
    QStringList shown;
    for (int row = 0; row < menu->model()->rowCount(top); ++row)
        shown << menu->model()->index(row, 0, top).data().toString();
    QCOMPARE(shown, hierarchies.mid(0, 2));
    QCOMPARE(navigation->storageTree()->rootObject(), &site->objectBox);
}

void verifyNavigationEmpty(AppFixture &f)
{
    NavigationPane *navigation = f.navigation();
    QVERIFY(navigation != nullptr);
    QCOMPARE(navigation->siteCombo()->count(), 0);
    QCOMPARE(navigation->menuTree()->model()->rowCount(), 0);
    QCOMPARE(navigation->storageTree()->model()->rowCount(), 0);
}

} // namespace

class TestAppDocument : public QObject
{
    Q_OBJECT

public:
    static void initMain() { apptest::initMain(); }

private Q_SLOTS:
    void startsWithCommandLineDocument();
    void startsEmptyWhenCommandLineDocumentFails();
    void startsEmptyWithoutDocument();
    void parsesCommandLine_data();
    void parsesCommandLine();
    void newAsksToSave_data();
    void newAsksToSave();
    void saveAsWritesReopenableFile();
    void saveWritesToTheDocumentsFile();
    void failedSaveKeepsDocumentModified();
    void brokenFileKeepsDocument_data();
    void brokenFileKeepsDocument();
    void emptyFileKeepsContent();
    void openingTheOpenDocumentDoesNotReadIt();
    void droppedDocumentIsOpened();
    void openedDocumentShowsItsFirstSite();
    void closingAsksToSave_data();
    void closingAsksToSave();
    void modifiedMeansChangedContent();
};

void TestAppDocument::startsWithCommandLineDocument()
{
    AppFixture f;
    const QString sample = fixture(u"sample.vlm"_s);
    QVERIFY(f.start(sample));

    QCOMPARE(f.frame()->windowTitle(), u"sample.vlm - Velmo"_s);
    QVERIFY(f.frame()->isMaximized());
    QCOMPARE(f.doc().pathName(), QFileInfo(sample).absoluteFilePath());
    // Looking at a document changes nothing: closing it asks nothing.
    QVERIFY(!f.doc().isModified());
    QCOMPARE(f.messageBoxes().shownTexts(), QStringList());

    // The file's catalogues followed by the built-in entries it lacks, as start-up adds them.
    velmo::Document reference;
    QVERIFY(velmo::DocumentFile::open(reference, sample));
    reference.addBuiltInCatalogue();
    QVERIFY(!reference.sites.isEmpty());
    QCOMPARE(siteNames(f.global()), siteNames(reference));
    QCOMPARE(partTypeNames(f.global()), partTypeNames(reference));
    QCOMPARE(f.global().contentTypes.count(), reference.contentTypes.count());
    QCOMPARE(f.app().recentFiles().files(), QStringList{QFileInfo(sample).absoluteFilePath()});
    verifyNavigationShows(f, 0);
}

void TestAppDocument::startsEmptyWhenCommandLineDocumentFails()
{
    AppFixture f;
    const QString broken = fixture(u"truncated.vlm"_s);
    QVERIFY(f.start(broken));

    const QStringList shown = f.messageBoxes().shownTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(u"開けませんでした"_s) && shown.first().contains(broken),
             qPrintable(shown.first()));
    QVERIFY(f.frame()->isVisible());
    QCOMPARE(f.frame()->windowTitle(), u"無題 - Velmo"_s);
    QVERIFY(f.doc().pathName().isEmpty());
    QVERIFY(f.global().sites.isEmpty());
    QVERIFY(f.app().recentFiles().files().isEmpty());
    verifyNavigationEmpty(f);
}

void TestAppDocument::startsEmptyWithoutDocument()
{
    AppFixture f;
    QVERIFY(f.start());
    QCOMPARE(f.frame()->windowTitle(), u"無題 - Velmo"_s);
    QVERIFY(!f.doc().isModified());
    QVERIFY(f.global().sites.isEmpty());
    // The built-in catalogue is there from the start.
    QVERIFY(partTypeNames(f.global()).contains(u"長い文字列(∞)"_s));
    QCOMPARE(f.messageBoxes().shownTexts(), QStringList());
    verifyNavigationEmpty(f);
}

void TestAppDocument::parsesCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("error");

    // clang-format off
    QTest::newRow("nothing")          << QStringList{}                                 << QString()    << QString()        << false;
    QTest::newRow("document")         << QStringList{u"a.vlm"_s}                       << QString()    << u"a.vlm"_s       << false;
    QTest::newRow("home and file")    << QStringList{u"--home"_s, u"/d"_s, u"a.vlm"_s} << u"/d"_s      << u"a.vlm"_s       << false;
    QTest::newRow("home with =")      << QStringList{u"--home=/d"_s}                   << u"/d"_s      << QString()        << false;
    QTest::newRow("file then home")   << QStringList{u"b c.vlm"_s, u"--home"_s, u"/d"_s} << u"/d"_s    << u"b c.vlm"_s     << false;
    QTest::newRow("home without dir") << QStringList{u"a.vlm"_s, u"--home"_s}          << QString()    << QString()        << true;
    QTest::newRow("unknown option")   << QStringList{u"--bogus"_s, u"a.vlm"_s}         << QString()    << QString()        << true;
    QTest::newRow("two documents")    << QStringList{u"a.vlm"_s, u"b.vlm"_s}           << QString()    << QString()        << true;
    // clang-format on
}

void TestAppDocument::parsesCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, home);
    QFETCH(QString, file);
    QFETCH(bool, error);

    const Application::CommandLineInfo info = Application::parseCommandLine(arguments);
    QCOMPARE(info.homeFolder, home);
    QCOMPARE(info.fileName, file);
    QCOMPARE(!info.error.isEmpty(), error);
}

void TestAppDocument::newAsksToSave_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<bool>("saved");

    QTest::newRow("yes") << int(QMessageBox::Yes) << true << true;
    QTest::newRow("no") << int(QMessageBox::No) << true << false;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << false;
}

void TestAppDocument::newAsksToSave()
{
    QFETCH(int, answer);
    QFETCH(bool, replaced);
    QFETCH(bool, saved);

    AppFixture f;
    const QString document = copyFixture(f, u"sample.vlm"_s, u"doc.vlm"_s);
    QVERIFY(f.start(document));
    const QByteArray before = apptest::readAll(document);
    velmo::Site *added = addSite(f, u"追加サイト"_s);
    QVERIFY(f.doc().isModified());

    f.messageBoxes().queueAnswer(QMessageBox::StandardButton(answer));
    f.frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.frame()));
    QTest::keyClick(f.frame(), Qt::Key_N, Qt::ControlModifier);

    QCOMPARE(f.messageBoxes().shownTexts(), QStringList{saveQuestion(document)});
    QCOMPARE(f.messageBoxes().queuedAnswers(), 0);
    if (replaced) {
        QCOMPARE(f.frame()->windowTitle(), u"無題 - Velmo"_s);
        QVERIFY(f.global().sites.isEmpty());
        verifyNavigationEmpty(f);
    } else {
        QCOMPARE(f.frame()->windowTitle(), u"doc.vlm* - Velmo"_s);
        QVERIFY(siteNames(f.global()).contains(u"追加サイト"_s));
        // The site added is the current one, and stays so.
        QCOMPARE(f.navigation()->menuTree()->rootObject(), added);
    }
    // A new document is untouched; a kept one is still edited.
    QCOMPARE(f.doc().isModified(), !replaced);

    const QByteArray after = apptest::readAll(document);
    QCOMPARE(after != before, saved);
    if (saved) {
        velmo::Document reread;
        QVERIFY(velmo::DocumentFile::open(reread, document));
        QCOMPARE(siteNames(reread).last(), u"追加サイト"_s);
    }
}

void TestAppDocument::saveAsWritesReopenableFile()
{
    AppFixture f;
    QVERIFY(f.start());
    velmo::Site *site = addSite(f, u"新しいサイト"_s);
    f.app().controller().setField(site, velmo::Field::HomeTitle, u"ようこそ"_s);
    const velmo::ObjectId id = site->id;

    // Save on a document without a file goes through Save As; the suffix is added.
    f.fileDialogs().queueFileName(f.path(u"mysite"_s));
    trigger(f.frame()->fileSaveAction());
    const QString saved = f.path(u"mysite.vlm"_s);
    QVERIFY(QFileInfo::exists(saved));
    const FileDialogWrapper::Request request = f.fileDialogs().requests().constLast();
    QCOMPARE(request.mode, FileDialogWrapper::Mode::Save);
    // A new document is proposed in the home folder; file dialogs start where the document is.
    QCOMPARE(request.directory, QDir::homePath() + u"/無題.vlm"_s);
    QVERIFY(request.nameFilters.contains(u"Velmo 文書 (*.vlm)"_s));
    QCOMPARE(f.frame()->windowTitle(), u"mysite.vlm - Velmo"_s);
    QVERIFY(!f.doc().isModified());
    QCOMPARE(f.app().recentFiles().files().value(0), saved);

    // Not modified any more: New asks nothing, and neither does Open on the untouched new
    // document; an edit of it is asked about.
    trigger(f.frame()->fileNewAction());
    QVERIFY(f.global().sites.isEmpty());
    QCOMPARE(f.messageBoxes().shownTexts(), QStringList());
    QVERIFY(!f.doc().isModified());
    addSite(f, u"捨てるサイト"_s);

    f.messageBoxes().queueAnswer(QMessageBox::No);
    f.fileDialogs().queueFileName(saved);
    trigger(f.frame()->fileOpenAction());
    QCOMPARE(f.messageBoxes().shownTexts(), QStringList{saveQuestion(u"無題"_s)});
    QCOMPARE(f.fileDialogs().requests().constLast().mode, FileDialogWrapper::Mode::Open);
    QCOMPARE(f.fileDialogs().queuedFileNames(), 0);
    QCOMPARE(f.global().sites.count(), 1);
    QCOMPARE(f.global().sites.first()->name, u"新しいサイト"_s);
    QCOMPARE(f.global().sites.first()->homeTitle, u"ようこそ"_s);
    QCOMPARE(f.global().sites.first()->id, id);
    QCOMPARE(f.frame()->windowTitle(), u"mysite.vlm - Velmo"_s);
    verifyNavigationShows(f, 0);
}

void TestAppDocument::saveWritesToTheDocumentsFile()
{
    AppFixture f;
    const QString document = copyFixture(f, u"sample.vlm"_s, u"doc.vlm"_s);
    QVERIFY(f.start(document));
    f.app().controller().renameObject(f.global().sites.first(), u"改名したサイト"_s);

    f.frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.frame()));
    QTest::keyClick(f.frame(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(f.fileDialogs().requests().isEmpty());
    QVERIFY(!f.doc().isModified());

    velmo::Document reread;
    QVERIFY(velmo::DocumentFile::open(reread, document));
    QCOMPARE(siteNames(reread), siteNames(f.global()));
    QCOMPARE(siteNames(reread).first(), u"改名したサイト"_s);
}

void TestAppDocument::failedSaveKeepsDocumentModified()
{
    AppFixture f;
    QVERIFY(f.start());
    addSite(f, u"保存できないサイト"_s);
    const QString target = f.path(u"no such folder/site.vlm"_s);

    f.fileDialogs().queueFileName(target);
    trigger(f.frame()->fileSaveAsAction());

    const QStringList shown = f.messageBoxes().shownTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(u"保存できませんでした"_s), qPrintable(shown.first()));
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(f.doc().isModified());
    QVERIFY(f.doc().pathName().isEmpty());
    QCOMPARE(f.frame()->windowTitle(), u"無題* - Velmo"_s);
    QVERIFY(f.app().recentFiles().files().isEmpty());
}

void TestAppDocument::brokenFileKeepsDocument_data()
{
    QTest::addColumn<QString>("broken");
    for (const char *name : {"truncated.vlm", "bad_tag.vlm", "bad_class_code.vlm", "huge_count.vlm",
                             "lying_length.vlm", "deep_nesting.vlm"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestAppDocument::brokenFileKeepsDocument()
{
    QFETCH(QString, broken);

    AppFixture f;
    const QString document = copyFixture(f, u"sample.vlm"_s, u"doc.vlm"_s);
    QVERIFY(f.start(document));
    const QByteArray bytes = apptest::readAll(document);
    velmo::Site *added = addSite(f, u"未保存のサイト"_s);
    QCOMPARE(f.global().currentSiteUnchecked(), added);
    QList<velmo::Site *> sites;
    for (velmo::Site *site : f.global().sites)
        sites << site;
    const QStringList parts = partTypeNames(f.global());

    f.messageBoxes().queueAnswer(QMessageBox::No);
    f.fileDialogs().queueFileName(fixture(broken));
    trigger(f.frame()->fileOpenAction());

    const QStringList shown = f.messageBoxes().shownTexts();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0), saveQuestion(document));
    QVERIFY2(shown.at(1).contains(u"開けませんでした"_s) && shown.at(1).contains(fixture(broken)),
             qPrintable(shown.at(1)));

    // The window and the model are as they were; the document's file was not touched.
    QCOMPARE(f.frame()->windowTitle(), u"doc.vlm* - Velmo"_s);
    QCOMPARE(f.doc().pathName(), document);
    QVERIFY(f.doc().isModified());
    QList<velmo::Site *> after;
    for (velmo::Site *site : f.global().sites)
        after << site;
    QCOMPARE(after, sites);
    QCOMPARE(f.global().currentSiteUnchecked(), added);
    QCOMPARE(partTypeNames(f.global()), parts);
    QCOMPARE(apptest::readAll(document), bytes);
    QVERIFY(!f.app().recentFiles().files().contains(fixture(broken)));

    // The program goes on: the next good file opens.
    f.messageBoxes().clearShownTexts();
    f.messageBoxes().queueAnswer(QMessageBox::No);
    QCOMPARE(f.app().openDocumentFile(fixture(u"sample.vlm"_s)), Application::OpenResult::Opened);
    QCOMPARE(f.frame()->windowTitle(), u"sample.vlm - Velmo"_s);
    QVERIFY(!siteNames(f.global()).contains(u"未保存のサイト"_s));
}

void TestAppDocument::emptyFileKeepsContent()
{
    AppFixture f;
    const QString document = copyFixture(f, u"sample.vlm"_s, u"doc.vlm"_s);
    QVERIFY(f.start(document));
    const QStringList names = siteNames(f.global());
    const QString empty = f.path(u"empty.vlm"_s);
    QVERIFY(apptest::writeAll(empty, QByteArray()));

    QCOMPARE(f.app().openDocumentFile(empty), Application::OpenResult::Opened);
    QCOMPARE(f.messageBoxes().shownTexts(), QStringList());
    QCOMPARE(f.frame()->windowTitle(), u"empty.vlm* - Velmo"_s);
    QCOMPARE(siteNames(f.global()), names);
    // The kept content now belongs to the empty file, which it is not saved in yet.
    QVERIFY(f.doc().isModified());
    verifyNavigationShows(f, 0);
}

void TestAppDocument::openingTheOpenDocumentDoesNotReadIt()
{
    AppFixture f;
    const QString document = copyFixture(f, u"sample.vlm"_s, u"doc.vlm"_s);
    QVERIFY(f.start(document));
    f.app().controller().renameObject(f.global().sites.first(), u"編集中"_s);

    QCOMPARE(f.app().openDocumentFile(document), Application::OpenResult::Opened);
    QCOMPARE(f.messageBoxes().shownTexts(), QStringList());
    QCOMPARE(f.global().sites.first()->name, u"編集中"_s);
    QVERIFY(f.doc().isModified());
}

void TestAppDocument::droppedDocumentIsOpened()
{
    AppFixture f;
    QVERIFY(f.start());
    const QString document = copyFixture(f, u"sample.vlm"_s, u"dropped.vlm"_s);
    const QString text = f.path(u"notes.txt"_s);
    QVERIFY(apptest::writeAll(text, "not a document"));

    QMimeData onlyText;
    onlyText.setUrls({QUrl::fromLocalFile(text)});
    QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &onlyText, Qt::LeftButton,
                            Qt::NoModifier);
    QApplication::sendEvent(f.frame(), &refused);
    QVERIFY(!refused.isAccepted());

    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(text), QUrl::fromLocalFile(document)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mixed, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.frame(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mixed, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.frame(), &drop);
    QVERIFY(drop.isAccepted());

    QTRY_COMPARE(f.frame()->windowTitle(), u"dropped.vlm - Velmo"_s);
    // The untouched new document goes without a question.
    QCOMPARE(f.messageBoxes().shownTexts(), QStringList());
    QVERIFY(!f.global().sites.isEmpty());
    QCOMPARE(f.doc().pathName(), document);
    verifyNavigationShows(f, 0);
}

void TestAppDocument::openedDocumentShowsItsFirstSite()
{
    AppFixture f;
    const QString sample = fixture(u"sample.vlm"_s);
    const QString more = f.path(u"more.vlm"_s);
    int sampleSites = 0;
    {
        velmo::Document larger;
        QVERIFY(velmo::DocumentFile::open(larger, sample));
        sampleSites = int(larger.sites.count());
        larger.createSite()->name = u"二つ目の追加"_s;
        larger.createSite()->name = u"最後の追加"_s;
        QVERIFY(velmo::DocumentFile::save(larger, more));
    }
    QVERIFY(f.start(more));

    // The user chooses the last site, beyond the count of the document opened next.
    QComboBox *combo = f.navigation()->siteCombo();
    const int last = combo->count() - 1;
    QCOMPARE(last, sampleSites + 1);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_End);
    QCOMPARE(combo->currentIndex(), last);
    QCOMPARE(f.navigation()->menuTree()->model()->index(0, 0).data().toString(), u"最後の追加"_s);

    // A choice made in another document means nothing here: the first site is shown. Choosing
    // a site is no edit, so nothing is asked.
    f.messageBoxes().clearShownTexts();
    QCOMPARE(f.app().openDocumentFile(sample), Application::OpenResult::Opened);
    QCOMPARE(f.messageBoxes().shownTexts(), QStringList());
    verifyNavigationShows(f, 0);
}

void TestAppDocument::closingAsksToSave_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");

    QTest::newRow("yes") << true << int(QMessageBox::Yes) << true << true;
    QTest::newRow("no") << true << int(QMessageBox::No) << true << false;
    QTest::newRow("cancel") << true << int(QMessageBox::Cancel) << false << false;
    // An untouched document closes without a question.
    QTest::newRow("untouched") << false << int(QMessageBox::Cancel) << true << false;
}

void TestAppDocument::closingAsksToSave()
{
    QFETCH(bool, edit);
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(bool, saved);

    AppFixture f;
    const QString document = copyFixture(f, u"sample.vlm"_s, u"doc.vlm"_s);
    QVERIFY(f.start(document));
    const QByteArray before = apptest::readAll(document);
    if (edit)
        addSite(f, u"閉じる前のサイト"_s);

    f.messageBoxes().queueAnswer(QMessageBox::StandardButton(answer));
    trigger(f.frame()->exitAction());

    QCOMPARE(f.messageBoxes().shownTexts(),
             edit ? QStringList{saveQuestion(document)} : QStringList());
    QCOMPARE(f.frame()->isVisible(), !closed);
    QCOMPARE(apptest::readAll(document) != before, saved);
}

void TestAppDocument::modifiedMeansChangedContent()
{
    AppFixture f;
    const QString document = copyFixture(f, u"sample.vlm"_s, u"doc.vlm"_s);
    QVERIFY(f.start(document));
    // Previewing pages writes link paths into the menu objects: that is no edit.
    ObjectTree *menu = f.navigation()->menuTree();
    menu->expandAll();
    for (QModelIndex index = menu->model()->index(0, 0); index.isValid();
         index = menu->indexBelow(index))
        menu->setCurrentIndex(index);
    QVERIFY(!f.global().previewAddress.isEmpty());
    QVERIFY(!f.doc().isModified());

    // An edit shows in the title, and an edit typed back to what it was is no edit.
    velmo::Site *site = f.global().sites.first();
    const QString name = site->name;
    f.app().controller().renameObject(site, u"改名"_s);
    QTRY_COMPARE(f.frame()->windowTitle(), u"doc.vlm* - Velmo"_s);
    f.app().controller().renameObject(site, name);
    QTRY_COMPARE(f.frame()->windowTitle(), u"doc.vlm - Velmo"_s);
    // The previews named the fixture's template, which is not on this machine.
    f.messageBoxes().clearShownTexts();
    trigger(f.frame()->exitAction());
    QVERIFY(f.messageBoxes().shownTexts().isEmpty());
    QVERIFY(!f.frame()->isVisible());
}

QTEST_MAIN(TestAppDocument)
#include "tst_appdocument.moc"
