// Reading and writing passwords through QtKeychain, synchronously.
#include "deploy/passwordstore.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

using namespace Qt::StringLiterals;

namespace velmo::deploy {

namespace {

const QString kService = u"Velmo"_s;

PasswordStore::Result run(QKeychain::Job &job, QString *error)
{
    // Never the insecure fallback: it would write the password to a plain file.
    job.setInsecureFallback(false);
    job.setAutoDelete(false);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(PasswordStore::kTimeoutMs, &loop, &QEventLoop::quit);
    job.start();
    if (!finished)
        loop.exec();
    if (!finished) {
        if (error != nullptr)
            *error = u"パスワードの保管庫が応答しません。"_s;
        return PasswordStore::Result::Unavailable;
    }
    if (job.error() == QKeychain::NoError)
        return PasswordStore::Result::Ok;
    if (error != nullptr)
        *error = job.errorString();
    return job.error() == QKeychain::EntryNotFound ? PasswordStore::Result::NotFound
                                                   : PasswordStore::Result::Unavailable;
}

} // namespace

PasswordStore::Result PasswordStore::read(const QString &key, QString *password, QString *error)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    const Result result = run(job, error);
    if (result == Result::Ok)
        *password = job.textData();
    return result;
}

PasswordStore::Result PasswordStore::write(const QString &key, const QString &password,
                                           QString *error)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setTextData(password);
    return run(job, error);
}

PasswordStore::Result PasswordStore::remove(const QString &key, QString *error)
{
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(key);
    const Result result = run(job, error);
    return result == Result::NotFound ? Result::Ok : result;
}

} // namespace velmo::deploy
