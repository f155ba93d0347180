// The shared part of the property forms.
#include "editors/propertyform.h"

#include <utility>

#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/documentcontroller.h"
#include "model/document.h"

namespace velmo::ui {

PropertyForm::PropertyForm(DocumentController &controller, QWidget *parent)
    : QWidget(parent), m_controller(controller)
{}

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
    velmo::Object *target = m_object.get();
    // A reference outlives a move between documents only in theory; the document must own it.
    if (target != nullptr && !m_controller.document().owns(target)) {
        m_object.reset();
        target = nullptr;
    }
    load(target);
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

QLineEdit *PropertyForm::makeLineEdit(const QString &name,
                                      std::function<void(const QString &)> store)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(name);
    connect(edit, &QLineEdit::textChanged, this, [this, store](const QString &text) {
        if (!m_loading) {
            store(text);
            m_controller.noteEdit();
        }
    });
    return edit;
}

QPlainTextEdit *PropertyForm::makeTextEdit(const QString &name,
                                           std::function<void(const QString &)> store)
{
    auto *edit = new QPlainTextEdit(this);
    edit->setObjectName(name);
    edit->setTabChangesFocus(true);
    connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, store] {
        // Stored with the "\r\n" line breaks the document's texts have always had.
        if (!m_loading) {
            store(edit->toPlainText().replace(u'\n', QStringLiteral("\r\n")));
            m_controller.noteEdit();
        }
    });
    return edit;
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
