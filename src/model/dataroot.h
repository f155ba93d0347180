// DataRoot: where the program keeps template/, web/, temporary/ and user_image/ — chosen from
// the command line, the environment, the executable's folder or the user's data folder.
#pragma once

#include <QString>

namespace velmo {

class DataRoot
{
public:
    // The first that applies: homeOption (--home), the VELMO_HOME variable, executableFolder
    // when it holds template/ and is writable, else $XDG_DATA_HOME/velmo (~/.local/share/velmo),
    // created and seeded from installedShareFolder with template/ when it has none, and with
    // user_image/sample/ when it has no user_image/ yet.
    // Returns an absolute path without a trailing "/".
    static QString resolve(const QString &homeOption, const QString &executableFolder,
                           const QString &installedShareFolder);
};

} // namespace velmo
