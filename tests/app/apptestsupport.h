// Shared set-up of the GUI tests: a private configuration folder, what the embedded browser
// needs before the application exists, and a started application whose dialogs never block.
#pragma once

#include <functional>

#include <QSettings>
#include <QTemporaryDir>

#include "app/application.h"
#include "app/documentsession.h"
#include "app/mainwindow.h"
#include "app/navigationpane.h"
#include "model/document.h"

namespace apptest {

// For a test class's static initMain(): runs before the QApplication is made.
void initMain();

QString fixture(const QString &name);
QByteArray readAll(const QString &path);
bool writeAll(const QString &path, const QByteArray &bytes);

// Runs handler on the top-level widget named objectName once it is visible — a modal dialog
// that what the test does next will open. Gives up after a few seconds.
void whenShown(const QString &objectName, std::function<void(QWidget *)> handler);

// Types text as key presses carrying it; QTest's keyClicks takes ASCII only.
void type(QWidget *edit, const QString &text);
// Focuses edit, selects all it holds and types text over it.
void retype(QWidget *edit, const QString &text);

// An application on a data root and a settings file of its own, in a temporary folder. Message
// boxes and file dialogs answer from their queues only.
class AppFixture
{
public:
    AppFixture();

    // Start-up as the program does it, with document (may be empty) on the command line.
    bool start(const QString &document = QString());

    QString path(const QString &name) const { return m_dir.filePath(name); }
    Application &app() { return m_app; }
    DocumentSession &doc() { return m_app.document(); }
    MainWindow *frame() { return m_app.mainFrame(); }
    // The navigation form start-up put into the left pane.
    NavigationPane *navigation() const;
    velmo::Document &global() { return m_global; }
    QSettings &settings() { return m_settings; }
    MessageBoxWrapper &messageBoxes() { return m_app.messageBoxes(); }
    FileDialogWrapper &fileDialogs() { return m_app.fileDialogs(); }

private:
    QTemporaryDir m_dir;
    velmo::Document m_global;
    QSettings m_settings;
    Application m_app;
};

} // namespace apptest
