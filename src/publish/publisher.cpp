// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/publisher.h"

#include "platform/file_replace.h"
#include "platform/file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSslError>
#include <QXmlStreamReader>

#include <algorithm>

namespace nudgewell {

// One response of a multistatus answer.
struct DavResponse {
    QString href;
    QByteArray etag;
    bool collection = false;
    bool calendar = false;
    QByteArray data;
};

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");
constexpr int kParallelWrites = 4;
constexpr qsizetype kFetchBatch = 100;

// The 200 properties of each response of a multistatus answer; false when it is not one.
bool parseMultistatus(const QByteArray& xml, std::vector<DavResponse>* responses) {
    QXmlStreamReader reader(xml);
    DavResponse response;
    DavResponse found; // the properties of the current propstat
    bool sawMultistatus = false;
    bool propstatOk = false;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) {
            if (reader.isEndElement() && reader.namespaceUri() == kDav) {
                if (reader.name() == u"propstat" && propstatOk) {
                    response.etag = found.etag;
                    response.collection = found.collection;
                    response.calendar = found.calendar;
                    response.data = found.data;
                } else if (reader.name() == u"response") {
                    responses->push_back(std::move(response));
                    response = {};
                }
            }
            continue;
        }
        const auto name = reader.name();
        const bool dav = reader.namespaceUri() == kDav;
        if (dav && name == u"multistatus") {
            sawMultistatus = true;
        } else if (dav && name == u"href" && response.href.isEmpty()) {
            response.href = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (dav && name == u"propstat") {
            found = {};
            propstatOk = false;
        } else if (dav && name == u"status") {
            propstatOk = reader.readElementText().contains(QLatin1String(" 200"));
        } else if (dav && name == u"getetag") {
            found.etag = reader.readElementText().trimmed().toUtf8();
        } else if (dav && name == u"collection") {
            found.collection = true;
        } else if (reader.namespaceUri() == kCalDav && name == u"calendar") {
            found.calendar = true;
        } else if (reader.namespaceUri() == kCalDav && name == u"calendar-data") {
            found.data = reader.readElementText().toUtf8();
        }
    }
    return sawMultistatus && !reader.hasError();
}

bool isLoopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QByteArray xmlEscaped(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

QString refusedCalendarUrl(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty())
        return CalendarPublisher::tr("'%1' is not a calendar address").arg(url.toDisplayString());
    if (!url.userInfo().isEmpty())
        return CalendarPublisher::tr("the address must not hold a user name or password; give "
                                     "the user with --user");
    if (url.scheme() == QLatin1String("https") ||
        (url.scheme() == QLatin1String("http") && isLoopback(url.host())))
        return {};
    return CalendarPublisher::tr("%1 needs an https address: only a loopback address may use %2")
        .arg(url.host(), url.scheme());
}

CalendarPublisher::CalendarPublisher(QObject* parent) : QObject(parent) {
    // Credentials go with every request; none is kept by the network layer.
    m_network.setAutoDeleteReplies(true);
}

CalendarPublisher::~CalendarPublisher() = default;

void CalendarPublisher::check(const CalendarAccount& account) {
    m_checkOnly = true;
    start(account);
}

void CalendarPublisher::publish(const CalendarAccount& account, std::vector<CalendarObject> objects,
                                const QString& cacheFile) {
    m_checkOnly = false;
    m_objects = std::move(objects);
    m_cacheFile = cacheFile;
    start(account);
}

void CalendarPublisher::start(const CalendarAccount& account) {
    Q_ASSERT(!m_running);
    m_running = true;
    m_account = account;
    if (!m_account.url.path().endsWith(u'/'))
        m_account.url.setPath(m_account.url.path() + u'/');
    m_counts = {};
    m_error.clear();
    m_cache.clear();
    m_listed.clear();
    m_urls.clear();
    m_unknown.clear();
    m_writes.clear();
    m_inFlight = 0;
    if (const QString refused = refusedCalendarUrl(m_account.url); !refused.isEmpty()) {
        m_error = refused;
        finish();
        return;
    }
    if (!m_checkOnly && !m_cacheFile.isEmpty())
        loadCache();
    static const QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:resourcetype/><d:getetag/></d:prop>"
        "</d:propfind>";
    send("PROPFIND", m_account.url, body,
         {{"Depth", m_checkOnly ? "0" : "1"}, {"Content-Type", "application/xml; charset=utf-8"}},
         [this](QNetworkReply* reply) { onListing(reply); });
}

void CalendarPublisher::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                             const QList<std::pair<QByteArray, QByteArray>>& headers,
                             Handler handler) {
    QNetworkRequest request(url);
    request.setTransferTimeout(m_timeoutMs);
    // A redirect could carry the credentials elsewhere; the user sets the new address.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("Authorization",
                         "Basic " +
                             (m_account.user + u':' + m_account.password).toUtf8().toBase64());
    request.setRawHeader("User-Agent", "Nudgewell/" NUDGEWELL_VERSION);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply* reply = m_network.sendCustomRequest(request, verb, body);
    // Certificate errors are never ignored: the reply fails, with this as its reason.
    connect(reply, &QNetworkReply::sslErrors, reply, [reply](const QList<QSslError>& errors) {
        if (!errors.isEmpty())
            reply->setProperty("certificateError", errors.front().errorString());
    });
    connect(reply, &QNetworkReply::finished, this,
            [reply, handler = std::move(handler)] { handler(reply); });
}

