// The preview area list: patterns collected from the page templates' markers, values kept
// across rescans, and the on/off lookup that page assembly asks.
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "generator/previewareas.h"
#include "model/document.h"
#include "model/site.h"
#include "recordingreporter.h"

using namespace velmo;
using namespace velmo::gen;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QList<velmo::PreviewArea>)

namespace {

const QString kTitle = u"<!--__サイト名__-->(*)"_s;
const QString kMenu = u"<!--__メニュー開始__-->*<!--__メニュー終了__-->"_s;
const QString kAuthor = u"<!--__サイト作者__-->(*)"_s;

} // namespace

class TestPreviewAreas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void collectMarkers();
    void collectMarkersKeepsValues();
    void collectMarkersStartsAfterEachMatchStart();
    void collectMarkersWithoutSite();

    void isMarkerOn_data();
    void isMarkerOn();
    void isMarkerOnWithoutMarkers();

private:
    void writeTemplate(const QString &name, const QString &text)
    {
        const QString path =
            m_dir->filePath(u"tpl"_s) + Document::pageTemplateFolderName() + u'/' + name;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Document> m_global;
    RecordingReporter m_reporter;
};

void TestPreviewAreas::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_global = std::make_unique<Document>(m_dir->path());
    m_reporter.messages.clear();
    m_global->setReporter(&m_reporter);
    Site *site = m_global->createSite();
    site->templatePath = m_dir->filePath(u"tpl"_s);
    QCOMPARE(m_global->setCurrentSite(site), 1);

    // Read in name order: a.html before b.HTML.
    writeTemplate(u"b.HTML"_s, u"<p><!--__サイト作者__-->(著者)</p>\n"
                               u"<!--__サイト名__-->(again)"_s);
    writeTemplate(u"a.html"_s, u"<h1><!--__サイト名__-->(サンプル)</h1>\n"
                               u"<!--__メニュー開始__--><ul></ul><!--__メニュー終了__-->\n"
                               u"<!-- an ordinary comment -->"_s);
    writeTemplate(u"notes.txt"_s, u"<!--__ignored__-->"_s);
}

void TestPreviewAreas::collectMarkers()
{
    m_global->previewAreaFlag = 0;
    QCOMPARE(PreviewAreas::collectMarkers(*m_global), 3);
    QCOMPARE(m_global->previewAreaFlag, 1);
    const QList<PreviewArea> expected{{1, kTitle}, {1, kMenu}, {1, kAuthor}};
    QCOMPARE(m_global->previewAreas, expected);

    // A second scan finds nothing new.
    QCOMPARE(PreviewAreas::collectMarkers(*m_global), 3);
    QCOMPARE(m_global->previewAreas, expected);
    QVERIFY(m_reporter.messages.isEmpty());
}

void TestPreviewAreas::collectMarkersKeepsValues()
{
    const QString gone = u"<!--__消えた__-->(*)"_s;
    m_global->previewAreas = {{0, kAuthor}, {0, gone}};
    QCOMPARE(PreviewAreas::collectMarkers(*m_global), 4);
    const QList<PreviewArea> expected{{0, kAuthor}, {0, gone}, {1, kTitle}, {1, kMenu}};
    QCOMPARE(m_global->previewAreas, expected);
}

void TestPreviewAreas::collectMarkersStartsAfterEachMatchStart()
{
    // The first marker is never closed before the second begins; both are found, the second
    // because the next search starts one character into the first match.
    writeTemplate(u"a.html"_s, u"<!--__外<!--__内__-->(x)"_s);
    writeTemplate(u"b.HTML"_s, QString());
    QCOMPARE(PreviewAreas::collectMarkers(*m_global), 2);
    const QList<PreviewArea> expected{{1, u"<!--__外<!--__内__-->(*)"_s},
                                      {1, u"<!--__内__-->(*)"_s}};
    QCOMPARE(m_global->previewAreas, expected);
}

void TestPreviewAreas::collectMarkersWithoutSite()
{
    m_global->newDocument();
    m_global->previewAreas = {{0, kTitle}};
    QCOMPARE(PreviewAreas::collectMarkers(*m_global), 1);
    QCOMPARE(m_global->previewAreaFlag, 1);
    QCOMPARE(m_reporter.messages, QStringList{u"選択サイトが取得できませんでした。"_s});
}

void TestPreviewAreas::isMarkerOn_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<QList<PreviewArea>>("areas");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("areasAfter");

    const QList<PreviewArea> titleOff{{0, kTitle}, {1, kMenu}};
    const QList<PreviewArea> none;
    // clang-format off
    QTest::newRow("whole-site output: off counts as on") << 0 << titleOff << kTitle       << 1 << 2;
    QTest::newRow("whole-site output: unknown is on")    << 0 << none     << u"x"_s       << 1 << 0;
    QTest::newRow("listed off")                          << 1 << titleOff << kTitle       << 0 << 2;
    QTest::newRow("listed on")                           << 1 << titleOff << kMenu        << 1 << 2;
    QTest::newRow("unlisted: no rescan")                 << 1 << titleOff << kAuthor      << 0 << 2;
    QTest::newRow("exact text only")                     << 1 << titleOff << kMenu + u' ' << 0 << 2;
    QTest::newRow("empty list: rescan finds it")         << 1 << none     << kAuthor      << 1 << 3;
    QTest::newRow("empty list: rescan, still unknown")   << 1 << none     << u"x"_s       << 0 << 3;
    // clang-format on
}

void TestPreviewAreas::isMarkerOn()
{
    QFETCH(int, flag);
    QFETCH(QList<PreviewArea>, areas);
    QFETCH(QString, pattern);
    QFETCH(int, expected);
    QFETCH(int, areasAfter);

    m_global->previewAreaFlag = flag;
    m_global->previewAreas = areas;
    QCOMPARE(PreviewAreas::isMarkerOn(*m_global, pattern), expected);
    QCOMPARE(m_global->previewAreas.size(), areasAfter);
}

void TestPreviewAreas::isMarkerOnWithoutMarkers()
{
    writeTemplate(u"a.html"_s, u"<p>no markers</p>"_s);
    writeTemplate(u"b.HTML"_s, QString());
    m_global->previewAreaFlag = 1;
    QCOMPARE(PreviewAreas::isMarkerOn(*m_global, kTitle), 0);
    QVERIFY(m_global->previewAreas.isEmpty());
}

QTEST_GUILESS_MAIN(TestPreviewAreas)
#include "tst_previewareas.moc"
