// The shared part of the property forms.
#include "editors/propertyform.h"

#include <utility>

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/documentcontroller.h"
#include "model/document.h"
#include "model/object.h"

namespace velmo::ui {

PropertyForm::PropertyForm(DocumentController &controller, QWidget *parent)
    : QWidget(parent), m_controller(controller)
{
    connect(&controller.document(), &velmo::Document::objectChanged, this,
            &PropertyForm::onObjectChanged);
}

void PropertyForm::onObjectChanged(velmo::Object *object)
{
    // A change the form's own filling caused needs no second filling.
    if (!m_loading && object == m_object.get())
        reload();
}

void PropertyForm::setObject(velmo::Object *object)
{
    m_object = velmo::ObjectRef(object);
    reload();
    // A hidden form is shown next; that showing need not fill it a second time.
    m_skipShowLoad = isHidden();
}

void PropertyForm::reload()
{
    m_loading = true;
    load(m_object.get());
    m_loading = false;
}

void PropertyForm::editName()
{
    if (m_nameEdit == nullptr || !m_nameEdit->isEnabled())
        return;
    m_nameEdit->setFocus(Qt::ShortcutFocusReason);
    m_nameEdit->selectAll();
}

void PropertyForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // What another form or a command changed meanwhile shows when the form comes back.
    if (!std::exchange(m_skipShowLoad, false))
        reload();
}

QLineEdit *PropertyForm::makeLineEdit(const QString &name, velmo::Field field)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(name);
    watchEdit(edit);
    // What the box holds now, not the signal's text: a handler of textEdited may have changed
    // the text (folder names are lower-cased), and the box then still reports the typed one.
    connect(edit, &QLineEdit::textChanged, this, [this, field, edit] {
        if (!m_loading)
            m_controller.setField(m_object.get(), field, edit->text());
    });
    return edit;
}

QPlainTextEdit *PropertyForm::makeTextEdit(const QString &name, velmo::Field field)
{
    auto *edit = new QPlainTextEdit(this);
    edit->setObjectName(name);
    edit->setTabChangesFocus(true);
    watchEdit(edit);
    connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, field] {
        // Stored with the "\r\n" line breaks the document's texts have always had.
        if (!m_loading)
            m_controller.setField(m_object.get(), field,
                                  edit->toPlainText().replace(u'\n', QStringLiteral("\r\n")));
    });
    return edit;
}

void PropertyForm::watchEdit(QWidget *edit)
{
    edit->installEventFilter(this);
}

bool PropertyForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusOut:
        m_controller.endTyping();
        break;
    case QEvent::ShortcutOverride: {
        // Left unclaimed, the keys reach the window's 元に戻す and やり直し: the box's own undo
        // would only add another step of typing.
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeyCombination combination = key->keyCombination();
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Y))
            return true;
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void PropertyForm::setText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void PropertyForm::setText(QPlainTextEdit *edit, const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (edit->toPlainText() != shown)
        edit->setPlainText(shown);
}

} // namespace velmo::ui