QString CalendarPublisher::failureOf(QNetworkReply* reply) const {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString host = m_account.url.host();
    const QString certificate = reply->property("certificateError").toString();
    if (!certificate.isEmpty())
        return tr("the certificate of %1 was refused: %2").arg(host, certificate);
    if (status == 401)
        return tr("authentication failed for %1 at %2").arg(m_account.user, host);
    if (status == 404)
        return tr("there is no calendar at %1").arg(m_account.url.toDisplayString());
    if (status >= 300 && status < 400)
        return tr("the calendar has moved to %1; set up that address")
            .arg(reply->rawHeader("Location"));
    if (status > 0)
        return tr("%1 answered %2 %3")
            .arg(host)
            .arg(status)
            .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    if (reply->error() == QNetworkReply::OperationCanceledError ||
        reply->error() == QNetworkReply::TimeoutError)
        return tr("no answer from %1 within %2 s").arg(host).arg(m_timeoutMs / 1000.0);
    return tr("cannot reach %1: %2").arg(host, reply->errorString());
}

QString CalendarPublisher::keyOf(const QUrl& url) const {
    return url.path(QUrl::FullyDecoded);
}

bool CalendarPublisher::readMultistatus(QNetworkReply* reply, std::vector<DavResponse>* responses) {
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 207) {
        fail(failureOf(reply));
        return false;
    }
    if (!parseMultistatus(reply->readAll(), responses)) {
        fail(tr("%1 gave an answer that is not WebDAV").arg(m_account.url.host()));
        return false;
    }
    return true;
}

void CalendarPublisher::onListing(QNetworkReply* reply) {
    std::vector<DavResponse> responses;
    if (!readMultistatus(reply, &responses))
        return;
    const QString collection = keyOf(m_account.url);
    bool isCalendar = false;
    for (const DavResponse& response : responses) {
        const QUrl url = m_account.url.resolved(QUrl::fromEncoded(response.href.toUtf8()));
        QString key = keyOf(url);
        if (key == collection || key + u'/' == collection) {
            isCalendar = response.calendar;
        } else if (!response.collection && !m_checkOnly) {
            m_listed.insert(key, response.etag);
            m_urls.insert(key, url);
        }
    }
    if (!isCalendar) {
        fail(tr("%1 is not a calendar").arg(m_account.url.toDisplayString()));
        return;
    }
    if (m_checkOnly) {
        finish();
        return;
    }
    // What the server has that the cache does not know (or knows in another version) is
    // fetched; an object we wrote without learning its ETag takes the listed one.
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        const auto listed = m_listed.constFind(it.key());
        if (listed == m_listed.cend()) {
            it = m_cache.erase(it);
            continue;
        }
        if (it->etag.isEmpty())
            it->etag = *listed;
        ++it;
    }
    for (auto it = m_listed.cbegin(); it != m_listed.cend(); ++it) {
        const auto known = m_cache.constFind(it.key());
        if (known == m_cache.cend() || known->etag != *it || it->isEmpty())
            m_unknown.push_back(it.key());
    }
    m_unknown.sort();
    fetchUnknown();
}

void CalendarPublisher::fetchUnknown() {
    if (m_unknown.isEmpty()) {
        plan();
        return;
    }
    const QStringList batch = m_unknown.mid(0, kFetchBatch);
    m_unknown.remove(0, batch.size());
    QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                      "<c:calendar-multiget xmlns:d=\"DAV:\" "
                      "xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
                      "<d:prop><d:getetag/><c:calendar-data/></d:prop>";
    for (const QString& key : batch)
        body += "<d:href>" +
                xmlEscaped(QString::fromLatin1(
                    m_urls[key].toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority))) +
                "</d:href>";
    body += "</c:calendar-multiget>";
    send("REPORT", m_account.url, body,
         {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}},
         [this, batch](QNetworkReply* reply) {
             std::vector<DavResponse> responses;
             if (!readMultistatus(reply, &responses))
                 return;
             QSet<QString> answered;
             for (const DavResponse& response : responses) {
                 const QString key =
                     keyOf(m_account.url.resolved(QUrl::fromEncoded(response.href.toUtf8())));
                 if (response.data.isEmpty() || !m_listed.contains(key))
                     continue;
                 answered.insert(key);
                 m_listed[key] = response.etag;
                 m_cache[key] = {response.etag, uidOf(response.data), contentHash(response.data)};
             }
             // Gone since the listing.
             for (const QString& key : batch) {
                 if (!answered.contains(key)) {
                     m_listed.remove(key);
                     m_cache.remove(key);
                 }
             }
             fetchUnknown();
         });
}

