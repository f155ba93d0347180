// The template library over a template folder written for each test: the three template
// lists, name resolution by object class, its messages, and the ten-second refresh.
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "model/category.h"
#include "model/clock.h"
#include "model/contentgroup.h"
#include "model/document.h"
#include "model/page.h"
#include "model/site.h"
#include "model/templatelibrary.h"
#include "recordingreporter.h"

using namespace velmo;
using namespace Qt::StringLiterals;

namespace {

const QString kNullObject = u"無効なオブジェクトポインタが指定されました。(CheckTemplateFile)"_s;
const QString kWrongClass = u"無効なオブジェクトタイプが指定されました。(CheckTemplateFile)"_s;
const QString kNoCurrentSite = u"選択サイトが取得できませんでした。"_s;
constexpr qint64 kNow = 1'700'000'000;

void touch(const QString &path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class TestTemplateLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listTemplates();
    void listTemplatesWithoutSite();

    void checkTemplateFile_data();
    void checkTemplateFile();
    void checkTemplateFileRejects();
    void checkTemplateFileWithoutSite();
    void refreshAfterTenSeconds();

private:
    QString templatePath() const { return m_dir->filePath(u"tpl"_s); }
    void addTemplate(const QString &folder, const QString &name)
    {
        touch(templatePath() + folder + u'/' + name);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Document> m_global;
    RecordingReporter m_reporter;
    Site *m_site = nullptr;
};

void TestTemplateLibrary::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_global = std::make_unique<Document>(m_dir->path());
    m_reporter.messages.clear();
    m_global->setReporter(&m_reporter);
    m_site = m_global->createSite();
    m_site->templatePath = templatePath();
    QCOMPARE(m_global->setCurrentSite(m_site), 1);
    setClockOverride(kNow);

    addTemplate(Document::menuTemplateFolderName(), u"menu.template"_s);
    addTemplate(Document::pageTemplateFolderName(), u"top.html"_s);
    addTemplate(Document::pageTemplateFolderName(), u"記事.HTML"_s);
    addTemplate(Document::pageTemplateFolderName(), u"readme.txt"_s);
    addTemplate(Document::contentTemplateFolderName(), u"list.template"_s);
    addTemplate(Document::contentTemplateFolderName(), u"block.template"_s);
    // A folder with a template's extension is not a template.
    QVERIFY(QDir().mkpath(templatePath() + Document::pageTemplateFolderName() + u"/old.html"_s));
}

void TestTemplateLibrary::cleanup()
{
    setClockOverride(std::nullopt);
    m_global.reset();
}

void TestTemplateLibrary::listTemplates()
{
    m_global->pageTemplates = QStringList{u"stale.html"_s};
    QCOMPARE(TemplateLibrary::listTemplates(*m_global), 1);
    QCOMPARE(m_global->menuTemplates, QStringList{u"menu.template"_s});
    QCOMPARE(m_global->pageTemplates, (QStringList{u"top.html"_s, u"記事.HTML"_s}));
    QCOMPARE(m_global->contentTemplates, (QStringList{u"block.template"_s, u"list.template"_s}));
    QCOMPARE(m_global->templatesListedAt, kNow);
    QVERIFY(m_reporter.messages.isEmpty());
}

void TestTemplateLibrary::listTemplatesWithoutSite()
{
    m_global->newDocument();
    m_global->pageTemplates = QStringList{u"stale.html"_s};
    QCOMPARE(TemplateLibrary::listTemplates(*m_global), 0);
    QCOMPARE(m_global->pageTemplates, QStringList{u"stale.html"_s});
    QCOMPARE(m_global->templatesListedAt, 0);
    QCOMPARE(m_reporter.messages, QStringList{kNoCurrentSite});
}

void TestTemplateLibrary::checkTemplateFile_data()
{
    QTest::addColumn<int>("classCode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("folder");

    const QString menu = Document::menuTemplateFolderName();
    const QString page = Document::pageTemplateFolderName();
    const QString content = Document::contentTemplateFolderName();
    // clang-format off
    QTest::newRow("site: menu template")        << int(kClassSite)         << u"menu.template"_s  << 0  << menu;
    QTest::newRow("page: second page template") << int(kClassPage)         << u"記事.HTML"_s      << 1  << page;
    QTest::newRow("group: content template")    << int(kClassContentGroup) << u"list.template"_s  << 1  << content;
    QTest::newRow("page: not in the folder")    << int(kClassPage)         << u"missing.html"_s   << -1 << QString();
    QTest::newRow("page: case differs")         << int(kClassPage)         << u"TOP.html"_s       << -1 << QString();
    QTest::newRow("page: not a template")       << int(kClassPage)         << u"readme.txt"_s     << -1 << QString();
    QTest::newRow("page: a folder")             << int(kClassPage)         << u"old.html"_s       << -1 << QString();
    QTest::newRow("page: menu template name")   << int(kClassPage)         << u"menu.template"_s  << -1 << QString();
    QTest::newRow("site: empty name")           << int(kClassSite)         << QString()           << -1 << QString();
    // clang-format on
}

void TestTemplateLibrary::checkTemplateFile()
{
    QFETCH(int, classCode);
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, folder);

    Page page;
    ContentGroup group;
    velmo::Object *object = classCode == kClassSite   ? static_cast<velmo::Object *>(m_site)
                            : classCode == kClassPage ? static_cast<velmo::Object *>(&page)
                                                      : &group;
    const auto file = TemplateLibrary::checkTemplateFile(*m_global, object, name);
    QCOMPARE(file ? file->index : -1, index);
    if (file) {
        QCOMPARE(file->path, templatePath() + folder + u'/' + name);
        QVERIFY(QFileInfo(file->path).isFile());
    }
    QVERIFY(m_reporter.messages.isEmpty());
}

void TestTemplateLibrary::checkTemplateFileRejects()
{
    const QString name = u"top.html"_s;
    QVERIFY(!TemplateLibrary::checkTemplateFile(*m_global, nullptr, name));
    QCOMPARE(m_reporter.messages, QStringList{kNullObject});

    m_reporter.messages.clear();
    Category category;
    QVERIFY(!TemplateLibrary::checkTemplateFile(*m_global, &category, name));
    QCOMPARE(m_reporter.messages, QStringList{kWrongClass});
}

void TestTemplateLibrary::checkTemplateFileWithoutSite()
{
    Page page;
    m_global->newDocument();
    QVERIFY(!TemplateLibrary::checkTemplateFile(*m_global, &page, u"top.html"_s));
    // Told once, not once by the refresh and again by the lookup.
    QCOMPARE(m_reporter.messages, QStringList{kNoCurrentSite});
}

void TestTemplateLibrary::refreshAfterTenSeconds()
{
    Page page;
    QCOMPARE(TemplateLibrary::listTemplates(*m_global), 1);
    addTemplate(Document::pageTemplateFolderName(), u"new.html"_s);

    // Ten seconds later the lists still stand: the new template is not known yet.
    setClockOverride(kNow + 10);
    const QString name = u"new.html"_s;
    QVERIFY(!TemplateLibrary::checkTemplateFile(*m_global, &page, name));
    QCOMPARE(m_global->templatesListedAt, kNow);

    // One second more and they are read again.
    setClockOverride(kNow + 11);
    const auto file = TemplateLibrary::checkTemplateFile(*m_global, &page, name);
    QVERIFY(file);
    QCOMPARE(file->index, 0);
    QCOMPARE(m_global->templatesListedAt, kNow + 11);

    // A clock set back does not freeze the lists.
    QVERIFY(QFile::remove(templatePath() + Document::pageTemplateFolderName() + u"/new.html"_s));
    setClockOverride(kNow);
    QVERIFY(!TemplateLibrary::checkTemplateFile(*m_global, &page, name));
    QCOMPARE(m_global->templatesListedAt, kNow);
}

QTEST_GUILESS_MAIN(TestTemplateLibrary)
#include "tst_templatelibrary.moc"
