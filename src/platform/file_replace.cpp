// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_replace.h"

#include "platform/file_system.h"

#include <QFile>
#include <QFileInfo>

namespace nudgewell {

QString failureMessage(const WriteResult& result, const QString& notDone,
                       const QString& notDurable) {
    switch (result.outcome) {
    case WriteResult::Outcome::Done:
        return {};
    case WriteResult::Outcome::NotDurable:
        return notDurable + QLatin1Char('\n') + result.reason;
    case WriteResult::Outcome::NotDone:
        break;
    }
    return notDone + QLatin1Char('\n') + result.reason;
}

ReplaceOutcome replaceFile(FileSystem& files, const QString& target, const QString& temp,
                           const QByteArray& content, QString* error, QFile* reopened,
                           QString* reopenError) {
    // A leftover from an interrupted replace must never reach the target.
    if (!files.remove(temp, error))
        return ReplaceOutcome::Failed;
    QFile out(temp);
    if (!files.create(out, error))
        return ReplaceOutcome::Failed;
    if (!files.write(out, 0, content, error) || !files.flush(out, error)) {
        out.close();
        files.remove(temp, nullptr);
        return ReplaceOutcome::Failed;
    }
    if (!files.rename(temp, target, error)) {
        out.close();
        files.remove(temp, nullptr);
        return ReplaceOutcome::Failed;
    }
    if (reopened) {
        QString reason;
        if (!files.adopt(out, *reopened, &reason)) {
            reopened->close();
            reopened->setFileName(target);
            if (!files.openReadWrite(*reopened, &reason) && reopenError)
                *reopenError = reason;
        }
    }
    out.close();
    if (!files.syncDirectory(QFileInfo(target).absolutePath(), error))
        return ReplaceOutcome::DoneFolderNotSynced;
    return ReplaceOutcome::Done;
}

} // namespace nudgewell
