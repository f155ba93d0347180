// Writing and reading the small UTF-8 files (templates, pages) that generator tests lay out.
#pragma once

#include <QTest>

#include "model/fileutil.h"

// Creates the folders on the way; fails the calling test when the file cannot be written.
inline void writeFile(const QString &path, const QString &text)
{
    QVERIFY(velmo::createFolderPath(path));
    QVERIFY(velmo::writeTextFileIfChanged(text, path) > 0);
}

// The file's text, or an empty text when it cannot be read.
inline QString readFile(const QString &path)
{
    return velmo::readTextFile(path).value_or(QString());
}
