// ProgramPathsDialog ("ディレクトリ設定"): the paths of the external browsers, text editors and
// graphics editor, read from and written to the settings.
#pragma once

#include <QDialog>
#include <QList>

#include "model/document.h"

class FileDialogWrapper;
class QLineEdit;
class QSettings;

class ProgramPathsDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kRows = 7;

    // The fields start from what the settings hold, not from the paths in use.
    ProgramPathsDialog(QSettings &settings, FileDialogWrapper &fileDialogs,
                       QWidget *parent = nullptr);

    // The nine paths as the fields hold them; graphics editors 2 and 3 are always empty.
    velmo::ExternalProgramSettings programs() const;

    // "．．．" of row (0 to 6): lets the user pick a program, starting in the folder of the
    // row's current path; a cancelled pick leaves the field as it was.
    void browseForProgram(int row);

    // OK: all seven fields go to the settings, empty ones too.
    void accept() override;

private:
    QSettings &m_settings;
    FileDialogWrapper &m_fileDialogs;
    QList<QLineEdit *> m_fields;
};
