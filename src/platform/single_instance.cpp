// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include <cerrno>
#include <unistd.h>

namespace nudgewell {

namespace {

const QByteArray kRaise = QByteArrayLiteral("raise\n");

// The copy that holds the lock may have taken it a moment ago and not listen yet.
constexpr int kConnectMs = 3000;
constexpr int kWriteMs = 1000;

bool askToRaise(const QString& name, QString* note) {
    QLocalSocket socket;
    const QDeadlineTimer deadline(kConnectMs);
    do {
        socket.connectToServer(name);
        if (socket.waitForConnected(500)) {
            socket.write(kRaise);
            if (socket.waitForBytesWritten(kWriteMs)) {
                socket.disconnectFromServer();
                return true;
            }
            break;
        }
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    *note = QObject::tr("Nudgewell runs in this folder already but could not be brought to the "
                        "front: %1")
                .arg(socket.errorString());
    return false;
}

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
    release();
}

QString SingleInstance::serverName(const QString& folder) {
    const QFileInfo info(folder);
    const QString path =
        info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    const QByteArray hash =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    // The user id keeps two users' copies apart in the shared temporary folder.
    return QStringLiteral("nudgewell-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::Claim SingleInstance::claim(const QString& folder, QString* note) {
    release();
    note->clear();
    const QString lockPath = QDir(folder).filePath(QLatin1String(kLockFileName));
    auto lock = std::make_unique<QLockFile>(lockPath);
    // Held for the whole run: only a dead owner (or a reboot) leaves a stale lock, never age.
    lock->setStaleLockTime(0);
    errno = 0;
    if (!lock->tryLock(0)) {
        const int reason = errno;
        if (lock->error() == QLockFile::LockFailedError) {
            askToRaise(serverName(folder), note);
            return Claim::AnotherRuns;
        }
        // A read-only folder must not stop the program: its own file handling reports what
        // cannot be written.
        *note = tr("Nudgewell cannot create %1 (%2), so a second copy started in this folder "
                   "will not be noticed.")
                    .arg(QDir::toNativeSeparators(lockPath),
                         reason != 0 ? qt_error_string(reason) : tr("unknown error"));
        return Claim::Unguarded;
    }
    m_lock = std::move(lock);
    listen(serverName(folder), note);
    return Claim::First;
}

void SingleInstance::listen(const QString& name, QString* note) {
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket of this name is a crashed run's leftover.
    QLocalServer::removeServer(name);
    if (!server->listen(name)) {
        *note = tr("Nudgewell cannot listen for later starts in this folder: %1")
                    .arg(server->errorString());
        delete server;
        return;
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readRequests(socket); });
            readRequests(socket);
        }
    });
    m_server = server;
}

void SingleInstance::readRequests(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        if (socket->readLine() == kRaise)
            emit raiseRequested();
    }
    // A request is one short line; anything longer is not from a copy of this program.
    if (socket->bytesAvailable() > kRaise.size())
        socket->abort();
}

void SingleInstance::release() {
    delete m_server;
    m_server = nullptr;
    m_lock.reset();
}

} // namespace nudgewell
