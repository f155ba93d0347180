// What the program keeps in the settings: the external program paths (read at start, edited in
// "ディレクトリ設定"), the recent-file list with its ten entries, and where the settings file
// lives.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/documentcontroller.h"
#include "app/externalprograms.h"
#include "app/programpathsdialog.h"
#include "app/recentfilelist.h"
#include "apptestsupport.h"
#include "model/site.h"

using namespace Qt::StringLiterals;
using apptest::AppFixture;

namespace {

QStringList allPaths(const velmo::ExternalProgramSettings &programs)
{
    QStringList paths;
    for (const auto *list :
         {&programs.browserPaths, &programs.editorPaths, &programs.graphicsEditorPaths})
        for (const QString &path : *list)
            paths << path;
    return paths;
}

// Opens "ディレクトリ設定" from the menu and lets edit work on the dialog before pressing
// the button named finish.
void runPathDialog(AppFixture &f, const QString &finish,
                   const std::function<void(ProgramPathsDialog *)> &edit)
{
    bool seen = false;
    apptest::whenShown(u"pathSettingDialog"_s, [&](QWidget *window) {
        seen = true;
        auto *dialog = qobject_cast<ProgramPathsDialog *>(window);
        QVERIFY(dialog != nullptr);
        edit(dialog);
        QTest::mouseClick(dialog->findChild<QPushButton *>(finish), Qt::LeftButton);
    });
    f.frame()->pathSettingAction()->trigger();
    QVERIFY(seen);
}

} // namespace

class TestAppSettings : public QObject
{
    Q_OBJECT

public:
    static void initMain() { apptest::initMain(); }

private Q_SLOTS:
    void settingsFileIsInTheConfigurationFolder();
    void entriesMapToTheirFields_data();
    void entriesMapToTheirFields();
    void missingValuesReadEmpty();
    void startUpReadsStoredPrograms();
    void dialogShowsStoredValues();
    void dialogOkStoresEveryField();
    void dialogCancelChangesNothing();
    void browseReplacesOnlyWhenChosen();
    void recentListKeepsTenNewestFirst();
    void recentListRoundTrip();
    void recentMenuFollowsOpenedDocuments();
    void failingRecentEntryLeavesTheList();
    void qtSpeaksJapanese();
};

void TestAppSettings::settingsFileIsInTheConfigurationFolder()
{
    const std::unique_ptr<QSettings> settings = Application::createSettings();
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY(!config.isEmpty());
    QCOMPARE(QFileInfo(settings->fileName()).absoluteFilePath(),
             QDir(config).filePath(u"VELMO_V1.0/Velmo.ini"_s));

    velmo::ExternalProgramSettings programs;
    programs.browserPaths[1] = u"/opt/ブラウザ/bin/browser"_s;
    programs.graphicsEditorPaths[0] = u"/usr/bin/gimp"_s;
    writeExternalProgramSettings(*settings, programs);
    RecentFileList recent;
    recent.add(u"/tmp/文書.vlm"_s);
    recent.save(*settings);

    // A second store on the same file sees it all; the file uses the sections' own names.
    const std::unique_ptr<QSettings> again = Application::createSettings();
    QCOMPARE(allPaths(readExternalProgramSettings(*again)), allPaths(programs));
    RecentFileList reread;
    reread.load(*again);
    QCOMPARE(reread.files(), QStringList{u"/tmp/文書.vlm"_s});
    const QByteArray text = apptest::readAll(settings->fileName());
    for (const char *section :
         {"[BrowserPath]", "[EditorPath]", "[GraphicsEditorPath]", "[Recent%20File%20List]"})
        QVERIFY2(text.contains(section), section);
    QVERIFY(text.contains("File1="));
}

void TestAppSettings::entriesMapToTheirFields_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("index");

    // clang-format off
    QTest::newRow("browser 1")          << u"BrowserPath"_s        << u"Browser1"_s << 0 << 0;
    QTest::newRow("browser 2")          << u"BrowserPath"_s        << u"Browser2"_s << 0 << 1;
    QTest::newRow("browser 3")          << u"BrowserPath"_s        << u"Browser3"_s << 0 << 2;
    QTest::newRow("editor 1")           << u"EditorPath"_s         << u"Editor1"_s  << 1 << 0;
    QTest::newRow("editor 2")           << u"EditorPath"_s         << u"Editor2"_s  << 1 << 1;
    QTest::newRow("editor 3")           << u"EditorPath"_s         << u"Editor3"_s  << 1 << 2;
    QTest::newRow("graphics editor 1")  << u"GraphicsEditorPath"_s << u"Editor1"_s  << 2 << 0;
    // clang-format on
}

