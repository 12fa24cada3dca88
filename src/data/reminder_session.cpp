// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/reminder_session.h"

#include <algorithm>

namespace nudgewell {

namespace {

// Record n of `before` in `after`: the same bytes, and the same one of identical records. 0
// when it is gone; a number past the end stays past the end.
int findAgain(const ReminderSession::Records& before, int n,
              const ReminderSession::Records& after) {
    if (n < 1)
        return n;
    if (n > int(before.size()))
        return int(after.size()) + 1;
    const ReminderRecord& wanted = before[n - 1];
    auto occurrence = std::count(before.begin(), before.begin() + (n - 1), wanted);
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i] == wanted && occurrence-- == 0)
            return int(i) + 1;
    }
    return 0;
}

} // namespace

ReminderSession::ReminderSession(const QString& directory, FileSystem& files, QObject* parent)
    : QObject(parent), m_store(directory, files) {}

bool ReminderSession::open(QString* error) {
    if (!m_store.Open(error) || !m_store.readAll(&m_records, error))
        return false;
    m_current = count();
    return true;
}

ReminderRecord ReminderSession::record(int n) const {
    return n >= 1 && n <= count() ? m_records[n - 1] : ReminderRecord();
}

void ReminderSession::adopt(Records fresh) {
    m_current = findAgain(m_records, m_current, fresh);
    if (m_editRecord > 0)
        m_editRecord = findAgain(m_records, m_editRecord, fresh);
    m_records = std::move(fresh);
}

bool ReminderSession::refresh(bool always, QString* error) {
    const bool changed = m_store.changedOnDisk();
    if (changed && !m_store.Open(error))
        return false;
    if (!changed && !always)
        return false;
    Records fresh;
    if (!m_store.readAll(&fresh, error) || fresh == m_records)
        return false;
    adopt(std::move(fresh));
    return true;
}

bool ReminderSession::lockFresh(QString* error) {
    bool reopened = false;
    if (!m_store.lockCurrent(&reopened, error))
        return false;
    Records fresh;
    if (reopened) {
        if (!m_store.readAll(&fresh, error)) {
            m_store.unlock();
            return false;
        }
        if (fresh != m_records)
            adopt(std::move(fresh));
    }
    return true;
}

ReminderSession::Result ReminderSession::finish(bool ok, const QString& error) {
    m_store.unlock();
    Result result;
    if (!ok) {
        result.outcome = WriteResult::Outcome::NotDone;
        result.reason = error;
        return result;
    }
    if (!error.isEmpty()) {
        result.outcome = WriteResult::Outcome::NotDurable;
        result.reason = error;
    }
    emit recordsWritten();
    return result;
}

ReminderSession::Result ReminderSession::replace(Records records) {
    QString error;
    const bool ok = m_store.ReplaceAll(records, &error);
    if (ok)
        m_records = std::move(records);
    return finish(ok, error);
}

bool ReminderSession::readUnderLock(QString* error) {
    // Another program's change in place may keep the file's time: a rewrite starts from what
    // the file holds now.
    Records fresh;
    if (!m_store.readAll(&fresh, error))
        return false;
    if (fresh != m_records)
        adopt(std::move(fresh));
    return true;
}

ReminderSession::Result ReminderSession::seedSample(DateOrder order) {
    const ReminderRecord sample = sampleRecord(order);
    QString error;
    if (!lockFresh(&error))
        return finish(false, error);
    // Another program filled the file meanwhile: it needs no sample.
    if (count() > 0)
        return finish(true, QString());
    const bool ok = m_store.WriteRecord(1, sample, &error);
    if (ok) {
        m_records.push_back(sample);
        m_current = 1;
    }
    return finish(ok, error);
}

ReminderSession::Result ReminderSession::addRecords(const Records& records) {
    QString error;
    if (!lockFresh(&error))
        return finish(false, error);
    const bool ok = m_store.AppendRecords(records, &error);
    if (ok)
        m_records.insert(m_records.end(), records.begin(), records.end());
    return finish(ok, error);
}

ReminderSession::Result ReminderSession::beginNew(const ReminderRecord& placeholder) {
    Result result = addRecords({placeholder});
    if (!result.tookEffect())
        return result;
    m_current = count();
    m_editRecord = m_current;
    m_editOriginal = placeholder;
    m_editing = m_lastMode = EditMode::Add;
    return result;
}

bool ReminderSession::beginEdit() {
    if (m_current < 1 || m_current > count())
        return false;
    m_editRecord = m_current;
    m_editOriginal = m_records[m_current - 1];
    m_editing = m_lastMode = EditMode::Edit;
    return true;
}

ReminderSession::Result ReminderSession::save(const ReminderRecord& edited) {
    QString error;
    if (!lockFresh(&error))
        return finish(false, error);
    bool ok = false;
    bool stale = true;
    while (stale && m_editRecord >= 1) {
        stale = false;
        ok = m_store.WriteRecord(m_editRecord, edited, &error, &m_editOriginal, &stale);
        // Changed in place within one tick of the file's clock: read it all again. The
        // record is then found unchanged, or not at all.
        if (stale && !readUnderLock(&error))
            return finish(false, error);
    }
    Result result;
    if (m_editRecord >= 1) {
        if (!ok)
            return finish(false, error);
        m_records[m_editRecord - 1] = edited;
        result = finish(true, error);
    } else {
        // Gone or changed by another program: theirs stays, the edit is added.
        ok = m_store.AppendRecords({edited}, &error);
        if (!ok)
            return finish(false, error);
        m_records.push_back(edited);
        m_editRecord = count();
        result = finish(true, error);
        result.savedAsNew = true;
    }
    m_current = m_editRecord;
    m_editRecord = 0;
    m_editing = EditMode::None;
    return result;
}

ReminderSession::Result ReminderSession::cancel() {
    if (m_editing == EditMode::Add) {
        QString error;
        if (!lockFresh(&error) || !readUnderLock(&error))
            return finish(false, error);
        if (m_editRecord >= 1) {
            Records kept = m_records;
            kept.erase(kept.begin() + (m_editRecord - 1));
            const Result result = replace(std::move(kept));
            if (!result.tookEffect())
                return result;
            m_current = m_editRecord;
            m_editRecord = 0;
            m_editing = EditMode::None;
            return result;
        }
        // Another program removed the placeholder already.
        m_store.unlock();
        m_current = count() + 1;
        m_editing = EditMode::None;
        Result result;
        result.alreadyGone = true;
        return result;
    }
    if (m_current > count())
        m_current = count();
    m_editRecord = 0;
    m_editing = EditMode::None;
    return {};
}

ReminderSession::Result ReminderSession::deleteCurrent() {
    QString error;
    if (!lockFresh(&error) || !readUnderLock(&error))
        return finish(false, error);
    if (m_current < 1 || m_current > count()) {
        m_store.unlock();
        Result result;
        result.alreadyGone = true;
        return result;
    }
    Records kept = m_records;
    kept.erase(kept.begin() + (m_current - 1));
    const Result result = replace(std::move(kept));
    if (m_current > count())
        m_current = count();
    return result;
}

ReminderSession::Result
ReminderSession::purge(const std::function<bool(const ReminderRecord&)>& keep) {
    QString error;
    if (!lockFresh(&error) || !readUnderLock(&error))
        return finish(false, error);
    Records kept;
    for (ReminderRecord record : m_records) {
        if (!keep(record))
            continue;
        record.clearReserved();
        kept.push_back(record);
    }
    const Result result = replace(std::move(kept));
    if (result.tookEffect() && count() > 0)
        m_current = count();
    return result;
}

} // namespace nudgewell
