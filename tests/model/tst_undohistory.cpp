// The undo history over the one writer: every kind of change undone to the byte of the dump and
// redone to the state it made, typing merged into one step, the cap, the saved state, and the
// objects the history holds destroyed exactly once.
#include <cstdio>
#include <functional>
#include <memory>

#include <QTest>

#include "cli/documentdump.h"
#include "model/category.h"
#include "model/classification.h"
#include "model/content.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/documentwriter.h"
#include "model/objectcommands.h"
#include "model/page.h"
#include "model/site.h"
#include "model/undohistory.h"
#include "recordingreporter.h"

using namespace Qt::StringLiterals;
using Command = velmo::ObjectCommands::Command;
using velmo::Field;

namespace {

// Two sites: the first with categories A (pages P1, P2; sub-category A1) and B, a content group
// G on P1 with a sub-group, and a page S already in its storage box.
struct Fixture
{
    Fixture()
    {
        document.setReporter(&reporter);
        site = document.createSite();
        site->name = u"一"_s;
        other = document.createSite();
        other->name = u"二"_s;
        menu = site->classifications.at(0);
        a = category(menu, u"A"_s);
        b = category(menu, u"B"_s);
        a1 = category(a, u"A1"_s);
        p1 = page(a, u"P1"_s);
        p2 = page(a, u"P2"_s);
        g = new velmo::ContentGroup;
        g->name = u"G"_s;
        p1->contentGroups.add(g, p1);
        auto *sub = new velmo::ContentGroup;
        g->subGroups.add(sub, g);
        stored = new velmo::Page;
        stored->name = u"S"_s;
        b->linkTitle = u"古い題"_s;
        site->objectBox.putInBox(stored);
        document.setCurrentSite(site);
        document.previewAreas = {{1, u"<!--__a__-->(*)"_s}, {1, u"<!--__b__-->(*)"_s}};
    }

    static velmo::Category *category(velmo::Object *parent, const QString &name)
    {
        auto *created = new velmo::Category;
        created->name = name;
        if (auto *owner = velmo::object_cast<velmo::Classification>(parent))
            owner->categories.add(created, owner);
        else
            static_cast<velmo::Category *>(parent)->categories.add(created, parent);
        return created;
    }

    static velmo::Page *page(velmo::Category *parent, const QString &name)
    {
        auto *created = new velmo::Page;
        created->name = name;
        parent->pages.add(created, parent);
        return created;
    }

    // What an undo must bring back: every stored byte as velmo-cli dump writes it, and the
    // run-time state the history also covers.
    QByteArray state() const
    {
        std::FILE *file = std::tmpfile();
        if (file == nullptr || !velmo::DocumentDump::write(document, file))
            return {};
        QByteArray bytes(std::ftell(file), '\0');
        std::rewind(file);
        const size_t read = std::fread(bytes.data(), 1, size_t(bytes.size()), file);
        std::fclose(file);
        bytes.truncate(qsizetype(read));
        const velmo::Site *current = document.currentSiteUnchecked();
        bytes += "\ncurrent: " + (current != nullptr ? current->id.toText() : u"-"_s).toUtf8();
        for (const velmo::PreviewArea &area : document.previewAreas)
            bytes += "\narea " + area.pattern.toUtf8() + ' ' + QByteArray::number(area.on);
        return bytes;
    }

    RecordingReporter reporter;
    velmo::Document document;
    velmo::UndoHistory history;
    velmo::DocumentWriter writer{document, history};
    velmo::Site *site = nullptr;
    velmo::Site *other = nullptr;
    velmo::Classification *menu = nullptr;
    velmo::Category *a = nullptr;
    velmo::Category *a1 = nullptr;
    velmo::Category *b = nullptr;
    velmo::Page *p1 = nullptr;
    velmo::Page *p2 = nullptr;
    velmo::Page *stored = nullptr;
    velmo::ContentGroup *g = nullptr;
};

using Edit = std::function<void(Fixture &)>;

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestUndoHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyChangeUndoesAndRedoes_data();
    void everyChangeUndoesAndRedoes();
    void typingIsOneStepUntilItEnds();
    void failedCommandsLeaveNoStep();
    void savedStateFollowsUndo();
    void forgottenStepsDestroyWhatTheyHold();
};

