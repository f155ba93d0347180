// The recent-file list and its place in the settings.
#include "app/recentfilelist.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

QString normalized(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString keyName(int number)
{
    return u"File%1"_s.arg(number);
}

} // namespace

QString RecentFileList::groupName()
{
    return u"Recent File List"_s;
}

void RecentFileList::load(QSettings &settings)
{
    m_files.clear();
    settings.beginGroup(groupName());
    for (int number = 1; number <= m_maxEntries; ++number) {
        const QString path = settings.value(keyName(number)).toString();
        if (!path.isEmpty() && !m_files.contains(normalized(path)))
            m_files.append(normalized(path));
    }
    settings.endGroup();
}

void RecentFileList::save(QSettings &settings) const
{
    settings.beginGroup(groupName());
    settings.remove(QString());
    for (int i = 0; i < m_files.size(); ++i)
        settings.setValue(keyName(i + 1), m_files.at(i));
    settings.endGroup();
    settings.sync();
}

void RecentFileList::add(const QString &path)
{
    if (path.isEmpty())
        return;
    const QString entry = normalized(path);
    m_files.removeAll(entry);
    m_files.prepend(entry);
    while (m_files.size() > m_maxEntries)
        m_files.removeLast();
}

void RecentFileList::remove(int index)
{
    if (index >= 0 && index < m_files.size())
        m_files.removeAt(index);
}

QString RecentFileList::menuText(int index, const QString &path)
{
    // The tenth entry takes the 0 of its "10" as mnemonic, so that 1 to 9 stay unique.
    const int number = index + 1;
    const QString label = number < 10    ? u"&%1"_s.arg(number)
                          : number == 10 ? u"1&0"_s
                                         : QString::number(number);
    QString shown = QDir::toNativeSeparators(path);
    shown.replace(u'&', u"&&"_s);
    return label + u' ' + shown;
}
