// Builds synthetic documents with the proportions of a real one: most objects are content groups
// and their parts, under pages spread over a few levels of categories.
#include "syntheticdocument.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "model/category.h"
#include "model/classification.h"
#include "model/clock.h"
#include "model/condition.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/genre.h"
#include "model/page.h"
#include "model/site.h"

namespace velmo::bench {

namespace {

constexpr qint64 kObjectsPerSite = 25000;
constexpr qint64 kObjectsPerCategory = 250;
constexpr qint64 kMaxCategoriesPerSite = 400;
// The last top category ends in a chain this deep, so that the object a search reaches last sits
// below every other level.
constexpr int kChainDepth = 5;
// Random categories stay at this depth or above, well above the chain's end.
constexpr int kMaxRandomDepth = 3;
constexpr int kTextLength = 200;
constexpr qint64 kPinnedClock = 1700000000;
// Made by Document::createSite: the site, its three hierarchies and its box.
constexpr qint64 kSiteSkeletonObjects = 5;
constexpr int kGenresPerSite = 3;
// The box holds one deleted page with one group: page, group, the group's own part.
constexpr qint64 kBoxObjects = 3;
// The smallest page: the page, one group and the group's own part.
constexpr qint64 kMinPageObjects = 3;

// splitmix64: the same sequence with every standard library, which std distributions are not.
class Random
{
public:
    explicit Random(quint64 seed) : m_state(seed) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Inclusive bounds.
    qint64 between(qint64 low, qint64 high)
    {
        return low + qint64(next() % quint64(high - low + 1));
    }
    bool oneIn(int n) { return next() % quint64(n) == 0; }
    template<class T, size_t N>
    const T &pick(const T (&items)[N])
    {
        return items[next() % N];
    }

private:
    quint64 m_state;
};

const char16_t *const kWords[] = {
    u"本日",       u"私たち",   u"新しい",       u"製品",     u"について",   u"ご案内",
    u"いたします", u"。",       u"、",           u"お客様",   u"皆様",       u"より",
    u"一層",       u"サービス", u"向上",         u"努めて",   u"まいります", u"詳しく",
    u"は",         u"こちら",   u"を",           u"ご覧",     u"ください",   u"季節",
    u"限定",       u"商品",     u"販売",         u"開始",     u"しました",   u"営業時間",
    u"変更",       u"なお",     u"地域",         u"によって", u"異なる",     u"場合",
    u"が",         u"あります", u"ホームページ", u"更新",     u"情報",       u"東京",
    u"大阪",       u"名古屋",   u"店舗",         u"イベント", u"開催",       u"予定",
};

const char16_t *const kCategoryNames[] = {
    u"お知らせ",     u"製品情報", u"会社概要", u"採用情報",   u"ブログ",
    u"よくある質問", u"サポート", u"イベント", u"アーカイブ", u"コラム",
};

struct PartType
{
    const char16_t *name;
    qint32 kind;
};

const PartType kPartTypes[] = {
    {u"本文", Content::kKindLongText}, {u"見出し", Content::kKindShortText},
    {u"リンク先", Content::kKindLink}, {u"画像", Content::kKindImage},
    {u"日付", Content::kKindDateTime}, {u"価格", Content::kKindMoney},
};

const char16_t *const kGenreNames[kGenresPerSite] = {u"ニュース", u"製品", u"コラム"};

// Restores the real clock however generation ends.
class PinnedClock
{
public:
    PinnedClock() { setClockOverride(kPinnedClock); }
    ~PinnedClock() { setClockOverride(std::nullopt); }
    PinnedClock(const PinnedClock &) = delete;
    PinnedClock &operator=(const PinnedClock &) = delete;
};

class Builder
{
public:
    Builder(Document &global, quint64 seed) : m_global(global), m_random(seed) {}

    void buildSite(qint64 objects, int number);
    Content *lastContent() const
    {
        return m_lastTopGroup != nullptr ? m_lastTopGroup->contents.last() : nullptr;
    }

private:
    QString text(int length);
    Category *newCategory();
    void buildCategories(Site &site, qint64 count, std::vector<Category *> &searchOrder);
    // Each returns what it could not use: less than a page.
    qint64 fillCategory(Category &category, qint64 objects);
    void makePage(Category &category, qint64 objects);
    ContentGroup *makeGroup(ContentGroupList &list, Object *owner, qint64 objects);
    void addContent(ContentGroup &group);

