// QObjectBox: a site's temporary storage area.
#include "model/qobjectbox.h"

#include "model/objectcopy.h"
#include "model/qcategory.h"
#include "model/qcontentgroup.h"
#include "model/qpage.h"

namespace velmo {

namespace {

bool isBoxedClass(qint32 code)
{
    return code == kClassCategory || code == kClassPage || code == kClassContentGroup;
}

} // namespace

QObjectBox::QObjectBox()
{
    typeCode = kClassCode;
    name = QStringLiteral("オブジェクトボックス");
}

QObjectBox::~QObjectBox() = default;

void QObjectBox::ClearContents()
{
    items.Clear();
}

int QObjectBox::StoreBody(QArchive &ar) const
{
    ar.writeTag(tags::ObjectBox);
    // The file keeps three lists by class; elements of any other class are not written.
    QCategoryList categories;
    QPageList pages;
    QContentGroupList groups;
    for (QObject *element : items) {
        if (auto *category = object_cast<QCategory>(element))
            categories.appendRaw(category);
        else if (auto *page = object_cast<QPage>(element))
            pages.appendRaw(page);
        else if (auto *group = object_cast<QContentGroup>(element))
            groups.appendRaw(group);
    }
    int ok = 1;
    try {
        ok &= categories.Store(ar);
        ok &= pages.Store(ar);
        ok &= groups.Store(ar);
    } catch (...) {
        categories.Release();
        pages.Release();
        groups.Release();
        throw;
    }
    categories.Release();
    pages.Release();
    groups.Release();
    return ok;
}

int QObjectBox::LoadBody(QArchive &ar)
{
    ar.readTag({tags::ObjectBox});
    QCategoryList categories;
    QPageList pages;
    QContentGroupList groups;
    int ok = categories.Load(ar, this);
    ok &= pages.Load(ar, this);
    ok &= groups.Load(ar, this);
    items.Clear();
    for (QCategory *category : categories)
        items.Add(category, this);
    for (QPage *page : pages)
        items.Add(page, this);
    for (QContentGroup *group : groups)
        items.Add(group, this);
    categories.Release();
    pages.Release();
    groups.Release();
    return ok;
}

int QObjectBox::GetTreeIcon(int) const
{
    return 1;
}

int QObjectBox::RemoveChild(QObject *child)
{
    if (child == nullptr)
        return 0;
    return items.RemoveObject(child);
}

int QObjectBox::AddToTree(TreeItemHandle parentItem, QTreeSink &tree,
                          QList<TreeItemHandle> *inserted, bool restoreState)
{
    const TreeItemHandle item = insertTreeItem(parentItem, tree, inserted, restoreState);
    for (QObject *element : items) {
        if (isBoxedClass(element->typeCode))
            element->AddToTree(item, tree, inserted, restoreState);
    }
    finishTreeItem(parentItem, item, tree);
    return 1;
}

void QObjectBox::ClearOutputMarks() {}

QObject *QObjectBox::FindById(const QID &target)
{
    if (id == target)
        return this;
    for (QObject *element : items) {
        if (isBoxedClass(element->typeCode)) {
            if (QObject *found = element->FindById(target))
                return found;
        } else if (element->id == target) {
            return element;
        }
    }
    return nullptr;
}

void QObjectBox::CopyFrom(const QObjectBox &other)
{
    QObject::CopyFrom(other);
    items.Clear();
    for (const QObject *element : other.items) {
        std::unique_ptr<QObject> copy = cloneObject(*element);
        copy->SetParent(element->parent());
        items.appendRaw(copy.release());
    }
}

int QObjectBox::PutInBox(QObject *object)
{
    return items.Add(object, this);
}

} // namespace velmo
