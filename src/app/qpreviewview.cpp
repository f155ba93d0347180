// The preview pane and the preview request.
#include "app/qpreviewview.h"

#include "app/qiepreviewdialog.h"
#include "model/qglobal.h"

#include <QMetaObject>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

QPreviewView::QPreviewView(velmo::QGlobal &global, QWidget *parent)
    : QFrame(parent), m_global(global)
{
    setObjectName(u"previewView"_s);
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

QIEPreviewDialog *QPreviewView::previewDialog() const
{
    return m_preview.data();
}

void QPreviewView::onInitialUpdate()
{
    if (m_preview.isNull()) {
        m_preview = new QIEPreviewDialog(m_global, this);
        layout()->addWidget(m_preview);
        m_preview->show();
    }
    m_preview->goHome();
}

void QPreviewView::onPreviewNavigate()
{
    if (!m_preview.isNull())
        m_preview->navigate(m_global.previewAddress);
}

int showInPreview(velmo::QGlobal &global, QPreviewView *pane, const QString &address)
{
    global.previewAddress = address;
    if (pane != nullptr)
        QMetaObject::invokeMethod(pane, &QPreviewView::onPreviewNavigate, Qt::QueuedConnection);
    return 1;
}