    Document &m_global;
    Random m_random;
    int m_categoryNumber = 0;
    int m_pageNumber = 0;
    ObjectId m_previousPage;
    ContentGroup *m_lastTopGroup = nullptr;
};

QString Builder::text(int length)
{
    QString result;
    result.reserve(length + 8);
    while (result.size() < length)
        result += QStringView(m_random.pick(kWords));
    // Every word is in the basic plane, so cutting cannot split a surrogate pair.
    result.truncate(length);
    return result;
}

Category *Builder::newCategory()
{
    auto *category = new Category;
    category->name = QString::fromUtf16(m_random.pick(kCategoryNames)) + u' ' +
                     QString::number(++m_categoryNumber);
    category->memo = text(20);
    return category;
}

void appendInSearchOrder(Category *category, std::vector<Category *> &out)
{
    // A category's pages are searched before its sub-categories, so pre-order is search order.
    out.push_back(category);
    for (Category *child : category->categories)
        appendInSearchOrder(child, out);
}

void Builder::buildCategories(Site &site, qint64 count, std::vector<Category *> &searchOrder)
{
    Classification *menu = site.classifications.first();
    const qint64 topCount = std::min<qint64>(m_random.between(3, 6), count - kChainDepth);
    std::vector<std::pair<Category *, int>> parents;
    for (qint64 i = 0; i < topCount; ++i) {
        Category *top = newCategory();
        menu->categories.add(top, menu);
        parents.emplace_back(top, 1);
    }
    for (qint64 i = topCount + kChainDepth; i < count; ++i) {
        const auto [parent, depth] = parents[size_t(m_random.next() % parents.size())];
        Category *child = newCategory();
        parent->categories.add(child, parent);
        if (depth + 1 < kMaxRandomDepth)
            parents.emplace_back(child, depth + 1);
    }
    // Added last, the chain is the last branch of the last top category.
    Category *tail = menu->categories.last();
    for (int i = 0; i < kChainDepth; ++i) {
        Category *child = newCategory();
        tail->categories.add(child, tail);
        tail = child;
    }
    for (Category *top : menu->categories)
        appendInSearchOrder(top, searchOrder);
}

void Builder::buildSite(qint64 objects, int number)
{
    Site *site = m_global.createSite();
    site->name = QStringLiteral("サイト%1").arg(number);
    site->homeTitle = text(30);
    site->summary = text(80);
    site->siteUrl = QStringLiteral("https://example.jp/site%1/").arg(number);
    site->keywords = QStringLiteral("お知らせ,製品,イベント");
    site->author = QStringLiteral("山田太郎");
    qint64 left = objects - kSiteSkeletonObjects;

    for (const char16_t *genreName : kGenreNames) {
        auto *genre = new Genre;
        genre->name = QString::fromUtf16(genreName);
        site->genres.add(genre, site);
    }
    left -= kGenresPerSite;

    auto *deleted = new Page;
    deleted->name = QStringLiteral("削除したページ");
    makeGroup(deleted->contentGroups, deleted, kBoxObjects - 1);
    site->objectBox.putInBox(deleted);
    left -= kBoxObjects;

    const qint64 categoryCount =
        std::clamp<qint64>(objects / kObjectsPerCategory, kChainDepth + 3, kMaxCategoriesPerSite);
    std::vector<Category *> categories;
    buildCategories(*site, categoryCount, categories);
    left -= categoryCount;

    // Pages are shared out by random weights; the cumulative share keeps the sum exact.
    std::vector<qint64> weights;
    qint64 totalWeight = 0;
    for (size_t i = 0; i < categories.size(); ++i) {
        weights.push_back(m_random.between(1, 4));
        totalWeight += weights.back();
    }
    // The chain's end must get pages, or the last object would be elsewhere.
    totalWeight += 4 - weights.back();
    weights.back() = 4;
    qint64 assigned = 0;
    qint64 cumulativeWeight = 0;
    qint64 carried = 0;
    for (size_t i = 0; i < categories.size(); ++i) {
        cumulativeWeight += weights[i];
        const qint64 upTo = left * cumulativeWeight / totalWeight;
        carried = fillCategory(*categories[i], upTo - assigned + carried);
        assigned = upTo;
    }
    // Fewer objects than a page are left at most; they become parts of the last group.
    for (; carried > 0; --carried)
        addContent(*m_lastTopGroup);
}

qint64 Builder::fillCategory(Category &category, qint64 objects)
{
    while (objects >= kMinPageObjects) {
        qint64 size = m_random.between(10, 36);
        if (objects - size < kMinPageObjects)
            size = objects;
        makePage(category, size);
        objects -= size;
    }
    return objects;
}

void Builder::makePage(Category &category, qint64 objects)
{
    auto *page = new Page;
    ++m_pageNumber;
    page->name = QStringLiteral("ページ%1").arg(m_pageNumber);
    page->title = text(24);
    page->summary = text(60);
    page->keywords = QStringLiteral("キーワード,検索,案内");
    page->templateName = QStringLiteral("標準ページ");
    page->fileName = QStringLiteral("page_%1").arg(m_pageNumber);
    category.pages.add(page, &category);
    qint64 left = objects - 1;

    if (left >= 4 && !m_previousPage.isNull() && m_random.oneIn(8)) {
        auto *condition = new Condition;
        condition->targets = {m_previousPage};
        condition->mode = 1;
        condition->firstText = QStringLiteral("前のページ");
        page->conditions.add(condition, page);
        --left;
    }
    m_previousPage = page->id;

    while (left >= 2) {
        qint64 size = 1 + m_random.between(1, 5);
        if (left - size < 2)
            size = left;
        m_lastTopGroup = makeGroup(page->contentGroups, page, size);
        left -= size;
    }
}

ContentGroup *Builder::makeGroup(ContentGroupList &list, Object *owner, qint64 objects)
{
    // The constructor has already made the group's own part, "内容".
    auto *group = new ContentGroup;
    group->name = text(12);
    group->templateName = QStringLiteral("標準コンテンツ");
    group->contents.first()->value = text(kTextLength);
    list.add(group, owner);
    qint64 extra = objects - 2;
    if (extra >= 4 && m_random.oneIn(6)) {
        const qint64 size = m_random.between(2, 4);
        makeGroup(group->subGroups, group, size);
        extra -= size;
    }
    for (; extra > 0; --extra)
        addContent(*group);
    return group;
}

void Builder::addContent(ContentGroup &group)
{
    const PartType &type = m_random.pick(kPartTypes);
    auto *content = new Content;
    content->name = QString::fromUtf16(type.name);
    content->kind = type.kind;
    content->value = text(kTextLength);
    group.addContent(content);
}

template<class List>
qint64 countList(const List &list);

qint64 countTree(const Object &object)
{
    if (auto *site = dynamic_cast<const Site *>(&object)) {
        return 1 + countList(site->classifications) + countList(site->genres) +
               countTree(site->objectBox);
    }
    if (auto *box = dynamic_cast<const ObjectBox *>(&object)) {
        // The box writes only its categories, pages and content groups.
        qint64 n = 1;
        for (const Object *item : box->items) {
            if (object_cast<Category>(item) || object_cast<Page>(item) ||
                object_cast<ContentGroup>(item))
                n += countTree(*item);
        }
        return n;
    }
    if (auto *classification = dynamic_cast<const Classification *>(&object))
        return 1 + countList(classification->categories) + countList(classification->pages);
    if (auto *category = dynamic_cast<const Category *>(&object))
        return 1 + countList(category->pages) + countList(category->categories);
    if (auto *page = dynamic_cast<const Page *>(&object))
        return 1 + countList(page->contentGroups) + countList(page->conditions);
    if (auto *group = dynamic_cast<const ContentGroup *>(&object)) {
        return 1 + countList(group->subGroups) + countList(group->contents) +
               countList(group->relatedGroups);
    }
    return 1;
}

template<class List>
qint64 countList(const List &list)
{
    qint64 n = 0;
    for (const Object *element : list)
        n += countTree(*element);
    return n;
}

} // namespace

SyntheticDocument generateSyntheticDocument(qint64 objectCount, quint64 seed)
{
    const PinnedClock pinned;
    SyntheticDocument document;
    document.global = std::make_unique<Document>();
    Document &global = *document.global;
    global.addBuiltInCatalogue();

    qint64 left = std::max(objectCount, kMinimumSyntheticObjects) - countObjects(global);
    const qint64 siteCount = std::max<qint64>(1, (left + kObjectsPerSite - 1) / kObjectsPerSite);
    Builder builder(global, seed);
    for (qint64 i = 0; i < siteCount; ++i) {
        const qint64 objects = left / (siteCount - i);
        builder.buildSite(objects, int(i + 1));
        left -= objects;
    }

    document.lastObject = builder.lastContent();
    document.lastObjectId = builder.lastContent()->id;
    document.objectCount = countObjects(global);
    return document;
}

qint64 countObjects(const Document &global)
{
    return countList(global.contentTypes) + countList(global.partTypes) + countList(global.sites);
}

} // namespace velmo::bench
