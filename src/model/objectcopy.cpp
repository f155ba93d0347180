// Deep clones and fresh identities of document objects.
#include "model/objectcopy.h"

#include "model/qcategory.h"
#include "model/qclassification.h"
#include "model/qcondition.h"
#include "model/qcontent.h"
#include "model/qcontentgroup.h"
#include "model/qgenre.h"
#include "model/qobjectbox.h"
#include "model/qpage.h"
#include "model/qsite.h"

namespace velmo {

namespace {

template<class T>
std::unique_ptr<QObject> cloneAs(const T &source)
{
    auto copy = std::make_unique<T>();
    copy->CopyFrom(source);
    return copy;
}

template<class List>
void renewChildren(QObject *owner, List &list)
{
    for (QObject *child : list) {
        child->SetParent(owner);
        AssignFreshIds(child);
    }
}

} // namespace

std::unique_ptr<QObject> cloneObject(const QObject &object)
{
    // The real class decides, not the stored class code.
    if (auto *site = dynamic_cast<const QSite *>(&object))
        return cloneAs(*site);
    if (auto *classification = dynamic_cast<const QClassification *>(&object))
        return cloneAs(*classification);
    if (auto *category = dynamic_cast<const QCategory *>(&object))
        return cloneAs(*category);
    if (auto *page = dynamic_cast<const QPage *>(&object))
        return cloneAs(*page);
    if (auto *group = dynamic_cast<const QContentGroup *>(&object))
        return cloneAs(*group);
    if (auto *content = dynamic_cast<const QContent *>(&object))
        return cloneAs(*content);
    if (auto *condition = dynamic_cast<const QCondition *>(&object))
        return cloneAs(*condition);
    if (auto *genre = dynamic_cast<const QGenre *>(&object))
        return cloneAs(*genre);
    if (auto *box = dynamic_cast<const QObjectBox *>(&object))
        return cloneAs(*box);
    return cloneAs(object);
}

void AssignFreshIds(QObject *object)
{
    if (object == nullptr)
        return;
    object->id = QID::fresh();
    if (auto *site = dynamic_cast<QSite *>(object)) {
        renewChildren(site, site->classifications);
        renewChildren(site, site->genres);
        site->objectBox.id = QID::fresh();
        renewChildren(&site->objectBox, site->objectBox.items);
    } else if (auto *classification = dynamic_cast<QClassification *>(object)) {
        renewChildren(classification, classification->categories);
        renewChildren(classification, classification->pages);
    } else if (auto *category = dynamic_cast<QCategory *>(object)) {
        renewChildren(category, category->pages);
        renewChildren(category, category->categories);
    } else if (auto *page = dynamic_cast<QPage *>(object)) {
        renewChildren(page, page->contentGroups);
        renewChildren(page, page->conditions);
    } else if (auto *group = dynamic_cast<QContentGroup *>(object)) {
        renewChildren(group, group->subGroups);
        renewChildren(group, group->contents);
        renewChildren(group, group->relatedGroups);
    } else if (auto *box = dynamic_cast<QObjectBox *>(object)) {
        renewChildren(box, box->items);
    }
}

std::unique_ptr<QObject> duplicateSubtree(const QObject &object)
{
    std::unique_ptr<QObject> copy = cloneObject(object);
    AssignFreshIds(copy.get());
    return copy;
}

} // namespace velmo
