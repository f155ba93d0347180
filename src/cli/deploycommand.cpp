// velmo-cli deploy: the transfer and what it prints.
#include "cli/deploycommand.h"

#include <cstdio>

#include <QStringList>

#include "deploy/deployrecord.h"
#include "deploy/passwordstore.h"
#include "deploy/sitedeploy.h"

using namespace Qt::StringLiterals;
using velmo::deploy::DeployPlan;
using velmo::deploy::SiteDeploy;

namespace {

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

QString passwordFor(const velmo::deploy::ServerSettings &server)
{
    const QByteArray fromEnvironment = qgetenv("VELMO_DEPLOY_PASSWORD");
    if (!fromEnvironment.isEmpty())
        return QString::fromUtf8(fromEnvironment);
    QString password;
    QString error;
    if (velmo::deploy::PasswordStore::read(server.secretKey(), &password, &error) ==
        velmo::deploy::PasswordStore::Result::Ok)
        return password;
    return {};
}

} // namespace

QString DeployCommand::passwordVariable()
{
    return u"VELMO_DEPLOY_PASSWORD"_s;
}

int DeployCommand::run(const Request &request)
{
    const QString password = passwordFor(request.server);
    if (password.isEmpty() && request.server.keyFile.isEmpty())
        print(stderr,
              u"velmo-cli: no password in %1 or the secret store for %2; trying without"_s.arg(
                  passwordVariable(), request.server.secretKey()));
    SiteDeploy::Options options;
    options.connection.acceptUnknownHostKey = request.insecureHostKey;
    const QString recordFile =
        velmo::deploy::DeployRecord::defaultFile(request.siteKey, request.server.url());
    SiteDeploy deploy(request.server, password, request.publishedFolder, recordFile, options);

    const SiteDeploy::Result prepared = deploy.prepare();
    if (prepared == SiteDeploy::Result::ConnectionFailed) {
        print(stderr, u"velmo-cli: "_s + deploy.error());
        return kConnectionFailed;
    }
    if (prepared != SiteDeploy::Result::Done) {
        print(stderr, u"velmo-cli: "_s + deploy.error());
        return kFilesFailed;
    }
    if (deploy.recordState() == velmo::deploy::DeployRecord::LoadResult::Damaged)
        print(stderr, u"velmo-cli: the record %1 is damaged; every file is compared and none "
                      u"is deleted"_s.arg(recordFile));

    SiteDeploy::Counts counts;
    QList<SiteDeploy::Failure> failures;
    const DeployPlan &plan = deploy.plan();
    if (request.dryRun) {
        for (const DeployPlan::Action &action : plan.actions()) {
            const QString verb = action.kind == DeployPlan::Action::Kind::Upload    ? u"upload"_s
                                 : action.kind == DeployPlan::Action::Kind::Replace ? u"replace"_s
                                                                                    : u"delete"_s;
            print(stdout, verb + u' ' + action.path);
        }
        counts.uploaded = plan.count(DeployPlan::Action::Kind::Upload);
        counts.replaced = plan.count(DeployPlan::Action::Kind::Replace);
        counts.deleted = plan.count(DeployPlan::Action::Kind::Delete);
        counts.unchanged = int(plan.unchanged().size());
        for (const DeployPlan::Conflict &conflict : plan.conflicts())
            failures.append({conflict.path, conflict.reason});
        failures += deploy.failures();
        counts.failed = int(failures.size());
    } else {
        deploy.execute();
        counts = deploy.counts();
        failures = deploy.failures();
    }
    for (const SiteDeploy::Failure &failure : failures)
        print(stderr, u"velmo-cli: %1: %2"_s.arg(failure.path, failure.message));
    print(stdout, u"uploaded: %1\nreplaced: %2\ndeleted: %3\nunchanged: %4\nfailed: %5"_s
                      .arg(counts.uploaded)
                      .arg(counts.replaced)
                      .arg(counts.deleted)
                      .arg(counts.unchanged)
                      .arg(counts.failed));
    std::fflush(stdout);
    return failures.isEmpty() ? kOk : kFilesFailed;
}
