// The small pickers and controls driven through their real widgets: text input, web colour,
// list style, preview on/off switches and the object list.
#include <memory>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "editors/objectlistview.h"
#include "editors/onofflist.h"
#include "editors/previewoptiondialog.h"
#include "editors/selectolstyledialog.h"
#include "editors/stringinputdialog.h"
#include "editors/webcolorpalette.h"
#include "editors/webcolorselectdialog.h"
#include "editors/webcolortable.h"
#include "model/document.h"
#include "model/documentwriter.h"
#include "model/site.h"
#include "model/undohistory.h"
#include "recordingreporter.h"
#include "textfiles.h"

using namespace Qt::StringLiterals;

namespace {

// Runs drive once the dialog is up; the dialog is closed even when a check in drive fails,
// so a failure cannot leave exec() waiting.
template<class Drive>
int execDriven(QDialog &dialog, Drive drive)
{
    QTimer::singleShot(0, &dialog, [&dialog, drive] {
        const auto close = qScopeGuard([&dialog] {
            if (dialog.isVisible())
                dialog.done(-1);
        });
        drive();
    });
    return dialog.exec();
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stringInputReturnsTypedTextOnlyOnOk();
    void webColorTableTexts();
    void webColorDialogShowsHoveredAndReturnsItOnClick();
    void olStyleButtonsReturnTheirDeclaration();
    void previewOptionsScrollAndWriteBackOnlyOnOk();
    void objectListReportsEachObjectOnce();
};

void TestPickers::stringInputReturnsTypedTextOnlyOnOk()
{
    for (const bool ok : {true, false}) {
        velmo::ui::StringInputDialog dialog;
        dialog.setTitle(u"サイト名"_s);
        dialog.setPrompt(u"サイトの名前を入力してください。"_s);
        dialog.setText(u"旧名"_s);
        const int code = execDriven(dialog, [&] {
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
        QCOMPARE(code, ok ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(dialog.windowTitle(), u"サイト名"_s);
        QCOMPARE(dialog.text(), ok ? u"new site"_s : u"旧名"_s);
    }
}

void TestPickers::webColorTableTexts()
{
    using velmo::ui::webColorText;
    QCOMPARE(webColorText(6), u"#ff0000"_s);
    QCOMPARE(webColorText(11), u"#0000ff"_s);
    // Row 2, column 13: red one step, green two, blue one.
    QCOMPARE(webColorText(2 * 36 + 13), u"#336633"_s);
    QCOMPARE(webColorText(-1), QString());
    QCOMPARE(webColorText(252), QString());
}

void TestPickers::webColorDialogShowsHoveredAndReturnsItOnClick()
{
    for (const bool hoverFirst : {false, true}) {
        velmo::ui::WebColorSelectDialog dialog;
        const int code = execDriven(dialog, [&] {
            auto *palette = dialog.findChild<velmo::ui::WebColorPalette *>(u"colorPalette"_s);
            auto *edit = dialog.findChild<QLineEdit *>(u"colorEdit"_s);
            const int w = palette->width() / 36;
            const int h = palette->height() / 7;
            const auto centre = [&](int row, int column) {
                return QPoint(column * w + w / 2, row * h + h / 2);
            };
            if (hoverFirst) {
                struct Case
                {
                    int row, column;
                    QString text;
                };
                for (const Case &c : {Case{0, 0, u"#000000"_s}, Case{0, 4, u"#ffffff"_s},
                                      Case{0, 35, u"#000000"_s}, Case{6, 35, u"#ffffff"_s}}) {
                    QTest::mouseMove(palette, centre(c.row, c.column));
                    QTRY_COMPARE(palette->hoveredIndex(), c.row * 36 + c.column);
                    QCOMPARE(edit->text(), c.text);
                }
            }
            QTest::mouseClick(palette, Qt::LeftButton, {}, centre(3, 3));
        });
        QCOMPARE(code, QDialog::Accepted);
        QCOMPARE(dialog.result(), hoverFirst ? u"#ffffff"_s : QString());
    }

    velmo::ui::WebColorSelectDialog dialog;
    const int code = execDriven(dialog, [&] {
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"cancelButton"_s), Qt::LeftButton);
    });
    QCOMPARE(code, QDialog::Rejected);
}

void TestPickers::olStyleButtonsReturnTheirDeclaration()
{
    struct Case
    {
        QString button, label, result;
    };
    // clang-format off
    const Case cases[] = {
        {u"noStyleButton"_s,            u"指定無し"_s, QString()},
        {u"discButton"_s,               u"●"_s,        u"list-style-type: disc"_s},
        {u"upperRomanButton"_s,         u"Ⅰ Ⅱ Ⅲ"_s,    u"list-style-type: upper-roman"_s},
        {u"decimalLeadingZeroButton"_s, u"0 1 2 3"_s,  u"list-style-type: decimal-leading-zero"_s},
    };
    // clang-format on
    for (const Case &c : cases) {
        velmo::ui::SelectOlStyleDialog dialog;
        QCOMPARE(dialog.findChildren<QPushButton *>().size(), 11);
        auto *button = dialog.findChild<QPushButton *>(c.button);
        QVERIFY2(button != nullptr, qPrintable(c.button));
        QCOMPARE(button->text(), c.label);
        const int code = execDriven(dialog, [&] { QTest::mouseClick(button, Qt::LeftButton); });
        QCOMPARE(code, QDialog::Accepted);
        QCOMPARE(dialog.result(), c.result);
    }
}

void TestPickers::previewOptionsScrollAndWriteBackOnlyOnOk()
{
    QTemporaryDir dir;
    RecordingReporter reporter;
    velmo::Document document(dir.path());
    document.setReporter(&reporter);
    velmo::Site *site = document.createSite();
    site->templatePath = dir.path() + u"/template"_s;
    QCOMPARE(document.setCurrentSite(site), 1);
    QString page;
    for (int i = 0; i < 25; ++i)
        page += u"<p><!--__項目%1__--></p>\n"_s.arg(i, 2, 10, QChar(u'0'));
    writeFile(site->templatePath + u"/ページテンプレート/index.html"_s, page);

    const auto row = [](QDialog &dialog, int k) {
        return dialog.findChild<QWidget *>(u"row%1"_s.arg(k));
    };
    velmo::UndoHistory history;
    velmo::DocumentWriter writer(document, history);
    for (const bool ok : {false, true}) {
        velmo::ui::PreviewOptionDialog dialog(writer);
        QCOMPARE(dialog.windowTitle(), u"プレビューオプション設定"_s);
        const int code = execDriven(dialog, [&] {
            auto *bar = dialog.findChild<QScrollBar *>(u"scrollBar"_s);
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), 25);
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            QCOMPARE(bar->value(), 4);
            QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(dialog.findChild<QWidget *>(u"onOffList"_s), &wheel);
            QCOMPARE(bar->value(), 5);
            QCOMPARE(row(dialog, 0)->findChild<QLabel *>(u"nameLabel"_s)->text(),
                     u"<!--__項目05__-->(*)"_s);

            // Row 2 shows area 7: OFF. Row 3: a click in the gap between its buttons.
            auto *off = row(dialog, 2)->findChild<QPushButton *>(u"offButton"_s);
            QTest::mouseClick(off, Qt::LeftButton);
            QVERIFY(off->isChecked());
            QVERIFY(!row(dialog, 2)->findChild<QPushButton *>(u"onButton"_s)->isChecked());
            QWidget *gapRow = row(dialog, 3);
            const QRect on = gapRow->findChild<QPushButton *>(u"onButton"_s)->geometry();
            const QRect offRect = gapRow->findChild<QPushButton *>(u"offButton"_s)->geometry();
            QVERIFY(offRect.left() - on.right() > 1);
            QTest::mouseClick(gapRow, Qt::LeftButton, {},
                              QPoint((on.right() + offRect.left()) / 2, on.center().y()));
            // Scrolled past the end only empty rows remain, with nothing to click.
            bar->setValue(25);
            QVERIFY(row(dialog, 0)->findChild<QPushButton *>(u"onButton"_s)->isHidden());
            QTest::mouseClick(
                dialog.findChild<QPushButton *>(ok ? u"okButton"_s : u"cancelButton"_s),
                Qt::LeftButton);
        });
        QCOMPARE(code, ok ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(document.previewAreas.size(), 25);
        for (int i = 0; i < 25; ++i)
            QCOMPARE(document.previewAreas.at(i).on, ok && i == 7 ? 0 : 1);
        // OK is a step that undo takes back; the file holds no preview options.
        QCOMPARE(history.count(), ok ? 1 : 0);
        QVERIFY(history.isClean());
    }
    QVERIFY(reporter.messages.isEmpty());
}

void TestPickers::objectListReportsEachObjectOnce()
{
    std::vector<std::unique_ptr<velmo::Object>> objects;
    velmo::ui::ObjectListView view;
    view.setHeaderLabels({u"名前"_s});
    for (int i = 0; i < 4; ++i) {
        objects.push_back(std::make_unique<velmo::Object>());
        view.addObjectRow(objects.back().get(), {u"オブジェクト%1"_s.arg(i)});
    }
    QList<velmo::Object *> reported;
    connect(&view, &velmo::ui::ObjectListView::objectSelected, &view,
            [&](velmo::Object *object) { reported.append(object); });
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const auto click = [&](int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers,
                          view.visualItemRect(view.topLevelItem(row)).center());
    };
    const auto selectedRows = [&] {
        QList<int> rows;
        for (int row = 0; row < view.topLevelItemCount(); ++row) {
            if (view.topLevelItem(row)->isSelected())
                rows << row;
        }
        return rows;
    };

    click(1);
    QCOMPARE(selectedRows(), QList<int>{1});
    QVERIFY(reported.isEmpty()); // posted, not sent from inside the selection change
    QTRY_COMPARE(reported, (QList<velmo::Object *>{objects[1].get()}));

    // Adding a row below keeps row 1 the first selected one: no second report.
    click(2, Qt::ControlModifier);
    QCOMPARE(selectedRows(), (QList<int>{1, 2}));
    click(1, Qt::ControlModifier);
    QCOMPARE(selectedRows(), QList<int>{2});
    QTRY_COMPARE(reported.size(), 2);
    QCOMPARE(reported.last(), objects[2].get());

    // An object destroyed before the report arrives is not reported.
    click(3);
    objects[3].reset();
    QTest::qWait(20);
    QCOMPARE(reported.size(), 2);
    QCOMPARE(view.objectAt(3), nullptr);
}

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
