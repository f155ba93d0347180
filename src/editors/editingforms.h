// EditingForms: puts the property forms, the content editor and the site edit dialog into the
// main window, each talking to the window's controller.
#pragma once

class Application;
class MainWindow;
class NavigationPane;

namespace velmo::ui {

class EditingForms
{
public:
    // An Application::WindowSetup: registers the forms with the property and content panes and
    // answers "管理" with the site edit dialog.
    static void install(Application &application, MainWindow &frame, NavigationPane &navigation);
};

} // namespace velmo::ui
