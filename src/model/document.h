// Document, the root of the document: the content-type and part-type catalogues and the sites,
// plus the run-time state that the program's parts share (current site, preview areas,
// template lists, external programs, preview address).
#pragma once

#include <array>
#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

#include "model/objectlist.h"

namespace velmo {

class MessageReporter;
class Object;

// One optional area of the page templates for previews: on/off and its marker pattern.
struct PreviewArea
{
    int on = 1;
    QString pattern;
    friend bool operator==(const PreviewArea &, const PreviewArea &) = default;
};

// Paths of the external programs the user configured; empty means not configured.
struct ExternalProgramSettings
{
    std::array<QString, 3> browserPaths;
    std::array<QString, 3> editorPaths;
    std::array<QString, 3> graphicsEditorPaths;
};

// What became of an object handed to deleteToStorage.
enum class StorageResult {
    // The parent could not be told or refused; the object stays where it was.
    NotDetached,
    // The object is now in the current site's storage box.
    Stored,
    // Detached but no site could take it: the object was destroyed.
    Destroyed,
};

class Document
{
public:
    // programFolder is the data root that holds template/, web/, temporary/ and user_image/.
    explicit Document(const QString &programFolder = QString());
    ~Document();
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    // The file record: tag and the three lists. Load first empties the model.
    int store(Archive &ar) const;
    int load(Archive &ar);

    // The model's part of "new": sites, current site and preview areas go; catalogues stay.
    void newDocument();
    // The built-in part types and content type, appended once per run and never twice: an
    // entry whose fixed identity is already in the catalogue is left alone.
    void addBuiltInCatalogue();

    // A new site on the sample template, appended to the sites; marks the document modified.
    Site *createSite();
    // Takes site out of the sites and destroys it with everything it owns; when it was the
    // current site there is none afterwards. Marks the document modified. 0 when site is not
    // one of the sites.
    int deleteSite(Site *site);

    // The selected site, when it is still one of the document's sites and the site at the root
    // of the navigation tree; otherwise reports and returns null.
    Site *getCurrentSite();
    // Accepts only a site of this document (that very object); reports otherwise.
    int setCurrentSite(Object *site);
    // The current site without the checks and messages (for displays that may show none).
    Site *currentSiteUnchecked() const { return m_currentSite; }

    // True when object is one of the sites, or lies below one (its storage box included).
    // object must exist; for a pointer that may be stale, compare with the sites first.
    bool owns(const Object *object) const;

    // Moves a category, page or content group from its parent into the current site's box.
    StorageResult deleteToStorage(Object *object);

    void report(const QString &message) const;
    void setReporter(MessageReporter *reporter);
    MessageReporter *reporter() const { return m_reporter; }

    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

    const QString &programFolder() const { return m_programFolder; }
    const QString &webFolder() const { return m_webFolder; }
    const QString &temporaryFolder() const { return m_temporaryFolder; }
    const QString &sampleTemplateFolder() const { return m_sampleTemplateFolder; }
    // Sub-folders of a template folder, with their leading separator.
    static QString pageTemplateFolderName() { return QStringLiteral("/ページテンプレート"); }
    static QString menuTemplateFolderName() { return QStringLiteral("/メニューテンプレート"); }
    static QString contentTemplateFolderName() { return QStringLiteral("/コンテンツテンプレート"); }
    static QString cssFolderName() { return QStringLiteral("/css"); }
    static QString templateImageFolderName() { return QStringLiteral("/template_image"); }

    // The document.
    ContentGroupList contentTypes;
    ContentList partTypes;
    SiteList sites;

    // Run-time state, never stored.
    // 0 while a whole site is output (every optional area counts as on), else 1.
    int previewAreaFlag = 0;
    QList<PreviewArea> previewAreas;
    QStringList menuTemplates;
    QStringList pageTemplates;
    QStringList contentTemplates;
    qint64 templatesListedAt = 0;
    ExternalProgramSettings externalPrograms;
    QString previewAddress;

    // Set by the GUI's navigation form: the object at the root of its menu tree, and how to
    // empty the tree. Without them the model skips the tree check and the clearing.
    std::function<Object *()> navigationTreeRoot;
    std::function<void()> clearNavigationTree;

private:
    QString m_programFolder;
    QString m_webFolder;
    QString m_temporaryFolder;
    QString m_sampleTemplateFolder;
    Site *m_currentSite = nullptr;
    MessageReporter *m_reporter = nullptr;
    bool m_modified = false;
    bool m_builtInCatalogueAdded = false;
};

} // namespace velmo