void TestAppSettings::entriesMapToTheirFields()
{
    QFETCH(QString, group);
    QFETCH(QString, key);
    QFETCH(int, list);
    QFETCH(int, index);

    QTemporaryDir dir;
    QSettings settings(dir.filePath(u"Velmo.ini"_s), QSettings::IniFormat);
    settings.setValue(group + u'/' + key, u"/usr/bin/program"_s);
    const velmo::ExternalProgramSettings programs = readExternalProgramSettings(settings);
    QStringList expected(9);
    expected[list * 3 + index] = u"/usr/bin/program"_s;
    QCOMPARE(allPaths(programs), expected);

    // Written back under the same key, and nowhere else.
    QSettings written(dir.filePath(u"Written.ini"_s), QSettings::IniFormat);
    writeExternalProgramSettings(written, programs);
    QCOMPARE(written.value(group + u'/' + key).toString(), u"/usr/bin/program"_s);
    QCOMPARE(written.allKeys().size(), ProgramPathsDialog::kRows);
}

void TestAppSettings::missingValuesReadEmpty()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(u"Velmo.ini"_s), QSettings::IniFormat);
    QCOMPARE(allPaths(readExternalProgramSettings(settings)), QStringList(9));
}

void TestAppSettings::startUpReadsStoredPrograms()
{
    AppFixture f;
    f.settings().setValue(u"EditorPath/Editor2"_s, u"/usr/bin/mousepad"_s);
    f.settings().setValue(u"GraphicsEditorPath/Editor2"_s, u"/never/read"_s);
    QVERIFY(f.start());
    QCOMPARE(f.global().externalPrograms.editorPaths[1], u"/usr/bin/mousepad"_s);
    // Only the first graphics editor is ever stored or read.
    QVERIFY(f.global().externalPrograms.graphicsEditorPaths[1].isEmpty());
}

void TestAppSettings::dialogShowsStoredValues()
{
    AppFixture f;
    QVERIFY(f.start());
    // The dialog reads the settings, not the paths in use.
    f.settings().setValue(u"BrowserPath/Browser3"_s, u"/usr/bin/firefox"_s);
    f.global().externalPrograms.browserPaths[2] = u"/in/memory/only"_s;

    QStringList labels;
    QString shown;
    QString caption;
    runPathDialog(f, u"cancelButton"_s, [&](ProgramPathsDialog *dialog) {
        caption = dialog->windowTitle();
        shown = dialog->findChild<QLineEdit *>(u"browser3Edit"_s)->text();
        for (const QString &name : {u"browser1"_s, u"browser2"_s, u"browser3"_s, u"editor1"_s,
                                    u"editor2"_s, u"editor3"_s, u"graphicsEditor1"_s})
            labels << dialog->findChild<QLabel *>(name + u"Label"_s)->text();
        QCOMPARE(dialog->findChildren<QPushButton *>().size(), ProgramPathsDialog::kRows + 2);
        QCOMPARE(dialog->findChild<QPushButton *>(u"editor2Browse"_s)->text(), u"．．．"_s);
    });
    QCOMPARE(caption, u"ディレクトリ設定"_s);
    QCOMPARE(shown, u"/usr/bin/firefox"_s);
    QCOMPARE(
        labels,
        QStringList({u"ブラウザアプリケーション １"_s, u"ブラウザアプリケーション ２"_s,
                     u"ブラウザアプリケーション ３"_s, u"テキスト エディタアプリケーション １"_s,
                     u"テキスト エディタアプリケーション ２"_s, u"エディタアプリケーション ３"_s,
                     u"グラフィックス エディタアプリケーション １"_s}));
}

void TestAppSettings::dialogOkStoresEveryField()
{
    AppFixture f;
    f.settings().setValue(u"BrowserPath/Browser1"_s, u"/usr/bin/chromium"_s);
    f.settings().setValue(u"EditorPath/Editor1"_s, u"/usr/bin/vi"_s);
    QVERIFY(f.start());

    runPathDialog(f, u"okButton"_s, [](ProgramPathsDialog *dialog) {
        dialog->findChild<QLineEdit *>(u"browser1Edit"_s)->clear();
        auto *graphics = dialog->findChild<QLineEdit *>(u"graphicsEditor1Edit"_s);
        QTest::keyClicks(graphics, u"/usr/bin/krita"_s);
    });

    // An emptied field is written as empty and reads back empty.
    QVERIFY(f.settings().contains(u"BrowserPath/Browser1"_s));
    QCOMPARE(f.settings().value(u"BrowserPath/Browser1"_s).toString(), QString());
    QCOMPARE(f.settings().value(u"GraphicsEditorPath/Editor1"_s).toString(), u"/usr/bin/krita"_s);
    QVERIFY(f.settings().contains(u"EditorPath/Editor3"_s));
    // And the paths are in use at once.
    const velmo::ExternalProgramSettings &inUse = f.global().externalPrograms;
    QVERIFY(inUse.browserPaths[0].isEmpty());
    QCOMPARE(inUse.editorPaths[0], u"/usr/bin/vi"_s);
    QCOMPARE(inUse.graphicsEditorPaths[0], u"/usr/bin/krita"_s);
    QVERIFY(inUse.graphicsEditorPaths[1].isEmpty() && inUse.graphicsEditorPaths[2].isEmpty());
}

