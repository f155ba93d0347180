// ContentEditForm, the content pane's editor: the body of one content as raw HTML, with the
// buttons that insert and wrap tags, pick colours, lists, links and images, and update the
// preview.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "app/documentcontroller.h"
#include "generator/htmlediting.h"

class FileDialogWrapper;
class MessageBoxWrapper;
class QCheckBox;
class QPushButton;
class QSettings;

namespace velmo {
class Content;
class Object;
} // namespace velmo

namespace velmo::ui {

class ContentTextEdit;
class ScreenCapture;

class ContentEditForm : public QWidget
{
    Q_OBJECT

public:
    // How long typing must pause before the page is previewed again.
    static constexpr int kLivePreviewDelayMs = DocumentController::kLivePreviewDelayMs;
    static QString autoPreviewKey() { return QStringLiteral("Editor/AutoPreview"); }
    // The folder the image dialog was left in, where it opens next.
    static QString lastImageFolderKey() { return QStringLiteral("Editor/LastImageFolder"); }

    ContentEditForm(DocumentController &controller, MessageBoxWrapper &messages,
                    FileDialogWrapper &files, QSettings &settings, QWidget *parent = nullptr);
    ~ContentEditForm() override;

    // The selected object: a content group of the default or plug-in kind brings its first
    // content, a content itself, anything else or null nothing.
    void setObject(Object *object);

    // The content on view while it exists.
    Content *content() const;
    ContentTextEdit *textEdit() const { return m_edit; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *addButton(const QString &name, const QString &label,
                           void (ContentEditForm::*run)());
    void apply(const gen::HtmlEditing::Edit &edit);
    void onEdited();
    void onLivePreview();
    void onAutoPreviewToggled(bool on);

    void updatePreview();
    void updateAll();
    void insertImage();
    void capture();
    // A capture was saved at savedPath (empty: none): the user hears where, and may insert it.
    void offerCapture(const QString &savedPath);
    void insertSiteLink();
    void showPreviewOptions();
    void insertBreak();
    void wrapParagraph();
    void wrapEmphasis();
    void wrapAnchor();
    void wrapFontColor();
    void wrapUnorderedList();
    void wrapOrderedList();
    void wrapBlockquote();
    void wrapPreCode();
    void escapeAngleBrackets();

    DocumentController &m_controller;
    MessageBoxWrapper &m_messages;
    FileDialogWrapper &m_files;
    QSettings &m_settings;
    ContentTextEdit *m_edit = nullptr;
    QCheckBox *m_autoPreview = nullptr;
    // Buttons that change the text, useless without a content.
    QList<QPushButton *> m_editingButtons;
    QTimer m_liveTimer;
    QPointer<ScreenCapture> m_capture;
};

} // namespace velmo::ui
