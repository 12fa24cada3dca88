// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/secret_store.h"

#include <qt6keychain/keychain.h>

namespace nudgewell {

namespace {

const QString kService = QStringLiteral("Nudgewell calendar");

// Jobs delete themselves once they have answered.
template <typename JobType> JobType* makeJob(const QString& key) {
    auto* job = new JobType(kService);
    job->setAutoDelete(true);
    job->setInsecureFallback(false); // never a file
    job->setKey(key);
    return job;
}

QString reasonOf(const QKeychain::Job& job) {
    return QObject::tr("the secret store: %1").arg(job.errorString());
}

} // namespace

void KeychainSecretStore::read(const QString& key, Read done) {
    auto* job = makeJob<QKeychain::ReadPasswordJob>(key);
    QObject::connect(job, &QKeychain::Job::finished, [job, done = std::move(done)] {
        if (job->error() == QKeychain::NoError)
            done(job->textData(), {});
        else if (job->error() == QKeychain::EntryNotFound)
            done({}, QObject::tr("no password is stored; set up again with --publish-to"));
        else
            done({}, reasonOf(*job));
    });
    job->start();
}

void KeychainSecretStore::write(const QString& key, const QString& password, Done done) {
    auto* job = makeJob<QKeychain::WritePasswordJob>(key);
    job->setTextData(password);
    QObject::connect(job, &QKeychain::Job::finished, [job, done = std::move(done)] {
        done(job->error() == QKeychain::NoError ? QString() : reasonOf(*job));
    });
    job->start();
}

void KeychainSecretStore::remove(const QString& key, Done done) {
    auto* job = makeJob<QKeychain::DeletePasswordJob>(key);
    QObject::connect(job, &QKeychain::Job::finished, [job, done = std::move(done)] {
        const bool gone =
            job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound;
        done(gone ? QString() : reasonOf(*job));
    });
    job->start();
}

} // namespace nudgewell
