// File dialogs behind one door: tests give the next file name in advance and read what the
// program asked for.
#pragma once

#include <QDir>
#include <QList>
#include <QPointer>
#include <QStringList>

class QWidget;

class FileDialogWrapper
{
public:
    enum class Mode { Open, Save, Folder };

    // What the program asked the user, for tests to check.
    struct Request
    {
        Mode mode = Mode::Open;
        QString caption;
        QString directory;
        QStringList nameFilters;
    };

    // An existing file chosen by the user; empty when cancelled. dirFilters narrows the listing
    // (QDir::Executable for programs); 0 lists every file.
    QString getOpenFileName(const QString &caption, const QString &directory,
                            const QStringList &nameFilters, QDir::Filters dirFilters = {});
    // The file to write, with defaultSuffix added when the chosen name has no suffix; empty when
    // cancelled. proposed is the folder or file name offered first.
    QString getSaveFileName(const QString &caption, const QString &proposed,
                            const QStringList &nameFilters, const QString &defaultSuffix);

    // An existing folder chosen by the user, starting at directory; empty when cancelled.
    QString getExistingDirectory(const QString &caption, const QString &directory);

    void setParentWidget(QWidget *parent) { m_parent = parent; }

    // The next dialog answers name (a file or folder) without being shown; an empty name
    // answers Cancel.
    void queueFileName(const QString &name) { m_names.append(name); }
    qsizetype queuedFileNames() const { return m_names.size(); }
    // Off in tests: no dialog is ever shown; with nothing queued a dialog answers Cancel.
    void setInteractive(bool interactive) { m_interactive = interactive; }

    const QList<Request> &requests() const { return m_requests; }

private:
    QString answer(const Request &request, const QString &defaultSuffix, QDir::Filters dirFilters);

    QPointer<QWidget> m_parent;
    QStringList m_names;
    QList<Request> m_requests;
    bool m_interactive = true;
};
