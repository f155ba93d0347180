// PreviewOptionDialog ("プレビューオプション設定"): switches the optional template areas of
// previews on or off.
#pragma once

#include <QDialog>

namespace velmo {
class Document;
}

namespace velmo::ui {

class OnOffList;

class PreviewOptionDialog : public QDialog
{
    Q_OBJECT

public:
    // Scans the current site's page templates for areas at once, so the list is complete
    // when the dialog shows. The document must outlive the dialog.
    explicit PreviewOptionDialog(Document &document, QWidget *parent = nullptr);

    // Writes the switches into the document; closing any other way leaves it as it was.
    void accept() override;

private:
    Document &m_document;
    OnOffList *m_list = nullptr;
};

} // namespace velmo::ui
