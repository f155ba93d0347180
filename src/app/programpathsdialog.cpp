// The directory settings dialog.
#include "app/programpathsdialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "app/externalprograms.h"
#include "app/filedialogwrapper.h"
#include "app/okcancelbuttons.h"

using namespace Qt::StringLiterals;

namespace {

// The widgets' names, in the order of externalProgramEntries().
constexpr const char16_t *kRowNames[ProgramPathsDialog::kRows] = {
    u"browser1", u"browser2", u"browser3", u"editor1", u"editor2", u"editor3", u"graphicsEditor1",
};

} // namespace

ProgramPathsDialog::ProgramPathsDialog(QSettings &settings, FileDialogWrapper &fileDialogs,
                                       QWidget *parent)
    : QDialog(parent), m_settings(settings), m_fileDialogs(fileDialogs)
{
    setObjectName(u"pathSettingDialog"_s);
    setWindowTitle(u"ディレクトリ設定"_s);
    setModal(true);

    const QList<ExternalProgramEntry> &entries = externalProgramEntries();
    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 320);
    for (int row = 0; row < kRows; ++row) {
        const QString name = QString::fromUtf16(kRowNames[row]);
        const ExternalProgramEntry &entry = entries.at(row);
        auto *label = new QLabel(entry.label, this);
        label->setObjectName(name + u"Label"_s);
        auto *field = new QLineEdit(this);
        field->setObjectName(name + u"Edit"_s);
        field->setText(m_settings.value(entry.group + u'/' + entry.key).toString());
        // Browsers and text editors left empty are the desktop's own.
        if (entry.field != &velmo::ExternalProgramSettings::graphicsEditorPaths)
            field->setPlaceholderText(u"（空欄: デスクトップの既定のプログラム）"_s);
        label->setBuddy(field);
        auto *browse = new QPushButton(u"．．．"_s, this);
        browse->setObjectName(name + u"Browse"_s);
        browse->setAutoDefault(false);
        connect(browse, &QPushButton::clicked, this, [this, row] { browseForProgram(row); });
        // Each label sits above its field, as in the original two-line rows.
        grid->addWidget(label, row * 2, 0, 1, 3);
        grid->addWidget(field, row * 2 + 1, 0, 1, 2);
        grid->addWidget(browse, row * 2 + 1, 2);
        m_fields.append(field);
    }

    QDialogButtonBox *box = makeOkCancelButtons(this);

    auto *note = new QLabel(
        u"ブラウザとエディタの欄が空欄のときは、デスクトップの既定のプログラムで開きます。"_s,
        this);
    note->setObjectName(u"defaultProgramNote"_s);
    note->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addWidget(note);
    layout->addWidget(box);
}

velmo::ExternalProgramSettings ProgramPathsDialog::programs() const
{
    velmo::ExternalProgramSettings programs;
    const QList<ExternalProgramEntry> &entries = externalProgramEntries();
    for (int row = 0; row < kRows; ++row) {
        const ExternalProgramEntry &entry = entries.at(row);
        (programs.*entry.field)[size_t(entry.index)] = m_fields.at(row)->text();
    }
    return programs;
}

void ProgramPathsDialog::browseForProgram(int row)
{
    if (row < 0 || row >= kRows)
        return;
    QLineEdit *field = m_fields.at(row);
    // The dialog starts in the folder of the current path; the process's own current folder is
    // left alone, as other parts resolve relative paths against it.
    QString folder;
    if (field->text().contains(u'/'))
        folder = QFileInfo(field->text()).absolutePath();
    const QString chosen = m_fileDialogs.getOpenFileName(
        u"ファイルを開く"_s, folder, {u"アプリケーション (*)"_s, u"全て (*)"_s}, QDir::Executable);
    if (!chosen.isEmpty())
        field->setText(QFileInfo(chosen).absoluteFilePath());
}

void ProgramPathsDialog::accept()
{
    writeExternalProgramSettings(m_settings, programs());
    QDialog::accept();
}
