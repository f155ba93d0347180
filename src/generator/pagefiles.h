// PageFiles, where a site output writes each page and which pages would write the file of a page
// before them in menu order, and which categories would share another's folder.
#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace velmo {
class Category;
class Page;
class Site;
} // namespace velmo

namespace velmo::gen {

class PageFiles
{
public:
    enum class Pages {
        // The pages a site output writes: those with a content group.
        Written,
        // Every page of the menu, as a form sees them: an empty page gets its content later.
        All,
    };

    // A page whose file an earlier page (the home page first, then menu order) writes already.
    struct Clash
    {
        const Page *kept = nullptr;
        const Page *skipped = nullptr;
        // Relative to the working folder.
        QString file;
    };

    explicit PageFiles(Site &site, Pages which = Pages::Written);

    // The file page is written to, relative to the working folder; empty when it is not
    // written or its name cannot be a file name.
    QString fileOf(const Page *page) const { return m_files.value(page); }
    // How many pages are written (or, for Pages::All, listed).
    qsizetype count() const { return m_files.size(); }
    // The page that writes page's file before it, or null.
    const Page *keptInsteadOf(const Page *page) const;
    // The other page that writes page's file, before or after it, or null.
    const Page *clashingWith(const Page *page) const;
    const QList<Clash> &clashes() const { return m_clashes; }
    // Another category whose pages go into category's folder, while neither holds the other.
    const Category *sharingFolderWith(const Category *category) const;

    // "category / page", as messages name a page.
    static QString pageLabel(const Page &page);
    // The message a whole-site output gives for the pages it skipped; empty without any.
    QString skippedMessage() const;

private:
    QHash<const Page *, QString> m_files;
    QList<Clash> m_clashes;
    QHash<QString, QList<const Category *>> m_folders;
    QHash<const Category *, QString> m_folderOf;
};

} // namespace velmo::gen
