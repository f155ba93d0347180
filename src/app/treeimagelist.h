// TreeImageList, the one set of 16 by 16 icons every object tree shows, indexed as the
// objects' getTreeIcon answers (0 site … 6 nested content group, 8 and 9 folders).
#pragma once

#include <QIcon>
#include <QList>

class TreeImageList
{
public:
    static constexpr int kSite = 0;
    static constexpr int kHierarchy = 1;
    static constexpr int kCategory = 2;
    static constexpr int kLinkMenu = 3;
    static constexpr int kPage = 4;
    static constexpr int kPageGroup = 5;
    static constexpr int kNestedGroup = 6;
    static constexpr int kContent = 7;
    static constexpr int kFolder = 8;
    static constexpr int kOpenFolder = 9;
    static constexpr int kCount = 10;

    // Made on first use, released when the application object goes (icons must not outlive it).
    static const TreeImageList &shared();

    // A null icon for an index outside the list.
    QIcon icon(int index) const;
    // The icon for an item whose normal and selected images differ.
    QIcon icon(int index, int selectedIndex) const;
    int count() const { return int(m_icons.size()); }

private:
    TreeImageList();

    QList<QIcon> m_icons;
    QList<QPixmap> m_pixmaps;
};
