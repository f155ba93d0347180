// File dialogs with answers that tests can give in advance.
#include "app/filedialogwrapper.h"

#include <QFileDialog>
#include <QFileInfo>

QString FileDialogWrapper::getOpenFileName(const QString &caption, const QString &directory,
                                           const QStringList &nameFilters, QDir::Filters dirFilters)
{
    return answer({Mode::Open, caption, directory, nameFilters}, QString(), dirFilters);
}

QString FileDialogWrapper::getSaveFileName(const QString &caption, const QString &proposed,
                                           const QStringList &nameFilters,
                                           const QString &defaultSuffix)
{
    return answer({Mode::Save, caption, proposed, nameFilters}, defaultSuffix, {});
}

QString FileDialogWrapper::getExistingDirectory(const QString &caption, const QString &directory)
{
    return answer({Mode::Folder, caption, directory, {}}, QString(), {});
}

QString FileDialogWrapper::answer(const Request &request, const QString &defaultSuffix,
                                  QDir::Filters dirFilters)
{
    m_requests.append(request);
    QString chosen;
    if (!m_names.isEmpty()) {
        chosen = m_names.takeFirst();
    } else if (m_interactive) {
        QFileDialog dialog(m_parent.data(), request.caption);
        dialog.setObjectName(QStringLiteral("fileDialog"));
        dialog.setNameFilters(request.nameFilters);
        if (request.mode == Mode::Folder) {
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOption(QFileDialog::ShowDirsOnly);
            dialog.setDirectory(request.directory);
        } else if (request.mode == Mode::Open) {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
            dialog.setDirectory(request.directory);
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setDefaultSuffix(defaultSuffix);
            dialog.selectFile(request.directory);
        }
        if (dirFilters != QDir::Filters())
            dialog.setFilter(dirFilters | QDir::AllDirs | QDir::NoDotAndDotDot);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
        return chosen;
    }
    // The real dialog adds the suffix itself; answers given in advance get the same treatment.
    if (request.mode == Mode::Save && !chosen.isEmpty() && !defaultSuffix.isEmpty() &&
        QFileInfo(chosen).suffix().isEmpty())
        chosen += u'.' + defaultSuffix;
    return chosen;
}