void TestUndoHistory::everyChangeUndoesAndRedoes_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<int>("steps");

    const auto row = [](const char *name, int steps, Edit edit) {
        QTest::newRow(name) << edit << steps;
    };
    row("new category", 1, [](Fixture &f) { f.writer.runMenuCommand(Command::NewCategory, f.a); });
    row("new page", 1, [](Fixture &f) { f.writer.runMenuCommand(Command::NewPage, f.b); });
    row("new plug-in page", 1, [](Fixture &f) {
        f.writer.runMenuCommand(Command::NewPluginPage, f.site->classifications.at(1));
    });
    row("new content group", 1,
        [](Fixture &f) { f.writer.runMenuCommand(Command::NewContentGroup, f.g); });
    row("delete category with its pages", 1,
        [](Fixture &f) { f.writer.runMenuCommand(Command::DeleteCategory, f.a); });
    row("delete page", 1, [](Fixture &f) { f.writer.runMenuCommand(Command::DeletePage, f.p2); });
    row("delete content group", 1,
        [](Fixture &f) { f.writer.runMenuCommand(Command::DeleteContentGroup, f.g); });
    row("empty the storage box", 2, [](Fixture &f) {
        f.writer.deleteToStorage(f.b);
        f.history.closeMerge();
        f.writer.emptyStorage(f.site);
    });
    row("cut and paste", 2, [](Fixture &f) {
        f.writer.cut(f.p1);
        f.writer.paste(f.b);
    });
    row("copy and paste twice", 2, [](Fixture &f) {
        f.writer.copy(f.a);
        f.writer.paste(f.b);
        f.writer.paste(f.b);
    });
    row("up from the first", 1, [](Fixture &f) { f.writer.moveWithinList(f.p1, true); });
    row("down", 1, [](Fixture &f) { f.writer.moveWithinList(f.a, false); });
    row("drop a category", 1, [](Fixture &f) { f.writer.drop(f.a, f.b, false); });
    row("drop back from the box", 1, [](Fixture &f) { f.writer.drop(f.stored, f.a1, false); });
    row("copy by drop", 1, [](Fixture &f) { f.writer.drop(f.p1, f.b, true); });
    row("rename", 1, [](Fixture &f) { f.writer.rename(f.p1, u"新しい名前"_s); });
    row("page fields", 3, [](Fixture &f) {
        f.writer.setField(f.p1, Field::Title, u"題"_s);
        f.writer.setField(f.p1, Field::Summary, u"一行目\r\n二行目"_s);
        f.writer.setTemplateName(f.p1, u"wide.html"_s);
    });
    row("category fields", 3, [](Fixture &f) {
        f.writer.setField(f.a, Field::FolderName, u"news"_s);
        f.writer.setField(f.a, Field::Enabled, qint32(0));
        f.writer.setField(f.a, Field::Memo, u"メモ"_s);
    });
    row("link menu and its target", 2, [](Fixture &f) {
        f.writer.setLinkMenu(f.b, true);
        f.writer.setLinkTarget(f.b, f.p2);
    });
    row("content", 1, [](Fixture &f) {
        f.writer.setField(f.g->contents.first(), Field::Value, u"<p>本文</p>"_s);
    });
    row("site fields", 4, [](Fixture &f) {
        f.writer.setField(f.site, Field::SiteUrl, u"https://example.jp/"_s);
        f.writer.setField(f.site, velmo::levelNameField(3), u"第四"_s);
        f.writer.setField(f.site, Field::MainCss, u"dark.css"_s);
        f.writer.setField(f.site, Field::TemplatePath, u"/elsewhere"_s);
    });
    row("new site", 1, [](Fixture &f) { f.writer.createSite(u"三"_s); });
    row("delete the current site", 1, [](Fixture &f) { f.writer.deleteSite(f.site); });
    row("site order", 1, [](Fixture &f) { f.writer.moveWithinList(f.other, true); });
    row("preview options", 1, [](Fixture &f) {
        QList<velmo::PreviewArea> areas = f.document.previewAreas;
        areas[1].on = 0;
        f.writer.setPreviewAreas(areas);
    });
}

void TestUndoHistory::everyChangeUndoesAndRedoes()
{
    QFETCH(Edit, edit);
    QFETCH(int, steps);

    Fixture f;
    const QByteArray before = f.state();
    QVERIFY(!before.isEmpty());
    edit(f);
    const QByteArray after = f.state();
    QVERIFY(after != before);
    QCOMPARE(f.history.count(), steps);
    QVERIFY(f.reporter.messages.isEmpty());

    while (f.history.canUndo())
        f.history.undo();
    QCOMPARE(f.state(), before);
    while (f.history.canRedo())
        f.history.redo();
    QCOMPARE(f.state(), after);
    // And back once more: a redone step undoes as well as a fresh one.
    while (f.history.canUndo())
        f.history.undo();
    QCOMPARE(f.state(), before);
}

