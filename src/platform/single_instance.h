// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace nudgewell {

// One running copy per data folder. Two copies would each rewrite reminder.dat from their own
// reading of it, and the later save would drop the other's reminders.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        First,       // this copy holds the folder and answers later starts
        AnotherRuns, // a copy runs there already; it was asked to come to the front
        Unguarded,   // no lock could be made (read-only folder, ...): run without one
    };

    // Sends the reply to a request back, once.
    using Answer = std::function<void(const QByteArray&)>;

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Touches no file when another copy runs. `note` gets one line for the terminal when
    // something went wrong on the way, and is left empty otherwise.
    Claim claim(const QString& folder, QString* note);
    void release();

    // Where the running copy listens; the same folder reached by any path gives the same name.
    static QString serverName(const QString& folder);

    // Hands a request (an import) to the copy that runs in `folder` and waits for its answer.
    // False, with the reason in `note`, when none came.
    static bool ask(const QString& folder, const QByteArray& request, QByteArray* answer,
                    QString* note);

signals:
    void raiseRequested();
    // A later start asks something of this copy.
    void asked(const QByteArray& request, const nudgewell::SingleInstance::Answer& answer);

private:
    void listen(const QString& name, QString* note);
    void readRequests(QLocalSocket* socket);

    int m_lockFd = -1; // holds the folder's lock while open
    QString m_lockPath;
    QLocalServer* m_server = nullptr;
};

// Kept in the data folder while a copy runs there.
inline constexpr char kLockFileName[] = "nudgewell.lock";

} // namespace nudgewell
