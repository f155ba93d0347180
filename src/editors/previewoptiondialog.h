// PreviewOptionDialog ("プレビューオプション設定"): switches the optional template areas of
// previews on or off.
#pragma once

#include <QDialog>

namespace velmo {
class Document;
class DocumentWriter;
} // namespace velmo

namespace velmo::ui {

class OnOffList;

class PreviewOptionDialog : public QDialog
{
    Q_OBJECT

public:
    // Scans the current site's page templates for areas at once, so the list is complete
    // when the dialog shows. The writer's document must outlive the dialog.
    explicit PreviewOptionDialog(DocumentWriter &writer, QWidget *parent = nullptr);

    // Writes the switches through the writer; closing any other way leaves them as they were.
    void accept() override;

private:
    DocumentWriter &m_writer;
    Document &m_document;
    OnOffList *m_list = nullptr;
};

} // namespace velmo::ui
