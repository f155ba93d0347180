// The content editor on a small site: typing and buttons reach the content with "\r\n" kept,
// undo takes back a whole insertion, images come from the real selection dialog, and the
// preview follows "更新" and pauses in typing.
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/documentcontroller.h"
#include "app/filedialogwrapper.h"
#include "app/messageboxwrapper.h"
#include "editors/contenteditform.h"
#include "editors/contenttextedit.h"
#include "editors/imageselectdialog.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/page.h"
#include "navtestsupport.h"
#include "recordingreporter.h"

using namespace Qt::StringLiterals;
using velmo::ui::ContentEditForm;
using velmo::ui::ContentTextEdit;

namespace {

// Calls handler with the modal dialog once one is up and handler accepts it (returns true);
// polled, as the dialog runs its own event loop inside the click that opens it.
void answerModal(std::function<bool(QWidget *)> handler)
{
    auto *timer = new QTimer;
    const QDeadlineTimer deadline(5000);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (deadline.hasExpired()) {
            // Closed unanswered, so that a failing test does not hang in the dialog's loop.
            if (auto *modal = qobject_cast<QDialog *>(dialog))
                modal->reject();
        }
        if ((dialog != nullptr && handler(dialog)) || deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

} // namespace

class TestContentEditForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void typingStoresTheTextWithCrLf();
    void otherGroupKindsLeaveTheBoxReadOnly();
    void oneUndoTakesBackAButton();
    void undoLeavesTheCaretWhereTheChangeWas();
    void imageFragments_data();
    void imageFragments();
    void updateShowsThePageAtTheContent();
    void livePreviewFollowsAPause();
    void aDeletedContentMakesTypingHarmless();

private:
    QPushButton *button(const QString &name) const
    {
        auto *found = m_form->findChild<QPushButton *>(name);
        if (found == nullptr)
            qFatal("no button %s", qPrintable(name));
        return found;
    }
    void click(const QString &name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    QTemporaryDir m_cache;
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<velmo::Document> m_document;
    RecordingReporter m_reporter;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<DocumentController> m_controller;
    MessageBoxWrapper m_messages;
    FileDialogWrapper m_files;
    std::unique_ptr<ContentEditForm> m_form;
    navtest::SampleSite m_site;
    velmo::Content *m_content = nullptr;
    ContentTextEdit *m_edit = nullptr;
};

void TestContentEditForm::initTestCase()
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
    m_messages.setInteractive(false);
    m_files.setInteractive(false);
}

void TestContentEditForm::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    m_document = std::make_unique<velmo::Document>(m_root->path());
    m_document->setReporter(&m_reporter);
    const QString templates = m_root->filePath(u"tpl"_s);
    navtest::writeTemplate(templates);
    m_site = navtest::makeSampleSite(*m_document, templates);
    // A new group comes with its first content.
    m_content = m_site.news1Body->contents.at(0);
    m_content->value = u"first\r\nsecond"_s;
    m_settings =
        std::make_unique<QSettings>(m_root->filePath(u"Velmo.ini"_s), QSettings::IniFormat);
    m_controller = std::make_unique<DocumentController>(*m_document);
    QCOMPARE(m_controller->adoptCurrentSite(0), 0);
    m_form = std::make_unique<ContentEditForm>(*m_controller, m_messages, m_files, *m_settings);
    m_form->resize(510, 340);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_edit = m_form->textEdit();
    m_form->setObject(m_site.news1Body);
}

void TestContentEditForm::cleanup()
{
    m_form.reset();
    m_controller.reset();
    m_document.reset();
}

void TestContentEditForm::typingStoresTheTextWithCrLf()
{
    QCOMPARE(m_edit->toPlainText(), u"first\nsecond"_s);
    m_edit->moveCursor(QTextCursor::End);
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClicks(m_edit, u"third"_s);
    QCOMPARE(m_content->value, u"first\r\nsecond\r\nthird"_s);

    // Loading writes nothing back, even when the value holds lone line feeds, nor does the
    // colouring that follows it.
    m_controller->setField(m_content, velmo::Field::Value, u"a\n<b>b</b>"_s);
    m_controller->endTyping();
    const int steps = m_controller->history().count();
    m_form->setObject(m_content);
    QTest::qWait(50);
    QCOMPARE(m_content->value, u"a\n<b>b</b>"_s);
    QCOMPARE(m_controller->history().count(), steps);
    QCOMPARE(m_edit->toPlainText(), u"a\n<b>b</b>"_s);
}

void TestContentEditForm::otherGroupKindsLeaveTheBoxReadOnly()
{
    m_site.news1Body->kind = velmo::ContentGroup::kKindOther;
    m_form->setObject(m_site.news1Body);
    QVERIFY(m_edit->isReadOnly());
    QVERIFY(m_edit->toPlainText().isEmpty());
    QTest::keyClicks(m_edit, u"lost"_s);
    QVERIFY(m_edit->toPlainText().isEmpty());
    QVERIFY(!button(u"pButton"_s)->isEnabled());
    QCOMPARE(m_content->value, u"first\r\nsecond"_s);
}

void TestContentEditForm::oneUndoTakesBackAButton()
{
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(0);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
    click(u"ulButton"_s);
    QCOMPARE(m_content->value, u"<ul>\r\n<li>first</li>\r\n<li>second</li>\r\n</ul>\r\n"_s);
    QVERIFY(m_edit->hasFocus());

    QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_edit->toPlainText(), u"first\nsecond"_s);
    QCOMPARE(m_content->value, u"first\r\nsecond"_s);
}

