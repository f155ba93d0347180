// The browser preview form.
#include "app/previewbrowser.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/appicon.h"
#include "app/externalprograms.h"
#include "app/webbrowser.h"
#include "model/document.h"
#include "model/fullwidthnumber.h"

using namespace Qt::StringLiterals;

namespace {

// The browser starts at least this far from the left edge; the buttons live in the strip
// before it.
constexpr int kButtonStripWidth = 70;
constexpr int kLogoSize = 64;

} // namespace

PreviewBrowser::PreviewBrowser(velmo::Document &global, QWidget *owner)
    : QWidget(owner), m_global(global)
{
    setObjectName(u"iePreviewDialog"_s);

    auto *strip = new QWidget(this);
    strip->setObjectName(u"previewButtonStrip"_s);
    auto *buttons = new QVBoxLayout(strip);
    buttons->setContentsMargins(0, 0, 3, 0);
    buttons->setSpacing(3);

    auto *logo = new QPushButton(strip);
    logo->setObjectName(u"logoButton"_s);
    logo->setFlat(true);
    logo->setFixedSize(kLogoSize, kLogoSize);
    logo->setIcon(velmoLogo(kLogoSize - 8));
    logo->setIconSize(QSize(kLogoSize - 8, kLogoSize - 8));
    logo->setToolTip(u"ホーム"_s);
    logo->setFocusPolicy(Qt::NoFocus);
    connect(logo, &QPushButton::clicked, this, &PreviewBrowser::goHome);
    buttons->addWidget(logo);
    buttons->addSpacing(6);

    QPushButton *back = addButton(u"<-"_s, u"backButton"_s);
    QPushButton *forward = addButton(u"->"_s, u"forwardButton"_s);
    auto *backForward = new QHBoxLayout;
    backForward->setSpacing(2);
    backForward->addWidget(back);
    backForward->addWidget(forward);
    buttons->addLayout(backForward);
    buttons->addSpacing(6);

    const QString browserCaptions[] = {u"ブラウザ１"_s, u"ブラウザ２"_s, u"ブラウザ３"_s};
    for (int n = 1; n <= 3; ++n) {
        QPushButton *button = addButton(browserCaptions[n - 1], u"browser%1Button"_s.arg(n));
        connect(button, &QPushButton::clicked, this, [this, n] { openInBrowser(n); });
        buttons->addWidget(button);
    }
    buttons->addSpacing(6);
    for (int n = 1; n <= 3; ++n) {
        QPushButton *button = addButton(u"ソース表示%1"_s.arg(n), u"source%1Button"_s.arg(n));
        connect(button, &QPushButton::clicked, this, [this, n] { openSource(n); });
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    // The browser starts 70 pixels in, or further when a caption would not fit in that.
    int widest = kLogoSize;
    for (const QPushButton *button : strip->findChildren<QPushButton *>())
        widest = qMax(widest, button->fontMetrics().horizontalAdvance(button->text()) + 12);
    strip->setFixedWidth(qMax(kButtonStripWidth, widest + 6));

    m_browser = new WebBrowser(this);
    m_browser->setStatusBar(true);
    connect(back, &QPushButton::clicked, m_browser, &WebBrowser::goBack);
    connect(forward, &QPushButton::clicked, m_browser, &WebBrowser::goForward);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip);
    layout->addWidget(m_browser, 1);
}

QPushButton *PreviewBrowser::addButton(const QString &text, const QString &name)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
    // The strip's width is fixed from the widest caption; every button takes all of it.
    button->setMinimumWidth(0);
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return button;
}

QString PreviewBrowser::homePageAddress()
{
    return u"qrc:/velmo/home.html"_s;
}

void PreviewBrowser::navigate(const QString &address)
{
    if (address.isEmpty())
        return;
    m_browser->navigate(address);
}

void PreviewBrowser::goHome()
{
    // Without a site the start page tells how to make one.
    navigate(homePageAddress() + (m_global.sites.isEmpty() ? u"?nosite"_s : QString()));
}

void PreviewBrowser::openInBrowser(int n)
{
    if (n < 1 || n > 3)
        return;
    const QString &program = m_global.externalPrograms.browserPaths[size_t(n - 1)];
    const QString address = m_browser->locationUrl();
    // The built-in start page exists only inside this program.
    if (address.isEmpty() || QUrl(address).scheme() == u"qrc" || QUrl(address).scheme() == u"data")
        return;
    const LaunchFailed failed = reportFailure(programNotStartedMessage(
        u"ブラウザ%1"_s.arg(velmo::fullWidthNumber(n)), program,
        externalProgramLabel(&velmo::ExternalProgramSettings::browserPaths, n - 1)));
    const bool started = program.isEmpty() ? openInDefaultBrowser(address, failed)
                                           : launchProgram(program, address, failed);
    if (!started)
        failed();
}

LaunchFailed PreviewBrowser::reportFailure(const QString &message) const
{
    // The document root outlives the window; the failure may come after the form is gone.
    return [global = QPointer<velmo::Document>(&m_global), message] {
        if (global != nullptr)
            global->report(message);
    };
}

void PreviewBrowser::openSource(int n)
{
    if (n < 1 || n > 3)
        return;
    const QString &program = m_global.externalPrograms.editorPaths[size_t(n - 1)];
    const QString parameter = sourceFileParameter(m_browser->locationUrl());
    if (parameter.isEmpty())
        return;
    const LaunchFailed failed = reportFailure(programNotStartedMessage(
        u"ソース表示%1"_s.arg(n), program,
        externalProgramLabel(&velmo::ExternalProgramSettings::editorPaths, n - 1)));
    const bool started =
        program.isEmpty()
            ? openInDefaultTextEditor(QUrl(m_browser->locationUrl()).toLocalFile(), failed)
            : launchProgram(program, parameter, failed);
    if (!started)
        failed();
}

QString PreviewBrowser::sourceFileParameter(const QString &address)
{
    const QUrl url(address);
    if (address.isEmpty() || !url.isLocalFile())
        return QString();
    QString path = url.toLocalFile();
    if (path.isEmpty())
        return QString();
    // The parameter string is split like a command line: a quote inside the name is written
    // as three, so the file stays one argument.
    path.replace(u'"', u"\"\"\""_s);
    return u'"' + path + u'"';
}

void PreviewBrowser::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
