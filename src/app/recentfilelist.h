// The recently opened documents, newest first, kept in the settings' "Recent File List".
#pragma once

#include <QStringList>

class QSettings;

class RecentFileList
{
public:
    static constexpr int kMaxEntries = 10;

    explicit RecentFileList(int maxEntries = kMaxEntries) : m_maxEntries(maxEntries) {}

    // Reads File1 … FileN; empty and repeated entries are skipped.
    void load(QSettings &settings);
    // Rewrites the group with exactly the current entries.
    void save(QSettings &settings) const;

    // Puts path (made absolute) first; an entry for the same file moves up instead of repeating,
    // and the oldest entry beyond the maximum drops out.
    void add(const QString &path);
    void remove(int index);

    const QStringList &files() const { return m_files; }
    int maxEntries() const { return m_maxEntries; }

    // The menu text of entry index (0-based): its number as the mnemonic, then the path.
    static QString menuText(int index, const QString &path);
    static QString groupName();

private:
    QStringList m_files;
    int m_maxEntries;
};
