// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nudgewell {

namespace {

const QByteArray kRaise = QByteArrayLiteral("raise\n");
// "ask <base64>\n", answered by "<base64>\n" on the same connection.
const QByteArray kAsk = QByteArrayLiteral("ask ");
constexpr qint64 kMaxAsk = 4 * 1024 * 1024;
// An import of a large address book takes the running copy a moment.
constexpr int kAnswerMs = 120000;

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

bool connectWithin(QLocalSocket& socket, const QString& name, int ms) {
    const QDeadlineTimer deadline(ms);
    do {
        socket.connectToServer(name);
        if (socket.waitForConnected(500))
            return true;
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace

bool SingleInstance::ask(const QString& folder, const QByteArray& request, QByteArray* answer,
                         QString* note) {
    QLocalSocket socket;
    if (connectWithin(socket, serverName(folder), kConnectMs)) {
        socket.write(kAsk + request.toBase64() + '\n');
        const QDeadlineTimer deadline(kAnswerMs);
        while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState &&
               !deadline.hasExpired())
            socket.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 1000)));
        if (socket.canReadLine()) {
            *answer = QByteArray::fromBase64(socket.readLine().trimmed());
            return true;
        }
    }
    *note = tr("Nudgewell runs in this folder but did not answer: %1").arg(socket.errorString());
    return false;
}

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
    const QByteArray name = QFile::encodeName(lockPath);
    int reason = 0;
    // The lock is the kernel's lock on the file, which ends with the process that holds it.
    // So whatever a crash, a power cut or another computer left in the file, a start takes it
    // over unless a live copy holds it. A copy that ends between the open and the lock has
    // removed the file locked here: then the one that is there now is locked.
    for (int attempt = 0; attempt < 3 && reason == 0; ++attempt) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            reason = errno;
            break;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            reason = errno;
            ::close(fd);
            if (reason != EWOULDBLOCK)
                break;
            askToRaise(serverName(folder), note);
            return Claim::AnotherRuns;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            // Who holds it, for a person who looks; nothing reads it back.
            const QByteArray owner = QByteArray::number(qint64(::getpid())) + "\nnudgewell\n" +
                                     QSysInfo::machineHostName().toUtf8() + '\n';
            const bool written = ::ftruncate(fd, 0) == 0 &&
                                 ::write(fd, owner.constData(), owner.size()) == owner.size();
            Q_UNUSED(written) // the lock holds all the same
            m_lockFd = fd;
            m_lockPath = lockPath;
            listen(serverName(folder), note);
            return Claim::First;
        }
        ::close(fd);
    }
    // A read-only folder, or something other than a file in the way, must not stop the
    // program: its own file handling reports what cannot be written.
    *note = tr("Nudgewell cannot create %1 (%2), so a second copy started in this folder "
               "will not be noticed.")
                .arg(QDir::toNativeSeparators(lockPath),
                     reason != 0 ? qt_error_string(reason) : tr("it keeps changing"));
    return Claim::Unguarded;
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
        const QByteArray line = socket->readLine(kMaxAsk);
        if (line == kRaise) {
            emit raiseRequested();
        } else if (line.startsWith(kAsk) && line.endsWith('\n')) {
            const QPointer<QLocalSocket> to(socket);
            emit asked(QByteArray::fromBase64(line.sliced(kAsk.size()).trimmed()),
                       [to](const QByteArray& answer) {
                           if (to)
                               to->write(answer.toBase64() + '\n');
                       });
        }
    }
    // A request is one line; anything longer is not from a copy of this program.
    if (socket->bytesAvailable() > kMaxAsk)
        socket->abort();
}

void SingleInstance::release() {
    delete m_server;
    m_server = nullptr;
    if (m_lockFd >= 0) {
        // Removed while still held, so that a start that opened it meanwhile sees that it is
        // gone and locks the next one.
        ::unlink(QFile::encodeName(m_lockPath).constData());
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

} // namespace nudgewell
