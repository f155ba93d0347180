// The content editor form: its layout, its buttons and the road from the text box to the
// document and the preview.
#include "editors/contenteditform.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "app/documentcontroller.h"
#include "app/messageboxwrapper.h"
#include "app/selectobjectdialog.h"
#include "editors/contenttextedit.h"
#include "editors/imageselectdialog.h"
#include "editors/previewoptiondialog.h"
#include "editors/screencapture.h"
#include "editors/selectolstyledialog.h"
#include "editors/webcolorselectdialog.h"
#include "imaging/imageobject.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/page.h"
#include "model/site.h"

using namespace Qt::StringLiterals;
using velmo::gen::HtmlEditing;

namespace velmo::ui {

namespace {

QLabel *groupLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

ContentEditForm::ContentEditForm(DocumentController &controller, MessageBoxWrapper &messages,
                                 FileDialogWrapper &files, QSettings &settings, QWidget *parent)
    : QWidget(parent), m_controller(controller), m_messages(messages), m_files(files),
      m_settings(settings)
{
    setObjectName(u"contentEditForm"_s);
    m_edit = new ContentTextEdit(this);
    connect(m_edit, &ContentTextEdit::edited, this, &ContentEditForm::onEdited);
    // While the box has the focus its own undo works on the text; what the user typed there
    // becomes one step of the document's history when the focus leaves it.
    m_edit->installEventFilter(this);
    // An undo of the document's step shows the text it brings back.
    connect(&controller.document(), &Document::objectChanged, this,
            [this](Object *object, Field field) {
                Content *shown = m_edit->content();
                if (field == Field::Value && object == shown)
                    m_edit->showChangedValue();
            });

    m_liveTimer.setSingleShot(true);
    m_liveTimer.setInterval(kLivePreviewDelayMs);
    connect(&m_liveTimer, &QTimer::timeout, this, &ContentEditForm::onLivePreview);

    // Top row: the caption, and what updates the preview.
    auto *caption = new QLabel(u"コンテンツ 内容"_s, this);
    caption->setObjectName(u"contentCaption"_s);
    QPushButton *update = addButton(u"updateButton"_s, u"更新"_s, &ContentEditForm::updatePreview);
    m_editingButtons.append(update);
    m_autoPreview = new QCheckBox(u"自動プレビュー"_s, this);
    m_autoPreview->setObjectName(u"autoPreviewCheck"_s);
    m_autoPreview->setToolTip(u"入力が止まると、プレビューを自動で更新します"_s);
    m_autoPreview->setChecked(m_settings.value(autoPreviewKey(), true).toBool());
    m_controller.setAutoPreview(m_autoPreview->isChecked());
    connect(m_autoPreview, &QCheckBox::toggled, this, &ContentEditForm::onAutoPreviewToggled);
    QPushButton *updateAll =
        addButton(u"updateAllButton"_s, u"全て更新"_s, &ContentEditForm::updateAll);
    auto *top = new QHBoxLayout;
    top->addWidget(caption);
    top->addStretch(1);
    top->addWidget(update);
    top->addWidget(m_autoPreview);
    top->addWidget(updateAll);

    // The button column, in two columns so that it fits the pane's height.
    auto *column = new QGridLayout;
    column->setVerticalSpacing(2);
    column->setHorizontalSpacing(2);
    int row = 0;
    auto wide = [&](QWidget *widget) { column->addWidget(widget, row++, 0, 1, 2); };
    auto pair = [&](QWidget *left, QWidget *right) {
        column->addWidget(left, row, 0);
        column->addWidget(right, row++, 1);
    };
    auto editing = [&](const QString &name, const QString &label, void (ContentEditForm::*run)()) {
        QPushButton *button = addButton(name, label, run);
        m_editingButtons.append(button);
        return button;
    };
    pair(editing(u"imageButton"_s, u"画像"_s, &ContentEditForm::insertImage),
         addButton(u"captureButton"_s, u"キャプチャー"_s, &ContentEditForm::capture));
    pair(editing(u"siteLinkButton"_s, u"サイト内リンク"_s, &ContentEditForm::insertSiteLink),
         addButton(u"optionButton"_s, u"オプション"_s, &ContentEditForm::showPreviewOptions));
    wide(groupLabel(u"< 挿入 >"_s, this));
    wide(editing(u"brButton"_s, u"<br />"_s, &ContentEditForm::insertBreak));
    wide(groupLabel(u"< 選択を囲む >"_s, this));
    pair(editing(u"pButton"_s, u"<p>"_s, &ContentEditForm::wrapParagraph),
         editing(u"emButton"_s, u"<em>"_s, &ContentEditForm::wrapEmphasis));
    pair(editing(u"anchorButton"_s, u"<a href=>"_s, &ContentEditForm::wrapAnchor),
         editing(u"fontColorButton"_s, u"<font color>"_s, &ContentEditForm::wrapFontColor));
    pair(editing(u"ulButton"_s, u"<ul>"_s, &ContentEditForm::wrapUnorderedList),
         editing(u"olButton"_s, u"<ol>"_s, &ContentEditForm::wrapOrderedList));
    pair(editing(u"blockquoteButton"_s, u"<blockquote>"_s, &ContentEditForm::wrapBlockquote),
         editing(u"preCodeButton"_s, u"<pre><code>"_s, &ContentEditForm::wrapPreCode));
    wide(groupLabel(u"< 変換 >"_s, this));
    wide(editing(u"escapeButton"_s, u"<:＆lt >:＆gt"_s, &ContentEditForm::escapeAngleBrackets));
    column->setRowStretch(row, 1);

    auto *body = new QHBoxLayout;
    body->addLayout(column);
    body->addWidget(m_edit, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addLayout(body, 1);

    setObject(nullptr);
}

ContentEditForm::~ContentEditForm() = default;

QPushButton *ContentEditForm::addButton(const QString &name, const QString &label,
                                        void (ContentEditForm::*run)())
{
    auto *button = new QPushButton(label, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    // A click leaves the focus, and so the caret and selection, in the box the button acts
    // on; the keyboard still reaches the buttons with Tab.
    button->setFocusPolicy(Qt::TabFocus);
    connect(button, &QPushButton::clicked, this, run);
    return button;
}

void ContentEditForm::setObject(Object *object)
{
    Content *content = object_cast<Content>(object);
    if (auto *group = object_cast<ContentGroup>(object)) {
        if ((group->kind == ContentGroup::kKindDefault ||
             group->kind == ContentGroup::kKindPlugin) &&
            !group->contents.isEmpty())
            content = group->contents.at(0);
    }
    // A preview still waiting belongs to what was shown before; its text is stored already.
    m_liveTimer.stop();
    // Selecting the same content again keeps the caret and the undo steps.
    if (content == nullptr || content != m_edit->content() ||
        HtmlEditing::editorText(content->value) != m_edit->text())
        m_edit->load(content);
    for (QPushButton *button : std::as_const(m_editingButtons))
        button->setEnabled(content != nullptr);
}

Content *ContentEditForm::content() const
{
    return m_edit->content();
}

void ContentEditForm::apply(const HtmlEditing::Edit &edit)
{
    if (content() == nullptr)
        return;
    m_edit->applyEdit(edit);
}

void ContentEditForm::onEdited()
{
    m_controller.updateContent(content(), m_edit->text(), DocumentController::ContentPreview::None);
    if (m_autoPreview->isChecked())
        m_liveTimer.start();
}

void ContentEditForm::onLivePreview()
{
    if (Content *held = content())
        m_controller.updateContent(held, m_edit->text(), DocumentController::ContentPreview::Live);
}

void ContentEditForm::onAutoPreviewToggled(bool on)
{
    m_settings.setValue(autoPreviewKey(), on);
    m_controller.setAutoPreview(on);
    if (!on)
        m_liveTimer.stop();
}

void ContentEditForm::updatePreview()
{
    m_liveTimer.stop();
    if (Content *held = content())
        m_controller.updateContent(held, m_edit->text(),
                                   DocumentController::ContentPreview::AtContent);
}

bool ContentEditForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::FocusOut)
        m_controller.endTyping();
    return QWidget::eventFilter(watched, event);
}

void ContentEditForm::updateAll()
{
    m_liveTimer.stop();
    m_controller.regenerateSite();
    // The output may have run a long time; the content is looked up again.
    if (Content *held = content())
        m_controller.updateContent(held, m_edit->text(), DocumentController::ContentPreview::Page);
}

void ContentEditForm::insertImage()
{
    const QString folder = m_controller.userImageFolder();
    ImageSelectDialog dialog(this);
    dialog.setRootFolder(folder);
    dialog.setStartFolder(m_settings.value(lastImageFolderKey()).toString());
    const int result = dialog.exec();
    m_settings.setValue(lastImageFolderKey(), dialog.currentFolder());
    if (result != QDialog::Accepted)
        return;
    // A file that vanished meanwhile inserts nothing; the caret still moves as an empty
    // insertion moves it.
    const QString path = dialog.imagePath();
    const QString fragment =
        !path.isEmpty() && QFileInfo::exists(path)
            ? HtmlEditing::imageFragment(dialog.insertKind(), path, folder, dialog.width(),
                                         dialog.height(), dialog.linkAddress(),
                                         dialog.alternativeText())
            : QString();
    apply(HtmlEditing::insert(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                              fragment));
}

void ContentEditForm::capture()
{
    if (m_capture != nullptr && m_capture->isRunning())
        return;
    delete m_capture;
    // Made afresh each time: the graphics editor may have been set meanwhile.
    m_capture =
        new ScreenCapture(m_messages, m_files, m_controller.userImageFolder(),
                          m_controller.document().externalPrograms.graphicsEditorPaths.at(0), this);
    connect(m_capture, &ScreenCapture::finished, this, &ContentEditForm::offerCapture);
    m_capture->run();
}

void ContentEditForm::offerCapture(const QString &savedPath)
{
    if (savedPath.isEmpty())
        return;
    // Where the picture went, said once; and it is usually wanted on the page being edited.
    const QString saved = u"キャプチャーした画像を保存しました。\r\n%1"_s.arg(savedPath);
    if (content() == nullptr) {
        m_messages.inform(saved, QMessageBox::Information);
        return;
    }
    if (m_messages.ask(saved + u"\r\n\r\nこの画像をコンテンツに挿入しますか？"_s,
                       QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                       QMessageBox::Yes) != QMessageBox::Yes ||
        content() == nullptr)
        return;
    int width = 0;
    int height = 0;
    img::ImageObject::readImageSize(savedPath, &width, &height);
    apply(HtmlEditing::insert(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                              HtmlEditing::imageFragment(HtmlEditing::Image, savedPath,
                                                         m_controller.userImageFolder(), width,
                                                         height)));
}

void ContentEditForm::insertSiteLink()
{
    Document &document = m_controller.document();
    Site *site = document.getCurrentSite();
    if (site == nullptr)
        return;
    SelectObjectDialog dialog(document, this);
    dialog.setCaptionText(SelectObjectDialog::linkTargetCaption());
    dialog.setDescriptionText(SelectObjectDialog::linkTargetDescription());
    dialog.setRootObject(site->classifications.at(0));
    dialog.setSelectedObject(nullptr);
    if (dialog.doModal() != QDialog::Accepted)
        return;
    Object *target = dialog.selectedObject();
    if (object_cast<Page>(target) == nullptr && object_cast<ContentGroup>(target) == nullptr)
        return;
    const QString open = HtmlEditing::siteLinkOpen(target->id);
    const QString close = HtmlEditing::siteLinkClose(target->name, m_edit->hasSelection());
    // Without a selection the link's text is the target's name: the caret goes behind it all.
    apply(m_edit->hasSelection() ? HtmlEditing::wrap(m_edit->text(), m_edit->selectionStart(),
                                                     m_edit->selectionEnd(), open, close)
                                 : HtmlEditing::insert(m_edit->text(), m_edit->selectionStart(),
                                                       m_edit->selectionEnd(), open + close));
}

void ContentEditForm::showPreviewOptions()
{
    PreviewOptionDialog dialog(m_controller.writer(), this);
    dialog.exec();
}

void ContentEditForm::insertBreak()
{
    apply(HtmlEditing::insert(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                              u"<br />\r\n"_s));
}

void ContentEditForm::wrapParagraph()
{
    apply(HtmlEditing::wrap(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                            u"<p>"_s, u"</p>\r\n"_s));
}

void ContentEditForm::wrapEmphasis()
{
    apply(HtmlEditing::wrap(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                            u"<em>"_s, u"</em>"_s));
}

void ContentEditForm::wrapAnchor()
{
    apply(HtmlEditing::wrap(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                            u"<a href=\"\">"_s, u"</a>"_s));
}

void ContentEditForm::wrapFontColor()
{
    WebColorSelectDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted || dialog.result().isEmpty())
        return;
    apply(HtmlEditing::wrap(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                            HtmlEditing::fontColorOpen(dialog.result()), u"</font>"_s));
}

void ContentEditForm::wrapUnorderedList()
{
    apply(HtmlEditing::wrapLines(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                                 u"<ul>\r\n"_s, u"<li>"_s, u"</li>\r\n"_s, u"</ul>\r\n"_s));
}

void ContentEditForm::wrapOrderedList()
{
    SelectOlStyleDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    apply(HtmlEditing::wrapLines(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                                 HtmlEditing::orderedListOpen(dialog.result()), u"<li>"_s,
                                 u"</li>\r\n"_s, u"</ol>\r\n"_s));
}

void ContentEditForm::wrapBlockquote()
{
    apply(HtmlEditing::wrap(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                            u"<blockquote>"_s, u"</blockquote>\r\n"_s));
}

void ContentEditForm::wrapPreCode()
{
    apply(HtmlEditing::wrap(m_edit->text(), m_edit->selectionStart(), m_edit->selectionEnd(),
                            u"<pre><code>"_s, u"</code></pre>\r\n"_s));
}

void ContentEditForm::escapeAngleBrackets()
{
    apply(HtmlEditing::escapeMarkup(m_edit->text(), m_edit->selectionStart(),
                                    m_edit->selectionEnd()));
}

} // namespace velmo::ui