void TestUndoHistory::typingIsOneStepUntilItEnds()
{
    Fixture f;
    for (const QString &typed : {u"P"_s, u"Pa"_s, u"Pag"_s, u"Page"_s})
        f.writer.rename(f.p1, typed);
    QCOMPARE(f.history.count(), 1);
    QCOMPARE(f.history.undoText(), u"ページ名の変更"_s);
    // Another field, or the end of the burst, starts a step of its own.
    f.writer.setField(f.p1, Field::Title, u"T"_s);
    QCOMPARE(f.history.count(), 2);
    f.writer.endTyping();
    f.writer.setField(f.p1, Field::Title, u"Ti"_s);
    QCOMPARE(f.history.count(), 3);
    f.history.undo();
    QCOMPARE(f.p1->title, u"T"_s);
    f.history.undo();
    f.history.undo();
    QCOMPARE(f.p1->name, u"P1"_s);

    // Typing that returns to where it began leaves nothing to undo.
    f.history.clear();
    f.writer.rename(f.p2, u"P2x"_s);
    f.writer.rename(f.p2, u"P2"_s);
    QCOMPARE(f.history.count(), 0);
    QVERIFY(f.history.isClean());
}

void TestUndoHistory::failedCommandsLeaveNoStep()
{
    Fixture f;
    f.writer.rename(f.p1, u"P1"_s);                            // the same name
    f.writer.drop(f.a, f.a1, false);                           // into itself
    f.writer.drop(f.p1, f.p2, false);                          // no list for it
    f.writer.setField(f.p1, Field::FolderName, u"x"_s);        // no such field
    f.writer.moveWithinList(f.menu, true);                     // not reordered by the user
    f.writer.runMenuCommand(Command::NewPage, f.p1);           // the command's wrong target
    QVERIFY(f.writer.paste(f.a) == nullptr);                   // nothing copied yet
    f.writer.runMenuCommand(Command::DeletePage, f.stored);    // already in the box
    QCOMPARE(f.history.count(), 0);
    QCOMPARE(f.reporter.messages.size(), 1);

    // A new step drops what could have been redone.
    f.writer.rename(f.p1, u"x"_s);
    f.history.undo();
    QVERIFY(f.history.canRedo());
    f.writer.rename(f.p2, u"y"_s);
    QVERIFY(!f.history.canRedo());
}

void TestUndoHistory::savedStateFollowsUndo()
{
    Fixture f;
    f.history.setClean();
    f.writer.rename(f.p1, u"x"_s);
    QVERIFY(!f.history.isClean());
    f.history.undo();
    QVERIFY(f.history.isClean());
    // The preview options are not in the file.
    QList<velmo::PreviewArea> areas = f.document.previewAreas;
    areas[0].on = 0;
    f.writer.setPreviewAreas(areas);
    QVERIFY(f.history.isClean());
    f.writer.rename(f.p1, u"x"_s);
    QVERIFY(!f.history.isClean());

    // Once the saved state has fallen off the capped history, nothing leads back to it.
    f.history.setLimit(2);
    f.history.undo();
    QVERIFY(f.history.isClean());
    for (const QString &name : {u"1"_s, u"2"_s, u"3"_s}) {
        f.writer.rename(f.p2, name);
        f.writer.endTyping();
    }
    QCOMPARE(f.history.count(), 2);
    while (f.history.canUndo())
        f.history.undo();
    QVERIFY(!f.history.isClean());
}

void TestUndoHistory::forgottenStepsDestroyWhatTheyHold()
{
    Fixture f;
    f.history.setLimit(3);
    // A site taken out lives in its step; undone placings live in theirs.
    const velmo::ObjectRef deleted(f.other);
    f.writer.deleteSite(f.other);
    velmo::Object *created = f.writer.runMenuCommand(Command::NewPage, f.b);
    const velmo::ObjectRef made(created);
    f.history.undo();
    QVERIFY(made.get() != nullptr);
    QVERIFY(deleted.get() != nullptr);
    // A new step drops the undone one, and the page it made goes with it.
    f.writer.rename(f.p1, u"x"_s);
    QVERIFY(made.get() == nullptr);
    // Past the cap the oldest step goes, and the site it held with it.
    f.writer.endTyping();
    f.writer.rename(f.p1, u"y"_s);
    f.writer.endTyping();
    QVERIFY(deleted.get() != nullptr);
    f.writer.rename(f.p1, u"z"_s);
    QVERIFY(deleted.get() == nullptr);
    QCOMPARE(f.history.count(), 3);

    // A cut page stays with its step; paste places a copy with the same identity.
    const velmo::ObjectId id = f.p2->id;
    f.writer.cut(f.p2);
    velmo::Object *pasted = f.writer.paste(f.b);
    QVERIFY(pasted != nullptr && pasted != f.p2);
    QCOMPARE(pasted->id, id);
    // A second paste must not give the same identity twice.
    QVERIFY(f.writer.paste(f.b)->id != id);
}

QTEST_GUILESS_MAIN(TestUndoHistory)
#include "tst_undohistory.moc"
