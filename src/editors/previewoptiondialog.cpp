// PreviewOptionDialog: the on/off list over a copy of the document's preview areas.
#include "editors/previewoptiondialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/okcancelbuttons.h"
#include "editors/onofflist.h"
#include "generator/previewareas.h"
#include "model/document.h"
#include "model/documentwriter.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

PreviewOptionDialog::PreviewOptionDialog(DocumentWriter &writer, QWidget *parent)
    : QDialog(parent), m_writer(writer), m_document(writer.document())
{
    setObjectName(u"previewOptionDialog"_s);
    setWindowTitle(u"プレビューオプション設定"_s);

    m_list = new OnOffList(this);

    QDialogButtonBox *buttons = makeOkCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    setMinimumSize(460, 420);

    gen::PreviewAreas::collectMarkers(m_document);
    m_list->setAreas(m_document.previewAreas);
}

void PreviewOptionDialog::accept()
{
    const QList<PreviewArea> &edited = m_list->areas();
    QList<PreviewArea> areas = m_document.previewAreas;
    const qsizetype count = std::min(edited.size(), areas.size());
    for (qsizetype i = 0; i < count; ++i)
        areas[i].on = edited.at(i).on;
    // One step of the history, which the preview options share with the document's edits.
    m_writer.setPreviewAreas(areas);
    QDialog::accept();
}

} // namespace velmo::ui
