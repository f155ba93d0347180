// Wiring of the editing forms into the main window.
#include "editors/editingforms.h"

#include "app/application.h"
#include "app/contentpane.h"
#include "app/deploycontroller.h"
#include "app/documentcontroller.h"
#include "app/mainwindow.h"
#include "app/navigationpane.h"
#include "app/objecttree.h"
#include "app/previewpane.h"
#include "app/propertypane.h"
#include "app/serversettingsdialog.h"
#include "editors/categoryform.h"
#include "editors/contenteditform.h"
#include "editors/contentgroupform.h"
#include "editors/pageform.h"
#include "editors/siteeditdialog.h"
#include "editors/siteform.h"
#include "model/object.h"

namespace velmo::ui {

namespace {

template<class Form>
void addForm(FormPane &pane, qint32 classCode, Form *form)
{
    pane.registerForm(classCode, form, [form](velmo::Object *object) { form->setObject(object); });
}

} // namespace

void EditingForms::install(Application &application, MainWindow &frame, NavigationPane &navigation)
{
    DocumentController &controller = application.controller();
    PropertyPane *properties = frame.propertyView();
    addForm(*properties, velmo::kClassCategory, new CategoryForm(controller));
    addForm(*properties, velmo::kClassPage, new PageForm(controller));
    addForm(*properties, velmo::kClassContentGroup, new ContentGroupForm(controller));
    // "サーバー設定" from the site form and from the site dialog.
    DeployController &deploy = application.deploy();
    const auto openServerSettings = [&deploy](velmo::Site &site, QWidget *parent) {
        ServerSettingsDialog::run(deploy, site, parent);
    };
    auto *siteForm = new SiteForm(controller.document());
    siteForm->setServerSettingsOpener(openServerSettings);
    addForm(*properties, velmo::kClassSite, siteForm);
    auto *editor = new ContentEditForm(controller, application.messageBoxes(),
                                       application.fileDialogs(), application.settings());
    addForm(*frame.contentView(), velmo::kClassContentGroup, editor);
    // A content's "内容" row opens the editor of its group, on that content.
    addForm(*frame.contentView(), velmo::kClassContent, editor);

    // "管理": the navigation form follows what the dialog changes as it changes it.
    QObject::connect(&navigation, &NavigationPane::siteManagementRequested, &frame,
                     [&application, &frame, &controller, openServerSettings] {
                         SiteEditDialog::run(controller.writer(), application.messageBoxes(),
                                             application.fileDialogs(), &frame, openServerSettings);
                     });

    // The start page's button for a document without sites.
    QObject::connect(frame.previewView(), &PreviewPane::commandRequested, &navigation,
                     [&navigation](const QString &name) {
                         if (name == PreviewPane::siteManagementCommand())
                             navigation.onManage();
                     });

    // F2 in the menu tree: the selection reaches the form through the event queue first.
    QObject::connect(
        navigation.menuTree(), &ObjectTree::nameEditRequested, properties, [properties] {
            QMetaObject::invokeMethod(
                properties,
                [properties] {
                    if (auto *form = qobject_cast<PropertyForm *>(properties->shownForm()))
                        form->editName();
                },
                Qt::QueuedConnection);
        });
}

} // namespace velmo::ui
