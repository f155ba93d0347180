// PasswordStore: server passwords in the desktop's secret store (QtKeychain over the secret
// service), never in a plain file; each call waits for the store's answer.
#pragma once

#include <QString>

namespace velmo::deploy {

class PasswordStore
{
public:
    enum class Result {
        Ok,
        // The store answered: no password under that key.
        NotFound,
        // No secret service (or it refused): ask the user each time instead.
        Unavailable,
    };

    // The store's answer is awaited at most this long: a desktop without one must not hang.
    static constexpr int kTimeoutMs = 5000;

    static Result read(const QString &key, QString *password, QString *error = nullptr);
    static Result write(const QString &key, const QString &password, QString *error = nullptr);
    static Result remove(const QString &key, QString *error = nullptr);
};

} // namespace velmo::deploy
