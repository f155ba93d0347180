// ImagePreviewFrame: decoding and bilinear fitting through the image object, grey background.
#include "editors/imagepreviewframe.h"

#include <algorithm>

#include <QPainter>

#include "app/messageboxwrapper.h"
#include "imaging/imageobject.h"

using namespace Qt::StringLiterals;

namespace velmo::ui {

ImagePreviewFrame::ImagePreviewFrame(MessageBoxWrapper &messages, QWidget *parent)
    : QWidget(parent), m_messages(messages)
{
    setObjectName(u"imagePreviewFrame"_s);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 120);
}

int ImagePreviewFrame::load(const QString &path)
{
    img::ImageObject picture;
    if (!picture.load(path)) {
        m_image = QImage();
        update();
        m_messages.inform(u"画像ファイルが開けませんでした。\r\n画像は表示されません。"_s);
        return -1;
    }
    const float factor = std::min(float(width()) / float(picture.width()),
                                  float(height()) / float(picture.height()));
    // A frame not laid out yet has no area; a one-pixel picture beats none.
    const int fittedWidth = std::max(1, int(float(picture.width()) * factor));
    const int fittedHeight = std::max(1, int(float(picture.height()) * factor));
    picture.resize(fittedWidth, fittedHeight, img::ImageObject::Bilinear);
    QImage fitted(picture.width(), picture.height(), QImage::Format_ARGB32);
    if (!picture.drawInto(fitted)) {
        m_image = QImage();
        update();
        m_messages.inform(u"画像ファイルが開けませんでした。\r\n画像は表示されません。"_s);
        return -1;
    }
    m_image = fitted;
    update();
    return 1;
}

void ImagePreviewFrame::clear()
{
    m_image = QImage();
    update();
}

void ImagePreviewFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(200, 200, 200));
    if (!m_image.isNull())
        painter.drawImage(0, 0, m_image);
    else
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, u"サイトサンプル画像"_s);
}

} // namespace velmo::ui
