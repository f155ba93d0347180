// Shared set-up of the GUI tests.
#include "apptestsupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace apptest {

void initMain()
{
    // Nothing the tests do may touch the user's own settings or data.
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(u"config"_s)));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(u"data"_s)));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(u"cache"_s)));
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath(u"state"_s)));
    Application::prepareApplication();
}

QString fixture(const QString &name)
{
    return QStringLiteral(VELMO_TEST_DATA_DIR) + u'/' + name;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void whenShown(const QString &objectName, std::function<void(QWidget *)> handler)
{
    auto *timer = new QTimer;
    const QDeadlineTimer deadline(5000);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        const QList<QWidget *> windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            if (window->objectName() == objectName && window->isVisible()) {
                timer->stop();
                timer->deleteLater();
                handler(window);
                return;
            }
        }
        if (deadline.hasExpired()) {
            qWarning("no window named %s appeared", qPrintable(objectName));
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

void type(QWidget *edit, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &release);
    }
}

void retype(QWidget *edit, const QString &text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    type(edit, text);
}

AppFixture::AppFixture()
    : m_global(m_dir.path()), m_settings(m_dir.filePath(u"Velmo.ini"_s), QSettings::IniFormat),
      m_app(m_global, m_settings)
{
    m_app.messageBoxes().setInteractive(false);
    m_app.fileDialogs().setInteractive(false);
    // A test that closes the main window must not end the test program's event loop.
    QApplication::setQuitOnLastWindowClosed(false);
}

bool AppFixture::start(const QString &document)
{
    Application::CommandLineInfo commandLine;
    commandLine.fileName = document;
    if (!m_app.initInstance(commandLine))
        return false;
    return QTest::qWaitForWindowExposed(m_app.mainFrame());
}

NavigationPane *AppFixture::navigation() const
{
    const MainWindow *frame = m_app.mainFrame();
    return frame != nullptr ? qobject_cast<NavigationPane *>(frame->navigationView()) : nullptr;
}

} // namespace apptest
