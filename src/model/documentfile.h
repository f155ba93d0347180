// Opening and saving .vlm documents: the whole model is read from or written to one file,
// and a failure is reported without losing the previous file.
#pragma once

#include <functional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace velmo {

class Document;

class DocumentFile
{
public:
    // Opens path as the application opens a document: an empty file changes nothing; any other
    // file resets the model as for "new" and reads it. When the file cannot be read, the open
    // fails with a message, the sites are cleared and what was read of the catalogues stays.
    static bool open(Document &global, const QString &path);
    // The same, running afterMapping once the file is mapped and before it is read: tests change
    // the file there as another program could.
    static bool open(Document &global, const QString &path,
                     const std::function<void()> &afterMapping);
    // The same from bytes already in memory. On failure error receives the archive's technical
    // account and userError the sentence a user is shown.
    static bool openBytes(Document &global, QByteArrayView bytes, QString *error = nullptr,
                          QString *userError = nullptr);

    // Writes the whole model to path through a temporary file that replaces path only when
    // complete. Reports and returns false on failure; the old file is then untouched.
    static bool save(const Document &global, const QString &path);
    // The bytes of the whole model; false (with the message in error) when a value cannot be
    // written.
    static bool toBytes(const Document &global, QByteArray &out, QString *error = nullptr);
};

} // namespace velmo
