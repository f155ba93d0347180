// The template choice of the page and content-group forms.
#include "editors/templatecombo.h"

#include "model/templatefiles.h"

namespace velmo::ui {

TemplateCombo::TemplateCombo(QWidget *parent) : QComboBox(parent)
{
    // Template names can be long; the form, not the longest name, decides the width.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
}

QString TemplateCombo::fill(const velmo::Object *object, const QString &current)
{
    const QSignalBlocker blocker(this);
    const QStringList choices = velmo::TemplateFiles::choicesFor(object);
    clear();
    addItems(choices);
    const QString chosen = velmo::TemplateFiles::choose(choices, current);
    setCurrentIndex(choices.indexOf(chosen));
    return chosen;
}

} // namespace velmo::ui
