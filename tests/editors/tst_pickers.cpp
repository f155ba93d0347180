// The small pickers driven through their real widgets: the text input dialog.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "editors/stringinputdialog.h"

using namespace Qt::StringLiterals;

class TestPickers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stringInputReturnsTypedTextOnlyOnOk();
};

void TestPickers::stringInputReturnsTypedTextOnlyOnOk()
{
    for (const bool ok : {true, false}) {
        velmo::ui::StringInputDialog dialog;
        dialog.setTitle(u"サイト名"_s);
        dialog.setPrompt(u"サイトの名前を入力してください。"_s);
        dialog.setText(u"旧名"_s);
        QTimer::singleShot(0, &dialog, [&] {
            auto *edit = dialog.findChild<QLineEdit *>(u"textEdit"_s);
            QCOMPARE(edit->text(), u"旧名"_s);
            QCOMPARE(dialog.findChild<QPlainTextEdit *>(u"promptText"_s)->toPlainText(),
                     u"サイトの名前を入力してください。"_s);
            edit->clear();
            QTest::keyClicks(edit, u"new site"_s);
            QTest::mouseClick(
                dialog.findChild<QPushButton *>(ok ? u"okButton"_s : u"cancelButton"_s),
                Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), ok ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(dialog.windowTitle(), u"サイト名"_s);
        QCOMPARE(dialog.text(), ok ? u"new site"_s : u"旧名"_s);
    }
}

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
