// SPDX-License-Identifier: GPL-3.0-or-later
// Times printing the all-reminders and upcoming lists of a real main window into a PDF file,
// and checks the page count against pdfinfo.
//
// usage: print_bench [--runs N] [--sizes A,B,...] [--keep DIR]   (DIR keeps the last PDFs)
#include "data/settings.h"
#include "generator.h"
#include "main/main_window.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"
#include "platform/printer.h"
#include "platform/system_date.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

using namespace nudgewell;

namespace {

const QDate kToday(2026, 12, 28);

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(kToday, QTime(9, 0)); }
    QLocale locale() const override { return QLocale::c(); }
};

[[noreturn]] void die(const QString& message) {
    std::fprintf(stderr, "print_bench: %s\n", qPrintable(message));
    std::exit(1);
}

// Any message box means printing failed.
class FailingMessages final : public MessageBoxes {
public:
    void showMessage(QWidget*, const QString&, const QString& text, Icon) override {
        die(QStringLiteral("the window reported: %1").arg(text));
    }
    bool askYesNo(QWidget*, const QString&, const QString& text) override {
        die(QStringLiteral("the window asked: %1").arg(text));
    }
};

class NoHelp final : public HelpViewer {
public:
    void ShowHelpContents() override {}
    void ShowHelpTopic(int) override {}
};

int pdfPages(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(60000) || info.exitCode() != 0)
        die(QStringLiteral("pdfinfo could not read %1").arg(pdf));
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                           .match(QString::fromUtf8(info.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

struct Run {
    double ms;
    double cpuMs; // this process's CPU time, steadier than the wall clock on a busy machine
    int pages;
    qint64 bytes;
};

// One window on `records` generated reminders, printing `runs` times; the median run.
Run printMedian(int records, bool all, int runs, const QString& keep) {
    QTemporaryDir dir;
    if (!dir.isValid() ||
        !bench::writeWholeFile(QDir(dir.path()).filePath("reminder.dat").toStdString(),
                               bench::reminderFileBytes(bench::generateReminders(records))))
        die(QStringLiteral("cannot write the reminder file"));
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    FixedClock clock;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    FailingMessages messages;
    NoHelp help;
    QtPrinter printer(pdf);
    QtClipboard clipboard;
    TimedateSystemDate systemDate;
    MainWindow window(Services{clock, settings, messages, help, FileSystem::real(), printer,
                               clipboard, systemDate, dir.path()});
    if (!window.startUp())
        die(QStringLiteral("the window did not start"));
    window.show();
    if (all)
        window.menushowall_Click();
    QApplication::processEvents();
    std::vector<double> times;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const std::clock_t cpuStart = std::clock();
        timer.start();
        window.PrintReminders();
        times.push_back(timer.nsecsElapsed() / 1e6);
        cpu.push_back(double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    Run run{times[times.size() / 2], cpu[cpu.size() / 2], pdfPages(pdf), QFileInfo(pdf).size()};
    if (!keep.isEmpty()) {
        const QString kept = QDir(keep).filePath(
            QStringLiteral("print-%1-%2.pdf").arg(all ? "all" : "upcoming").arg(records));
        QFile::remove(kept);
        if (!QFile::copy(pdf, kept))
            die(QStringLiteral("cannot keep %1").arg(kept));
    }
    return run;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    int runs = 3;
    QList<int> sizes = {1000, 32767};
    QString keep;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--runs")) {
            runs = std::max(1, args[i + 1].toInt());
        } else if (args[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString& size : args[i + 1].split(u','))
                sizes << std::clamp(size.toInt(), 1, 32767);
        } else if (args[i] == QLatin1String("--keep")) {
            keep = args[i + 1];
        } else {
            die(QStringLiteral("unknown option %1").arg(args[i]));
        }
    }
    std::printf("Printing into a PDF file, median of %d runs\n", runs);
    std::printf("%8s %-9s %10s %10s %6s %10s\n", "records", "list", "ms", "CPU ms", "pages",
                "PDF bytes");
    for (int records : sizes) {
        for (bool all : {true, false}) {
            const Run run = printMedian(records, all, runs, keep);
            // The all list: seven pages of 48 lines, then the rest runs on.
            if (all && records > 336 && run.pages < 8)
                die(QStringLiteral("%1 records printed on only %2 pages")
                        .arg(records)
                        .arg(run.pages));
            std::printf("%8d %-9s %10.1f %10.1f %6d %10lld\n", records, all ? "all" : "upcoming",
                        run.ms, run.cpuMs, run.pages, static_cast<long long>(run.bytes));
        }
    }
    return 0;
}
