// The template choice of the page and content-group forms.
#include "editors/templatecombo.h"

#include "model/templatefiles.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

TemplateCombo::TemplateCombo(QWidget *parent) : QComboBox(parent)
{
    // Template names can be long; the form, not the longest name, decides the width.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
}

QString TemplateCombo::fill(const velmo::Object *object, const QString &current, bool mayStayEmpty)
{
    const QSignalBlocker blocker(this);
    QStringList choices = velmo::TemplateFiles::choicesFor(object);
    clear();
    QString chosen = velmo::TemplateFiles::choose(choices, current);
    if (mayStayEmpty) {
        addItem(u"（なし）"_s, QString());
        if (!current.isEmpty() && !choices.contains(current))
            choices.append(current);
        chosen = current;
    }
    for (const QString &name : std::as_const(choices))
        addItem(name, name);
    setCurrentIndex(findData(chosen));
    return chosen;
}

} // namespace velmo::ui