void CalendarPublisher::plan() {
    QHash<QString, int> wanted;
    for (int i = 0; i < int(m_objects.size()); ++i)
        wanted.insert(m_objects[size_t(i)].uid, i);
    QStringList keys = m_listed.keys();
    keys.sort();
    for (const QString& key : keys) {
        const Known& known = m_cache[key];
        if (!known.uid.endsWith(QLatin1String(kUidSuffix)))
            continue; // another program's
        const int object = wanted.value(known.uid, -1);
        if (object < 0) {
            m_writes.push_back({Write::Remove, m_urls[key], m_listed[key], -1});
            continue;
        }
        wanted.remove(known.uid); // a second copy of an event goes
        if (known.hash != m_objects[size_t(object)].hash)
            m_writes.push_back({Write::Replace, m_urls[key], m_listed[key], object});
    }
    for (int i = 0; i < int(m_objects.size()); ++i) {
        const QString& uid = m_objects[size_t(i)].uid;
        if (wanted.contains(uid)) {
            const QUrl url =
                m_account.url.resolved(QUrl::fromEncoded(QUrl::toPercentEncoding(uid) + ".ics"));
            m_writes.push_back({Write::Create, url, {}, i});
        }
    }
    emit listed();
    pump();
}

void CalendarPublisher::pump() {
    while (m_error.isEmpty() && m_inFlight < kParallelWrites && !m_writes.empty()) {
        const Write write = m_writes.front();
        m_writes.pop_front();
        ++m_inFlight;
        QList<std::pair<QByteArray, QByteArray>> headers;
        if (!write.unconditional) {
            if (write.kind == Write::Create)
                headers.push_back({"If-None-Match", "*"});
            else if (!write.etag.isEmpty())
                headers.push_back({"If-Match", write.etag});
        }
        QByteArray body;
        QByteArray verb = "DELETE";
        if (write.kind != Write::Remove) {
            verb = "PUT";
            body = m_objects[size_t(write.object)].data;
            headers.push_back({"Content-Type", "text/calendar; charset=utf-8"});
            ++m_counts.puts;
        } else {
            ++m_counts.deletes;
        }
        send(verb, write.url, body, headers,
             [this, write](QNetworkReply* reply) { onWritten(write, reply); });
    }
    if (m_inFlight == 0 && (m_writes.empty() || !m_error.isEmpty()))
        finish();
}

void CalendarPublisher::onWritten(const Write& write, QNetworkReply* reply) {
    --m_inFlight;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString key = keyOf(write.url);
    if (status == 412 && !write.unconditional) {
        // Changed on the server since the listing: the calendar mirrors the file, so ours
        // is written over it, once.
        ++m_counts.conflicts;
        Write again = write;
        again.unconditional = true;
        m_writes.push_front(again);
    } else if (write.kind == Write::Remove && (status / 100 == 2 || status == 404)) {
        m_cache.remove(key);
    } else if (write.kind != Write::Remove && status / 100 == 2) {
        const CalendarObject& object = m_objects[size_t(write.object)];
        // Without an ETag in the answer, the next listing's is taken.
        m_cache[key] = {reply->rawHeader("ETag"), object.uid, object.hash};
    } else if (m_error.isEmpty()) {
        m_error = failureOf(reply);
    }
    pump();
}

void CalendarPublisher::fail(const QString& reason) {
    if (m_error.isEmpty())
        m_error = reason;
    if (m_inFlight == 0)
        finish();
}

void CalendarPublisher::finish() {
    if (!m_checkOnly && !m_cacheFile.isEmpty())
        saveCache();
    m_running = false;
    emit finished(m_error.isEmpty(), m_error);
}

void CalendarPublisher::loadCache() {
    QFile file(m_cacheFile);
    if (!file.open(QIODevice::ReadOnly))
        return; // none yet, or lost: everything is compared
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    if (root.value(u"collection").toString() != m_account.url.toString() ||
        root.value(u"user").toString() != m_account.user)
        return;
    const QJsonArray objects = root.value(u"objects").toArray();
    for (const QJsonValue& value : objects) {
        const QJsonArray entry = value.toArray();
        if (entry.size() == 4)
            m_cache.insert(entry[0].toString(), {entry[1].toString().toUtf8(), entry[2].toString(),
                                                 entry[3].toString().toUtf8()});
    }
}

void CalendarPublisher::saveCache() {
    QJsonArray objects;
    for (auto it = m_cache.cbegin(); it != m_cache.cend(); ++it)
        objects.append(QJsonArray{it.key(), QString::fromUtf8(it->etag), it->uid,
                                  QString::fromLatin1(it->hash)});
    const QJsonObject root{{QStringLiteral("collection"), m_account.url.toString()},
                           {QStringLiteral("user"), m_account.user},
                           {QStringLiteral("objects"), objects}};
    QString error;
    QDir().mkpath(QFileInfo(m_cacheFile).path());
    if (replaceFile(FileSystem::real(), m_cacheFile, m_cacheFile + QStringLiteral(".tmp"),
                    QJsonDocument(root).toJson(QJsonDocument::Compact),
                    &error) == ReplaceOutcome::Failed)
        qWarning("nudgewell: cannot write the calendar cache %s: %s", qPrintable(m_cacheFile),
                 qPrintable(error));
}

} // namespace nudgewell