void TestAppSettings::dialogCancelChangesNothing()
{
    AppFixture f;
    f.settings().setValue(u"EditorPath/Editor3"_s, u"/usr/bin/nano"_s);
    QVERIFY(f.start());
    f.settings().sync();
    const QByteArray before = apptest::readAll(f.settings().fileName());

    runPathDialog(f, u"cancelButton"_s, [](ProgramPathsDialog *dialog) {
        auto *editor = dialog->findChild<QLineEdit *>(u"editor3Edit"_s);
        editor->clear();
        QTest::keyClicks(editor, u"/somewhere/else"_s);
    });

    f.settings().sync();
    QCOMPARE(apptest::readAll(f.settings().fileName()), before);
    QCOMPARE(f.global().externalPrograms.editorPaths[2], u"/usr/bin/nano"_s);
}

void TestAppSettings::browseReplacesOnlyWhenChosen()
{
    AppFixture f;
    QVERIFY(f.start());
    ProgramPathsDialog dialog(f.settings(), f.fileDialogs());
    auto *editor = dialog.findChild<QLineEdit *>(u"editor1Edit"_s);
    auto *browse = dialog.findChild<QPushButton *>(u"editor1Browse"_s);
    editor->setText(u"/usr/local/bin/old-editor"_s);

    f.fileDialogs().queueFileName(u"/usr/bin/new-editor"_s);
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(editor->text(), u"/usr/bin/new-editor"_s);
    // The picker started in the folder of the path that was there.
    const FileDialogWrapper::Request request = f.fileDialogs().requests().constLast();
    QCOMPARE(request.mode, FileDialogWrapper::Mode::Open);
    QCOMPARE(request.directory, u"/usr/local/bin"_s);

    f.fileDialogs().queueFileName(QString());
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(editor->text(), u"/usr/bin/new-editor"_s);
    QCOMPARE(f.fileDialogs().requests().constLast().directory, u"/usr/bin"_s);
    QCOMPARE(dialog.programs().editorPaths[0], u"/usr/bin/new-editor"_s);
}

void TestAppSettings::recentListKeepsTenNewestFirst()
{
    RecentFileList list;
    for (int i = 1; i <= 12; ++i)
        list.add(u"/docs/site%1.vlm"_s.arg(i));
    QCOMPARE(list.files().size(), 10);
    QCOMPARE(list.files().first(), u"/docs/site12.vlm"_s);
    QCOMPARE(list.files().last(), u"/docs/site3.vlm"_s);

    // A file already listed moves up instead of repeating; its spelling does not matter.
    list.add(u"/docs/../docs/site5.vlm"_s);
    QCOMPARE(list.files().size(), 10);
    QCOMPARE(list.files().first(), u"/docs/site5.vlm"_s);
    QCOMPARE(list.files().count(u"/docs/site5.vlm"_s), 1);
    QCOMPARE(list.files().at(1), u"/docs/site12.vlm"_s);

    QCOMPARE(RecentFileList::menuText(0, u"/a/b.vlm"_s), u"&1 /a/b.vlm"_s);
    QCOMPARE(RecentFileList::menuText(9, u"/a/R&D.vlm"_s), u"1&0 /a/R&&D.vlm"_s);
}

void TestAppSettings::recentListRoundTrip()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(u"Velmo.ini"_s), QSettings::IniFormat);
    // A stale eleventh key and an empty entry, as an older or edited file may hold.
    settings.setValue(u"Recent File List/File1"_s, u"/docs/a.vlm"_s);
    settings.setValue(u"Recent File List/File2"_s, QString());
    settings.setValue(u"Recent File List/File3"_s, u"/docs/b.vlm"_s);
    settings.setValue(u"Recent File List/File11"_s, u"/docs/z.vlm"_s);

    RecentFileList list;
    list.load(settings);
    QCOMPARE(list.files(), QStringList({u"/docs/a.vlm"_s, u"/docs/b.vlm"_s}));

    list.add(u"/docs/c.vlm"_s);
    list.save(settings);
    settings.beginGroup(u"Recent File List"_s);
    QCOMPARE(settings.childKeys(), QStringList({u"File1"_s, u"File2"_s, u"File3"_s}));
    QCOMPARE(settings.value(u"File1"_s).toString(), u"/docs/c.vlm"_s);
    QCOMPARE(settings.value(u"File3"_s).toString(), u"/docs/b.vlm"_s);
    settings.endGroup();
}