void TestContentEditForm::undoLeavesTheCaretWhereTheChangeWas()
{
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(5);
    m_edit->setTextCursor(cursor);
    // Nothing selected: the caret goes between the tags, where the text is typed.
    click(u"emButton"_s);
    QCOMPARE(m_edit->toPlainText(), u"first<em></em>\nsecond"_s);
    QCOMPARE(m_edit->textCursor().position(), 9);

    // Undone in the box, the next letter lands where the tags were.
    QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClicks(m_edit, u"x"_s);
    QCOMPARE(m_content->value, u"firstx\r\nsecond"_s);
    // Undone through the document's history (the 編集 menu), likewise.
    m_controller->endTyping();
    m_controller->undo();
    QCOMPARE(m_edit->toPlainText(), u"first\nsecond"_s);
    QTest::keyClicks(m_edit, u"y"_s);
    QCOMPARE(m_content->value, u"firsty\r\nsecond"_s);
}

void TestContentEditForm::imageFragments_data()
{
    QTest::addColumn<QString>("insertButton");
    QTest::addColumn<QString>("fragment");
    // clang-format off
    QTest::newRow("image")
        << u"insertImageButton"_s
        << u"<img src=\"_image(/pic.png,40,30)\" width=\"40\" height=\"30\" alt=\"cup\">\r\n"_s;
    QTest::newRow("image link keeps the address's case")
        << u"insertImageLinkButton"_s
        << u"<a href=\"https://Example.org/Big.HTML\" target=\"_blank\">\r\n"
           u"<img src=\"_image(/pic.png,40,30)\" width=\"40\" height=\"30\" alt=\"cup\">\r\n</a>\r\n"_s;
    QTest::newRow("thumbnail link")
        << u"insertThumbnailLinkButton"_s
        << u"<a href=\"_image(/pic.png,0,0)\" target=\"_blank\">\r\n"
           u"<img src=\"_image(/pic.png,40,30)\" width=\"40\" height=\"30\" alt=\"cup\">\r\n</a>\r\n"_s;
    // clang-format on
}

void TestContentEditForm::imageFragments()
{
    QFETCH(QString, insertButton);
    QFETCH(QString, fragment);
    const QString folder = m_controller->userImageFolder();
    QVERIFY(QDir().mkpath(folder));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(folder + u"/Pic.PNG"_s, "PNG"));
    m_controller->setField(m_content, velmo::Field::Value, QString());
    m_form->setObject(m_content);

    bool answered = false;
    answerModal([&](QWidget *dialog) {
        auto *select = qobject_cast<velmo::ui::ImageSelectDialog *>(dialog);
        if (select == nullptr ||
            select->findChild<QLineEdit *>(u"selectedImageEdit"_s)->text().isEmpty())
            return false;
        QTest::keyClicks(select->findChild<QLineEdit *>(u"urlEdit"_s),
                         u"https://Example.org/Big.HTML"_s);
        QTest::keyClicks(select->findChild<QLineEdit *>(u"altEdit"_s), u"cup"_s);
        QTest::mouseClick(select->findChild<QPushButton *>(insertButton), Qt::LeftButton);
        answered = true;
        return true;
    });
    click(u"imageButton"_s);
    QVERIFY(answered);
    QCOMPARE(m_content->value, fragment);
}

void TestContentEditForm::updateShowsThePageAtTheContent()
{
    QSignalSpy shown(m_controller.get(), &DocumentController::pagePreviewRequested);
    click(u"updateButton"_s);
    QCOMPARE(shown.count(), 1);
    QVERIFY(QFileInfo::exists(shown.at(0).at(0).toString()));
    QCOMPARE(shown.at(0).at(1).toString(), u"本文"_s);
    QCOMPARE(shown.at(0).at(2).toBool(), false);
}

void TestContentEditForm::livePreviewFollowsAPause()
{
    QSignalSpy shown(m_controller.get(), &DocumentController::pagePreviewRequested);
    QTest::keyClicks(m_edit, u"abc"_s);
    QCOMPARE(shown.count(), 0);
    QTRY_COMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(2).toBool(), true);
    QTest::qWait(2 * ContentEditForm::kLivePreviewDelayMs);
    QCOMPARE(shown.count(), 1);

    auto *autoPreview = m_form->findChild<QCheckBox *>(u"autoPreviewCheck"_s);
    QTest::mouseClick(autoPreview, Qt::LeftButton, {}, QPoint(4, autoPreview->height() / 2));
    QVERIFY(!autoPreview->isChecked());
    QCOMPARE(m_settings->value(ContentEditForm::autoPreviewKey()).toBool(), false);
    QTest::keyClicks(m_edit, u"def"_s);
    QTest::qWait(2 * ContentEditForm::kLivePreviewDelayMs);
    QCOMPARE(shown.count(), 1);
    QVERIFY(m_content->value.startsWith(u"abcdef"_s));
}

void TestContentEditForm::aDeletedContentMakesTypingHarmless()
{
    QSignalSpy shown(m_controller.get(), &DocumentController::pagePreviewRequested);
    QTest::keyClicks(m_edit, u"x"_s);
    // The group leaves the document, and is destroyed with the history that kept it.
    QVERIFY(m_controller->writer().deleteToStorage(m_site.news1Body));
    QVERIFY(m_controller->writer().emptyStorage(m_site.site) > 0);
    m_controller->history().clear();
    QTest::keyClicks(m_edit, u"yz"_s);
    click(u"pButton"_s);
    click(u"updateButton"_s);
    QTest::qWait(2 * ContentEditForm::kLivePreviewDelayMs);
    QCOMPARE(shown.count(), 0);
    QVERIFY(m_edit->isReadOnly());
    QCOMPARE(m_form->content(), nullptr);
}

QTEST_MAIN(TestContentEditForm)
#include "tst_contenteditform.moc"
