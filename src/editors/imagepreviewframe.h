// ImagePreviewFrame: one picture fitted into the frame's area on grey, or the words
// "サイトサンプル画像" when there is none.
#pragma once

#include <QImage>
#include <QWidget>

class MessageBoxWrapper;

namespace velmo::ui {

class ImagePreviewFrame : public QWidget
{
    Q_OBJECT

public:
    explicit ImagePreviewFrame(MessageBoxWrapper &messages, QWidget *parent = nullptr);

    // 1 with the picture shown fitted into the current area (bilinear); -1, with the frame
    // emptied and the user told, when the file cannot be decoded.
    int load(const QString &path);
    // Back to the words, with no picture.
    void clear();
    bool hasImage() const { return !m_image.isNull(); }
    QImage image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MessageBoxWrapper &m_messages;
    QImage m_image;
};

} // namespace velmo::ui
