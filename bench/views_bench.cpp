// SPDX-License-Identifier: GPL-3.0-or-later
// Times the two list views of the main window on generated reminder files, checks their line
// counts against a count of its own, and reports the program's memory.
//
// usage: views_bench [--runs N] [--sizes A,B,...]   timings, then the memory runs
//        views_bench --memory N                     one window on N records; prints kB
#include "data/settings.h"
#include "expected_lines.h"
#include "generator.h"
#include "main/main_window.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"
#include "platform/printer.h"
#include "platform/system_date.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace nudgewell;

namespace {

// A Monday, with the next six days running into the next year.
const QDate kToday(2026, 12, 28);
constexpr int kDaysChecked = 6;

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(kToday, QTime(9, 0)); }
    QLocale locale() const override { return QLocale::c(); }
};

// Any message box means the window met a problem the figures would hide.
class FailingMessages final : public MessageBoxes {
public:
    void showMessage(QWidget*, const QString&, const QString& text, Icon) override {
        std::fprintf(stderr, "views_bench: the window reported: %s\n", qPrintable(text));
        std::exit(1);
    }
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override {
        showMessage(parent, title, text, Icon::Question);
        return false;
    }
};

class NoHelp final : public HelpViewer {
public:
    void ShowHelpContents() override {}
    void ShowHelpTopic(int) override {}
};

[[noreturn]] void die(const QString& message) {
    std::fprintf(stderr, "views_bench: %s\n", qPrintable(message));
    std::exit(1);
}

// One window on a generated file in a folder and settings file of its own.
struct Bench {
    explicit Bench(int records)
        : reminders(bench::generateReminders(records)),
          settings(dir.filePath(QStringLiteral("settings.ini"))) {
        if (!dir.isValid() ||
            !bench::writeWholeFile(QDir(dir.path()).filePath("reminder.dat").toStdString(),
                                   bench::reminderFileBytes(reminders)))
            die(QStringLiteral("cannot write the reminder file"));
        settings.save(keys::DaysChecked, QString::number(kDaysChecked));
        window = std::make_unique<MainWindow>(Services{clock, settings, messages, help,
                                                       FileSystem::real(), printer, clipboard,
                                                       systemDate, dir.path()});
        if (!window->startUp())
            die(QStringLiteral("the window did not start"));
        window->show();
        QApplication::processEvents();
    }
    int rows(const char* list) const {
        return window->findChild<QListView*>(QLatin1String(list))->model()->rowCount();
    }

    QTemporaryDir dir;
    std::vector<bench::Reminder> reminders;
    FixedClock clock;
    SettingsStore settings;
    FailingMessages messages;
    NoHelp help;
    QtPrinter printer;
    QtClipboard clipboard;
    TimedateSystemDate systemDate;
    std::unique_ptr<MainWindow> window;
};

struct Timing {
    double call;   // the build itself, ms
    double events; // the build and the layout and painting that follow it, ms
};

template <typename Build> Timing median(int runs, Build build) {
    std::vector<double> call;
    std::vector<double> events;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        build();
        call.push_back(timer.nsecsElapsed() / 1e6);
        QApplication::processEvents();
        events.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(call.begin(), call.end());
    std::sort(events.begin(), events.end());
    return {call[call.size() / 2], events[events.size() / 2]};
}

// VmRSS and VmHWM of this process, in kB.
std::pair<long, long> memoryKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        die(QStringLiteral("cannot read /proc/self/status"));
    long rss = -1;
    long hwm = -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            rss = line.mid(6).trimmed().split(' ').first().toLong();
        else if (line.startsWith("VmHWM:"))
            hwm = line.mid(6).trimmed().split(' ').first().toLong();
    }
    return {rss, hwm};
}

int memoryMode(int records) {
    Bench bench(records);
    bench.window->menushowall_Click();
    QApplication::processEvents();
    bench.window->menushowweek_Click();
    QApplication::processEvents();
    const auto [rss, hwm] = memoryKb();
    std::printf("%ld %ld\n", rss, hwm);
    return 0;
}

std::pair<long, long> memoryOf(const QString& self, int records) {
    QProcess process;
    process.start(self, {QStringLiteral("--memory"), QString::number(records)});
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        die(QStringLiteral("the memory run on %1 records failed: %2")
                .arg(records)
                .arg(QString::fromLocal8Bit(process.readAllStandardError())));
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 2)
        die(QStringLiteral("the memory run printed no figures"));
    return {fields[0].toLong(), fields[1].toLong()};
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    int runs = 21;
    QList<int> sizes = {1000, 10000, 32767};
    for (int i = 1; i < args.size(); ++i) {
        const QString next = i + 1 < args.size() ? args[i + 1] : QString();
        if (args[i] == QLatin1String("--memory"))
            return memoryMode(next.toInt());
        if (args[i] == QLatin1String("--runs")) {
            runs = std::max(1, next.toInt());
            ++i;
        } else if (args[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString& size : next.split(u','))
                sizes << std::clamp(size.toInt(), 0, 32767);
            ++i;
        } else {
            die(QStringLiteral("unknown argument %1").arg(args[i]));
        }
    }

    std::printf("Days Checked %d, today %s, %d runs, medians in ms\n", kDaysChecked,
                qPrintable(kToday.toString(Qt::ISODate)), runs);
    std::printf("%8s %8s  %14s %14s  %14s %14s\n", "records", "lines", "Upcoming", "+events", "All",
                "+events");
    for (int size : sizes) {
        Bench bench(size);
        const Timing upcoming = median(runs, [&] { bench.window->BuildUpcomingView(); });
        const int expected = bench::expectedUpcomingLines(bench.reminders, kToday, kDaysChecked);
        if (bench.rows("reminderlist") != expected)
            die(QStringLiteral("%1 records: the upcoming view has %2 lines, expected %3")
                    .arg(size)
                    .arg(bench.rows("reminderlist"))
                    .arg(expected));
        const Timing all = median(runs, [&] { bench.window->BuildAllView(); });
        // An empty file is seeded with one sample record.
        const int records = std::max(size, 1);
        if (bench.rows("reminderlist2") != records || bench.window->recordCount() != records)
            die(QStringLiteral("%1 records: the all view has %2 lines")
                    .arg(size)
                    .arg(bench.rows("reminderlist2")));
        std::printf("%8d %8d  %14.2f %14.2f  %14.2f %14.2f\n", size, expected, upcoming.call,
                    upcoming.events, all.call, all.events);
        std::fflush(stdout);
    }

    const QString self = QApplication::applicationFilePath();
    const auto [emptyRss, emptyHwm] = memoryOf(self, 0);
    const auto [fullRss, fullHwm] = memoryOf(self, 32767);
    std::printf("\nmemory with both views built (kB)   VmRSS    VmHWM\n");
    std::printf("empty file                       %8ld %8ld\n", emptyRss, emptyHwm);
    std::printf("32,767 records                   %8ld %8ld\n", fullRss, fullHwm);
    std::printf("difference                       %8ld %8ld  (%.1f MB peak)\n", fullRss - emptyRss,
                fullHwm - emptyHwm, (fullHwm - emptyHwm) / 1024.0);
    return 0;
}
