// DeployCommand: "velmo-cli deploy" once the site is built — the password from the environment or
// the secret store, the transfer (or with --dry-run only its plan), its lines and exit status.
#pragma once

#include <QString>

#include "deploy/serversettings.h"

class DeployCommand
{
public:
    enum ExitCode { kOk = 0, kFilesFailed = 1, kUsage = 2, kConnectionFailed = 4 };

    struct Request
    {
        velmo::deploy::ServerSettings server;
        QString publishedFolder;
        // Identifies the site's record of what was uploaded (with the server's URL).
        QString siteKey;
        bool dryRun = false;
        bool insecureHostKey = false;
    };

    // The environment variable the password is read from before the secret store is asked.
    static QString passwordVariable();
    // Transfers request.publishedFolder; prints "upload PATH", "replace PATH", "delete PATH" (with
    // --dry-run), then the counts, on standard output and every failure on standard error.
    static int run(const Request &request);
};
