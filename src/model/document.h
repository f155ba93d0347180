// Document, the root of the document: the content-type and part-type catalogues and the sites,
// plus the run-time state that the program's parts share (current site, preview areas,
// template lists, external programs, preview address). It announces every change made through
// its edit operations, which the commands of the undo history call.
#pragma once

#include <array>

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "model/objectfield.h"
#include "model/objectlist.h"
#include "model/objectref.h"
#include "model/site.h"

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

class Document : public QObject
{
    Q_OBJECT

public:
    // programFolder is the data root that holds template/, web/, temporary/ and user_image/.
    explicit Document(const QString &programFolder = QString());
    ~Document() override;

    // The file record: tag and the three lists. Load first empties the model.
    int store(Archive &ar) const;
    int load(Archive &ar);

    // The model's part of "new": sites, current site and preview areas go; catalogues stay.
    void newDocument();
    // Takes over incoming's catalogues and sites in place of this document's own, as one reset.
    void replaceContent(Document &incoming);
    // The built-in part types and content type, appended once per run and never twice: an
    // entry whose fixed identity is already in the catalogue is left alone.
    void addBuiltInCatalogue();

    // A new site on the sample template, appended to the sites.
    Site *createSite();

    // The current site, when it is still one of the document's sites; otherwise reports and
    // returns null.
    Site *getCurrentSite();
    // Accepts only a site of this document (that very object); reports otherwise.
    int setCurrentSite(Object *site);
    // The current site without the message (for displays that may show none); null when it
    // went or is no longer one of the sites.
    Site *currentSiteUnchecked() const;

    // True when object is one of the sites or lies below one (its storage box included), and
    // not in something taken out of the document and kept for undo. It walks up the object's
    // parents: for a writer that must not change what the document no longer holds.
    bool holds(const Object *object) const;

    // The edit operations. Only the commands of the undo history call them; each announces
    // what it did.
    //
    // Places a detached object into owner's list for its class at index (-1 or past the end:
    // appended); a null owner takes a site among the sites. False, and nothing done, when
    // owner has no list for the object.
    bool insertObject(Object *owner, Object *object, int index = -1);
    // Takes object out of its owner's list without destroying it; its former index, or -1.
    int takeObject(Object *object);
    // Moves object into newOwner's list for it at index (its own list: reordering). False, and
    // nothing done, when newOwner has no such list.
    bool moveObject(Object *object, Object *newOwner, int index);
    // Writes a field; false when the object has no such field. Announced only when it changed.
    bool setField(Object *object, Field field, const FieldValue &value);
    void setPreviewAreas(const QList<PreviewArea> &areas);

    // object's position in its owner's list, or -1.
    int indexInOwner(const Object *object) const;
    // How many entries the list holding object has (object included); 0 when none holds it.
    int siblingCount(const Object *object) const;
    // Whether owner has a list that takes object.
    bool accepts(const Object *owner, const Object *object) const;

    void report(const QString &message) const;
    void setReporter(MessageReporter *reporter);
    MessageReporter *reporter() const { return m_reporter; }

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

Q_SIGNALS:
    // object, with all it holds, was placed; parent() is its new owner (null: it is a site).
    void objectInserted(velmo::Object *object);
    // object was taken out of formerParent's list (null: the sites); it still exists, held
    // by whoever took it.
    void objectRemoved(velmo::Object *object, velmo::Object *formerParent);
    // object moved within its list or from formerParent's list into its present owner's.
    void objectMoved(velmo::Object *object, velmo::Object *formerParent);
    void objectChanged(velmo::Object *object, velmo::Field field);
    void previewAreasChanged();
    // Everything is about to be replaced (New, Open, a restored recovery): whoever holds an
    // object lets go now. reset follows once the new content is in.
    void aboutToReset();
    void reset();
    void currentSiteChanged(velmo::Site *site);

private:
    template<class F>
    bool withList(Object *owner, const Object *object, F &&f);

    // The identities this document's objects take; made before any object of it.
    qint32 m_sequence = 0;
    SequenceCounterScope m_sequenceScope{m_sequence};
    QString m_programFolder;
    QString m_webFolder;
    QString m_temporaryFolder;
    QString m_sampleTemplateFolder;
    ObjectRef m_currentSite;
    MessageReporter *m_reporter = nullptr;
    bool m_builtInCatalogueAdded = false;
};

} // namespace velmo
