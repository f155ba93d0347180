// The preview pane and the preview request.
#include "app/previewpane.h"

#include <QMetaObject>
#include <QUrl>
#include <QVBoxLayout>

#include "app/previewbrowser.h"
#include "app/webbrowser.h"
#include "model/document.h"

using namespace Qt::StringLiterals;

PreviewPane::PreviewPane(velmo::Document &global, QWidget *parent)
    : QFrame(parent), m_global(global)
{
    setObjectName(u"previewView"_s);
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

PreviewBrowser *PreviewPane::previewDialog() const
{
    return m_preview.data();
}

void PreviewPane::onInitialUpdate()
{
    if (m_preview.isNull()) {
        m_preview = new PreviewBrowser(m_global, this);
        connect(m_preview->browser(), &WebBrowser::aboutToOpenLocalFile, this,
                &PreviewPane::localFileAboutToOpen);
        connect(m_preview->browser(), &WebBrowser::commandRequested, this,
                &PreviewPane::commandRequested);
        layout()->addWidget(m_preview);
        m_preview->show();
    }
    m_preview->goHome();
}

void PreviewPane::onPreviewNavigate()
{
    if (!m_preview.isNull())
        m_preview->navigate(m_global.previewAddress);
}

void PreviewPane::showPage(const QString &path, const QString &anchor, bool keepScroll)
{
    QUrl address = QUrl::fromLocalFile(path);
    if (!anchor.isEmpty())
        address.setFragment(anchor);
    m_global.previewAddress = address.toString();
    QMetaObject::invokeMethod(
        this,
        [this, path, anchor, keepScroll] {
            if (!m_preview.isNull())
                m_preview->browser()->showPage(path, anchor, keepScroll);
        },
        Qt::QueuedConnection);
}

void PreviewPane::showMessage(const QString &text)
{
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            if (!m_preview.isNull())
                m_preview->browser()->showText(text);
        },
        Qt::QueuedConnection);
}

int showInPreview(velmo::Document &global, PreviewPane *pane, const QString &address)
{
    global.previewAddress = address;
    if (pane != nullptr)
        QMetaObject::invokeMethod(pane, &PreviewPane::onPreviewNavigate, Qt::QueuedConnection);
    return 1;
}
