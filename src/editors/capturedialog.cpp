// CaptureDialog: push-like choices for the target and the delay, and the two capture buttons.
#include "editors/capturedialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace velmo::ui {

namespace {

QPushButton *choiceButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setCheckable(true);
    button->setAutoDefault(false);
    return button;
}

constexpr int kDelays[] = {0, 5, 15};

} // namespace

CaptureDialog::CaptureDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"captureDialog"_s);
    setWindowTitle(u"キャプチャー"_s);

    auto *targetBox = new QGroupBox(u"キャプチャー対象"_s, this);
    targetBox->setObjectName(u"targetGroup"_s);
    auto *targetLayout = new QHBoxLayout(targetBox);
    // An exclusive group keeps one choice pressed even when the pressed one is clicked again.
    m_targets = new QButtonGroup(this);
    m_targets->addButton(choiceButton(u"アクティブWindowを"_s, u"activeWindowButton"_s, targetBox),
                         int(CaptureTarget::ActiveWindow));
    m_targets->addButton(choiceButton(u"デスクトップを"_s, u"desktopButton"_s, targetBox),
                         int(CaptureTarget::Desktop));
    for (QAbstractButton *button : m_targets->buttons())
        targetLayout->addWidget(button);

    auto *delayBox = new QGroupBox(u"何秒後に"_s, this);
    delayBox->setObjectName(u"delayGroup"_s);
    auto *delayLayout = new QHBoxLayout(delayBox);
    m_delays = new QButtonGroup(this);
    m_delays->addButton(choiceButton(u"ただちに"_s, u"immediateButton"_s, delayBox), kDelays[0]);
    m_delays->addButton(choiceButton(u"５秒後に"_s, u"fiveSecondsButton"_s, delayBox), kDelays[1]);
    m_delays->addButton(choiceButton(u"１５秒後に"_s, u"fifteenSecondsButton"_s, delayBox),
                        kDelays[2]);
    for (QAbstractButton *button : m_delays->buttons())
        delayLayout->addWidget(button);

    auto *saveLabel = new QLabel(u"保存／保存して開く"_s, this);
    saveLabel->setObjectName(u"saveLabel"_s);
    auto *save = new QPushButton(u"キャプチャして保存"_s, this);
    save->setObjectName(u"captureSaveButton"_s);
    save->setDefault(true);
    auto *saveAndOpen = new QPushButton(u"キャプチャしてグラフィックエディタ１で開く"_s, this);
    saveAndOpen->setObjectName(u"captureOpenButton"_s);
    saveAndOpen->setAutoDefault(false);
    auto *cancel = new QPushButton(u"キャンセル"_s, this);
    cancel->setObjectName(u"cancelButton"_s);
    cancel->setAutoDefault(false);

    connect(m_targets, &QButtonGroup::idClicked, this, [this](int id) {
        m_target = CaptureTarget(id);
        showChoices();
    });
    connect(m_delays, &QButtonGroup::idClicked, this, [this](int seconds) {
        m_delaySeconds = seconds;
        showChoices();
    });
    connect(save, &QPushButton::clicked, this, [this] {
        m_openInGraphicsEditor = false;
        accept();
    });
    connect(saveAndOpen, &QPushButton::clicked, this, [this] {
        m_openInGraphicsEditor = true;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &CaptureDialog::reject);

    auto *captureButtons = new QVBoxLayout;
    captureButtons->addWidget(saveLabel);
    captureButtons->addWidget(save);
    captureButtons->addWidget(saveAndOpen);

    auto *bottom = new QHBoxLayout;
    bottom->addLayout(captureButtons, 1);
    bottom->addWidget(cancel, 0, Qt::AlignBottom);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(targetBox);
    layout->addWidget(delayBox);
    layout->addLayout(bottom);
    showChoices();
}

void CaptureDialog::showChoices()
{
    m_targets->button(int(m_target))->setChecked(true);
    m_delays->button(m_delaySeconds)->setChecked(true);
}

} // namespace velmo::ui
