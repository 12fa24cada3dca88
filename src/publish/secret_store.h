// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace nudgewell {

// The calendar password in the desktop's secret store (the Secret Service on the session bus,
// or KWallet), never in a file. Every call answers later, on the event loop; `error` is empty
// on success and one line otherwise.
class SecretStore {
public:
    using Done = std::function<void(const QString& error)>;
    using Read = std::function<void(const QString& password, const QString& error)>;

    virtual ~SecretStore() = default;
    virtual void read(const QString& key, Read done) = 0;
    virtual void write(const QString& key, const QString& password, Done done) = 0;
    virtual void remove(const QString& key, Done done) = 0;

    // The key of a calendar account's password.
    static QString keyFor(const QString& url, const QString& user) {
        return user + QStringLiteral(" at ") + url;
    }
};

class KeychainSecretStore final : public SecretStore {
public:
    void read(const QString& key, Read done) override;
    void write(const QString& key, const QString& password, Done done) override;
    void remove(const QString& key, Done done) override;
};

} // namespace nudgewell
