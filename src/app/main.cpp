// velmo, the desktop program: wires the data root, the settings and the application object.
#include <QApplication>
#include <QSettings>

#include "app/application.h"
#include "editors/editingforms.h"
#include "model/dataroot.h"
#include "model/document.h"

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    Application::prepareApplication();
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(VELMO_VERSION));
    Application::installQtTranslations(application);

    const Application::CommandLineInfo commandLine =
        Application::parseCommandLine(QApplication::arguments().mid(1));
    const QString programFolder = QApplication::applicationDirPath();
    // Destroyed last, after the windows and the document that use it.
    velmo::Document global(velmo::DataRoot::resolve(commandLine.homeFolder, programFolder,
                                                    programFolder + u"/../share/velmo"_s));
    const std::unique_ptr<QSettings> settings = Application::createSettings();

    Application app(global, *settings);
    app.setWindowSetup(&velmo::ui::EditingForms::install);
    if (!app.initInstance(commandLine))
        return 1;
    return QApplication::exec();
}