void TestAppSettings::recentMenuFollowsOpenedDocuments()
{
    AppFixture f;
    QVERIFY(f.start());
    const QList<QAction *> entries = f.frame()->recentFileActions();
    QCOMPARE(entries.size(), 10);
    auto *placeholder = f.frame()->findChild<QAction *>(u"actionRecentFilePlaceholder"_s);
    QVERIFY(placeholder->isVisible());
    QCOMPARE(placeholder->text(), u"最近使ったファイル"_s);
    QVERIFY(!placeholder->isEnabled());

    // Untouched documents are replaced without a question.
    QStringList paths;
    for (int i = 0; i < 11; ++i) {
        paths.prepend(f.path(u"doc%1.vlm"_s.arg(i)));
        QVERIFY(QFile::copy(apptest::fixture(u"sample.vlm"_s), paths.first()));
        QCOMPARE(f.app().openDocumentFile(paths.first()), Application::OpenResult::Opened);
        QVERIFY(f.messageBoxes().shownTexts().isEmpty());
    }
    QVERIFY(!placeholder->isVisible());
    for (int i = 0; i < 10; ++i) {
        QVERIFY(entries.at(i)->isVisible());
        QCOMPARE(entries.at(i)->text(), RecentFileList::menuText(i, paths.at(i)));
    }
    // Kept in the settings at once.
    RecentFileList stored;
    stored.load(f.settings());
    QCOMPARE(stored.files(), paths.mid(0, 10));

    // Choosing an entry opens it and moves it to the top.
    entries.at(4)->trigger();
    QCOMPARE(f.doc().pathName(), paths.at(4));
    QCOMPARE(entries.at(0)->text(), RecentFileList::menuText(0, paths.at(4)));
}

void TestAppSettings::failingRecentEntryLeavesTheList()
{
    AppFixture f;
    const QString good = f.path(u"good.vlm"_s);
    const QString gone = f.path(u"gone.vlm"_s);
    QVERIFY(QFile::copy(apptest::fixture(u"sample.vlm"_s), good));
    QVERIFY(QFile::copy(apptest::fixture(u"sample.vlm"_s), gone));
    QVERIFY(f.start(gone));
    QCOMPARE(f.app().openDocumentFile(good), Application::OpenResult::Opened);
    QCOMPARE(f.app().recentFiles().files(), QStringList({good, gone}));
    QVERIFY(QFile::remove(gone));

    // The edited document is asked about first; the missing file is then reported once.
    f.app().controller().renameObject(f.global().sites.first(), u"編集中"_s);
    f.messageBoxes().clearShownTexts();
    f.messageBoxes().queueAnswer(QMessageBox::No);
    f.frame()->recentFileActions().at(1)->trigger();
    const QStringList shown = f.messageBoxes().shownTexts();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.first(), u"%1 への変更を保存しますか？"_s.arg(good));
    QVERIFY2(shown.last().contains(gone), qPrintable(shown.last()));
    QCOMPARE(f.doc().pathName(), good);
    QVERIFY(f.doc().isModified());
    QCOMPARE(f.app().recentFiles().files(), QStringList{good});
    QVERIFY(!f.frame()->recentFileActions().at(1)->isVisible());

    // Cancelling the save question is no failure: the entry stays.
    QVERIFY(QFile::copy(apptest::fixture(u"sample.vlm"_s), gone));
    f.app().recentFiles().add(gone);
    f.messageBoxes().queueAnswer(QMessageBox::Cancel);
    QCOMPARE(f.app().onOpenRecentFile(0), Application::OpenResult::Cancelled);
    QCOMPARE(f.app().recentFiles().files().first(), gone);
    QCOMPARE(f.doc().pathName(), good);
}

void TestAppSettings::qtSpeaksJapanese()
{
    QVERIFY(Application::installQtTranslations(*QCoreApplication::instance()));
    QMessageBox box(QMessageBox::Question, u"Velmo"_s, u"?"_s, QMessageBox::Yes | QMessageBox::No);
    QVERIFY2(box.button(QMessageBox::Yes)->text().contains(u"はい"_s),
             qPrintable(box.button(QMessageBox::Yes)->text()));
}

QTEST_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
