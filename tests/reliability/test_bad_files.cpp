// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on broken reminder, start-up and settings files (tests/data, made by
// make_fixtures.py, and a few made here): it opens or says why not, every command runs, and no
// command writes a record that cannot be read back.
#include "data/date_patterns.h"
#include "data/reminder_reader.h"
#include "data/startup_log_file.h"
#include "gui_fixture.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSet>
#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;

namespace {

const QString kData = QStringLiteral(NUDGEWELL_TEST_DATA);

// A record the program wrote reads back: a date it can parse, a known frequency and flag.
bool readsBack(const QByteArray& record) {
    const ReminderRecord r = ReminderRecord::fromBytes(record.constData(), record.size());
    return ParseStoredDate(r.dateText(), QLocale(QLocale::English, QLocale::UnitedStates))
               .isValid() &&
           QByteArray("OWMY").contains(r.frequencyCode()) &&
           QByteArray("AX").contains(r.yearsFlag());
}

// A record as the program reads it back: padded with blanks, the reserved field not counted
// (a purge zeroes it).
QByteArray normalised(QByteArray record) {
    record = record.leftJustified(70, ' ');
    record.replace(55, 3, QByteArray(3, '\0'));
    return record;
}

// The first record in `after` that the window wrote (it is not in `before`) and that cannot be
// read back.
QString unreadableWritten(const QByteArray& before, const QByteArray& after) {
    QSet<QByteArray> old;
    for (qsizetype at = 0; at < before.size(); at += 70)
        old.insert(normalised(before.mid(at, 70)));
    for (qsizetype at = 0; at < after.size(); at += 70) {
        const QByteArray record = normalised(after.mid(at, 70));
        if (!old.contains(record) && !readsBack(record))
            return QString::fromLatin1(record.toHex());
    }
    return {};
}

QByteArray manyRecords(int count) {
    QByteArray bytes;
    bytes.reserve(qsizetype(count) * 70);
    for (int i = 0; i < count; ++i)
        bytes += recordBytes(QStringLiteral("Reminder %1").arg(i), 'X', "OWMY"[i % 4],
                             QStringLiteral("%1/%2/2002")
                                 .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                                 .arg(i % 28 + 1, 2, 10, QLatin1Char('0')));
    return bytes;
}

} // namespace

class TestBadFiles : public QObject {
    Q_OBJECT

private slots:
    void everyCommand_data() {
        QTest::addColumn<QString>("file");   // reminder.dat, startup.dat or settings
        QTest::addColumn<QString>("source"); // a fixture, or what to make here
        const std::pair<const char*, const char*> kinds[] = {
            {"reminders", "reminder.dat"}, {"startup", "startup.dat"}, {"settings", "settings"}};
        for (const auto& [folder, file] : kinds) {
            const QDir dir(kData + QLatin1Char('/') + QLatin1String(folder));
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
                QTest::newRow(qPrintable(QLatin1String(folder) + '/' + name))
                    << QString(file) << dir.filePath(name);
            for (const char* made : {"folder", "pipe", "device"})
                QTest::newRow(qPrintable(QLatin1String(folder) + ": " + made))
                    << QString(file) << QString(made);
        }
        QTest::newRow("reminders: 32,767 records") << "reminder.dat"
                                                   << "32767";
        QTest::newRow("reminders: 40,000 records") << "reminder.dat"
                                                   << "40000";
    }
    void everyCommand() {
        QFETCH(QString, file);
        QFETCH(QString, source);
        WindowFixture f;
        const QString path =
            file == QLatin1String("settings") ? f.path(QStringLiteral("odd.conf")) : f.path(file);
        if (source.contains(QLatin1Char('/')))
            QVERIFY(QFile::copy(source, path));
        else if (source.front().isDigit())
            writeFile(path, manyRecords(source.toInt()));
        else
            makeNotRegular(path, source);
        SettingsStore settings(file == QLatin1String("settings") ? path : f.path("settings.ini"));
        f.window = std::make_unique<MainWindow>(Services{f.clock, settings, f.messages, f.help,
                                                         f.files, f.printer, f.clipboard,
                                                         f.systemDate, f.dir.path()});
        const QByteArray before = f.reminderBytes();
        if (!f.window->startUp()) {
            // Only a reminder file that is no file at all keeps the window from starting.
            QCOMPARE(file, QStringLiteral("reminder.dat"));
            QVERIFY2(f.messages.last().contains(QLatin1String("not a regular file")),
                     qPrintable(f.messages.last()));
            // Nor does the agenda's reader wait on a pipe or read a device forever.
            ReminderFileReader reader;
            QString error;
            QVERIFY(!reader.open(path, &error));
            QVERIFY2(error.contains(QLatin1String("not a regular file")), qPrintable(error));
            return;
        }
        if (file == QLatin1String("startup.dat") && !source.contains(QLatin1Char('/')) &&
            !source.front().isDigit()) { // nor the notification's reading of the log
            QByteArray log;
            QString error;
            QVERIFY(!readStartupLog(f.dir.path(), f.files, &log, &error));
            QVERIFY2(error.contains(QLatin1String("not a regular file")), qPrintable(error));
        }
        f.window->showAsStored();
        if (!f.window->isMinimized())
            QVERIFY(f.activate());
        f.messages.answers = {true, true, true, true};
        const auto check = [&](const char* command) {
            const QString bad = unreadableWritten(before, f.reminderBytes());
            QVERIFY2(bad.isEmpty(), qPrintable(QLatin1String(command) + ": " + bad));
        };
        f.press(Qt::Key_F3);
        f.press(Qt::Key_F4);
        f.press(Qt::Key_F5);
        f.type(QStringLiteral("Check"));
        f.press(Qt::Key_F6);
        check("New, Save");
        f.press(Qt::Key_F3);
        f.press(Qt::Key_F7);
        f.press(Qt::Key_F8);
        f.press(Qt::Key_F7);
        f.press(Qt::Key_F6);
        check("Edit, Save");
        f.press(Qt::Key_F9);
        check("Delete");
        f.press(Qt::Key_D, Qt::ControlModifier);
        check("Delete Old Reminders");
        f.press(Qt::Key_P, Qt::ControlModifier);
        for (const Qt::Key key : {Qt::Key_F2, Qt::Key_R}) {
            f.press(key, key == Qt::Key_R ? Qt::ControlModifier : Qt::NoModifier);
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w != f.window.get() && w->isVisible() && !qobject_cast<QMenu*>(w))
                    w->close();
            }
        }
        closeModalSoon();
        f.press(Qt::Key_F11);
        f.window->close();
        check("Exit");
    }
};

QTEST_MAIN(TestBadFiles)
#include "test_bad_files.moc"
