// TemplateCombo, the template choice of the page and content-group forms: the template files of
// the object's site by name, with the object's own selected.
#pragma once

#include <QComboBox>

namespace velmo {
class Object;
}

namespace velmo::ui {

class TemplateCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit TemplateCombo(QWidget *parent = nullptr);

    // Lists the templates object can choose from and selects its own. Returns the name object
    // is to take: its own, or the first file when its own is missing; empty without files,
    // when the object's template stays as it is. With mayStayEmpty (plug-in pages, which an
    // empty template keeps out of every page) no template is a choice too, and a template
    // that is missing stays as it is.
    QString fill(const velmo::Object *object, const QString &current, bool mayStayEmpty = false);
    // The template name of entry index.
    QString templateAt(int index) const { return itemData(index).toString(); }
};

} // namespace velmo::ui
