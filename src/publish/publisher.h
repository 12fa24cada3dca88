// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "publish/calendar_events.h"

#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <deque>
#include <functional>

class QNetworkReply;

namespace nudgewell {

struct DavResponse;

struct CalendarAccount {
    QUrl url; // the calendar collection
    QString user;
    QString password;
};

// Why a calendar address is refused before anything is sent; empty when it is fine. Only
// https, or http to a loopback address, and no user or password inside the address.
QString refusedCalendarUrl(const QUrl& url);

// Keeps one CalDAV calendar a mirror of the reminders: PUTs what is new or changed, DELETEs
// the events with our UID suffix that no longer have a reminder, and leaves every other event
// alone. The ETag of each object is remembered in `cacheFile`, so that an unchanged calendar
// costs one listing; objects the cache does not know (a lost cache, an edit on the server)
// are fetched and compared, so nothing is ever written twice. One run at a time.
class CalendarPublisher : public QObject {
    Q_OBJECT

public:
    struct Counts {
        int puts = 0;      // requests sent
        int deletes = 0;   // requests sent
        int conflicts = 0; // 412 answers, each resolved by writing ours
    };

    explicit CalendarPublisher(QObject* parent = nullptr);
    ~CalendarPublisher() override;

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }

    // Only checks that the account reaches a calendar.
    void check(const CalendarAccount& account);
    void publish(const CalendarAccount& account, std::vector<CalendarObject> objects,
                 const QString& cacheFile);
    bool isRunning() const { return m_running; }
    const Counts& counts() const { return m_counts; }

signals:
    // The calendar was listed; writing starts when control returns.
    void listed();
    // `reason` is one line, empty on success; it never holds the password.
    void finished(bool ok, const QString& reason);

private:
    struct Known {
        QByteArray etag;
        QString uid;
        QByteArray hash;
    };
    struct Write {
        enum Kind { Create, Replace, Remove } kind;
        QUrl url;
        QByteArray etag; // for Replace and Remove
        int object = -1; // for Create and Replace
        bool unconditional = false;
    };
    using Handler = std::function<void(QNetworkReply*)>;

    void start(const CalendarAccount& account);
    void send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
              const QList<std::pair<QByteArray, QByteArray>>& headers, Handler handler);
    void onListing(QNetworkReply* reply);
    void fetchUnknown();
    void plan();
    void pump();
    void onWritten(const Write& write, QNetworkReply* reply);
    void fail(const QString& reason);
    void finish();
    QString failureOf(QNetworkReply* reply) const;
    // A 207 answer's responses; on anything else fails the run and returns false.
    bool readMultistatus(QNetworkReply* reply, std::vector<DavResponse>* responses);
    QString keyOf(const QUrl& url) const;
    void loadCache();
    void saveCache();

    QNetworkAccessManager m_network;
    int m_timeoutMs = 20000;
    bool m_running = false;
    bool m_checkOnly = false;
    CalendarAccount m_account;
    QString m_cacheFile;
    std::vector<CalendarObject> m_objects;
    QHash<QString, Known> m_cache;       // by path: what we know of the server's objects
    QHash<QString, QByteArray> m_listed; // by path: the ETags the server lists now
    QHash<QString, QUrl> m_urls;         // by path
    QStringList m_unknown;               // paths to fetch
    std::deque<Write> m_writes;
    int m_inFlight = 0;
    QString m_error;
    Counts m_counts;
};

} // namespace nudgewell
