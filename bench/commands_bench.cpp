// SPDX-License-Identifier: GPL-3.0-or-later
// Times the main window's commands on generated reminder files, in this process, with the
// real windows on the offscreen platform and the real file system: start-up, the views, the
// commands that write the file, the Options dialog, the Startup List and printing. Every run
// checks what the command left behind (list lines, file sizes and bytes) so that a fast wrong
// answer stops the benchmark. Then it reports the peak memory of one process per size.
//
// usage: commands_bench [--runs N] [--print-runs N] [--sizes A,B,...]
//        commands_bench --memory N          every command once on N records; prints VmHWM kB
#include "data/settings.h"
#include "data/startup_log_file.h"
#include "expected_lines.h"
#include "generator.h"
#include "main/main_window.h"
#include "main/views.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/help_viewer.h"
#include "platform/message_boxes.h"
#include "platform/printer.h"
#include "platform/system_date.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>

using namespace nudgewell;

namespace {

// A Monday, with the next days running into the next year.
const QDate kToday(2026, 12, 28);
constexpr int kStartupRecords = 10000;

[[noreturn]] void die(const QString& message) {
    std::fprintf(stderr, "commands_bench: %s\n", qPrintable(message));
    std::exit(1);
}

void check(bool ok, const QString& what) {
    if (!ok)
        die(what);
}

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(kToday, QTime(9, 0)); }
    QLocale locale() const override { return QLocale::c(); }
};

// Every question is answered Yes; any other message means the window met a problem.
class YesMessages final : public MessageBoxes {
public:
    void showMessage(QWidget*, const QString&, const QString& text, Icon) override {
        die(QStringLiteral("the window reported: %1").arg(text));
    }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
};

class NoHelp final : public HelpViewer {
public:
    void ShowHelpContents() override {}
    void ShowHelpTopic(int) override {}
};

// What the purge of old one-time reminders must leave: the others, in order, with a zeroed
// reserved field.
QByteArray expectedAfterPurge(const std::vector<bench::Reminder>& reminders,
                              const QByteArray& file) {
    QByteArray kept;
    for (std::size_t i = 0; i < reminders.size(); ++i) {
        const bench::Reminder& r = reminders[i];
        if (r.frequency == 'O' && QDate(r.year, r.month, r.day) < kToday)
            continue;
        QByteArray record = file.mid(qsizetype(i) * 70, 70);
        record.replace(55, 3, QByteArray(3, '\0'));
        kept += record;
    }
    return kept;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    check(file.open(QIODevice::ReadOnly), QStringLiteral("cannot read %1").arg(path));
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    check(bench::writeWholeFile(path.toStdString(), bytes.toStdString()),
          QStringLiteral("cannot write %1").arg(path));
}

// startup.dat with `count` starts, an hour apart.
QByteArray startupLogBytes(int count) {
    QByteArray bytes;
    QDateTime moment(QDate(2020, 1, 1), QTime(8, 0));
    for (int i = 0; i < count; ++i, moment = moment.addSecs(3600))
        bytes += StartupRecord::build(moment, DateOrder::MonthFirst, QLocale::c());
    return bytes;
}

// VmHWM of this process in kB.
long peakKb() {
    const QByteArray status = readFile(QStringLiteral("/proc/self/status"));
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    die(QStringLiteral("no VmHWM in /proc/self/status"));
}

struct Sample {
    double wall;
    double cpu;
};

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Wall-clock and CPU time of `step`, the posted events that follow it included.
Sample timed(const std::function<void()>& step) {
    QElapsedTimer timer;
    const double cpu = cpuMs();
    timer.start();
    step();
    QApplication::processEvents();
    return {timer.nsecsElapsed() / 1e6, cpuMs() - cpu};
}

// One folder with its reminder file, settings and printer.
struct Folder {
    explicit Folder(int records)
        : reminders(bench::generateReminders(records)),
          original(QByteArray::fromStdString(bench::reminderFileBytes(reminders))),
          settings(dir.filePath(QStringLiteral("settings.ini"))),
          printer(dir.filePath(QStringLiteral("print.pdf"))) {
        check(dir.isValid(), QStringLiteral("no temporary folder"));
        reset();
        check(settings.save(keys::DaysChecked, QStringLiteral("6")), "cannot save settings");
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    void reset() { writeFile(path("reminder.dat"), original); }
    std::unique_ptr<MainWindow> start() {
        auto window = std::make_unique<MainWindow>(Services{clock, settings, messages, help,
                                                            FileSystem::real(), printer, clipboard,
                                                            systemDate, dir.path()});
        check(window->startUp(), QStringLiteral("the window did not start"));
        window->show();
        QApplication::processEvents();
        return window;
    }

    QTemporaryDir dir;
    std::vector<bench::Reminder> reminders;
    QByteArray original;
    FixedClock clock;
    SettingsStore settings;
    YesMessages messages;
    NoHelp help;
    QtPrinter printer;
    QtClipboard clipboard;
    TimedateSystemDate systemDate;
};

QListView* listOf(MainWindow& window, bool upcoming) {
    return window.findChild<QListView*>(upcoming ? QStringLiteral("reminderlist")
                                                 : QStringLiteral("reminderlist2"));
}

int rows(MainWindow& window, bool upcoming) {
    return listOf(window, upcoming)->model()->rowCount();
}

int recordAtRow(MainWindow& window, bool upcoming, int row) {
    return static_cast<ReminderListModel*>(listOf(window, upcoming)->model())->recordAt(row);
}

QLineEdit* textBox(MainWindow& window) {
    return window.findChild<QLineEdit*>(QStringLiteral("txtreminder"));
}

// The commands on one window, each checked after it ran.
class Commands {
public:
    explicit Commands(Folder& folder) : m_folder(folder), m_expected(folder.original) {}

    void startUp(int run) {
        m_window.reset();
        const Sample s = timed([&] { m_window = m_folder.start(); });
        record("1 start-up to upcoming shown", s);
        // An empty file gets the sample record at the first start.
        if (run == 0 && m_folder.original.isEmpty())
            m_expected = readFile(reminderPath());
        checkUpcoming(6);
        check(QFile(m_folder.path("startup.dat")).size() == qint64(run + 1) * StartupRecord::Size,
              QStringLiteral("start %1 left startup.dat at the wrong size").arg(run + 1));
    }

    void views(int run) {
        record("2 F3 (all view)", timed([&] { m_window->menushowall_Click(); }));
        check(rows(*m_window, false) == m_window->recordCount() &&
                  m_window->recordCount() == int(m_expected.size() / 70),
              QStringLiteral("F3 listed %1 lines").arg(rows(*m_window, false)));
        record("2 F4 (upcoming view)", timed([&] { m_window->menushowweek_Click(); }));
        checkUpcoming(6);

        if (rows(*m_window, true) == 0)
            return;
        // A different line each run, spread over the list.
        const int row = (run * 7919 + 17) % rows(*m_window, true);
        QListView* list = listOf(*m_window, true);
        record("2 select a line",
               timed([&] { list->setCurrentIndex(list->model()->index(row, 0)); }));
        const int recordNumber = recordAtRow(*m_window, true, row);
        check(m_window->currentRecord() == recordNumber && recordNumber >= 1,
              QStringLiteral("selecting line %1 made record %2 current, not %3")
                  .arg(row)
                  .arg(m_window->currentRecord())
                  .arg(recordNumber));
        const QString stored = QString::fromUtf8(m_folder.reminders[recordNumber - 1].text);
        check(textBox(*m_window)->text() == stored.trimmed(),
              QStringLiteral("record %1 shows \"%2\"")
                  .arg(recordNumber)
                  .arg(textBox(*m_window)->text()));

        optionsSave(15, false);
        record("2 F4 with Days Checked 15", timed([&] { m_window->menushowweek_Click(); }));
        checkUpcoming(15);
        optionsSave(6, false);
        checkUpcoming(6);
    }

    void edits(int run) {
        const QString added = QStringLiteral("Bench added %1").arg(run);
        record("3 New then Save", timedPair([&] { m_window->menuadd_Click(); },
                                            [&] { textBox(*m_window)->setText(added); },
                                            [&] { m_window->menusave_Click(); }));
        QByteArray file = readFile(reminderPath());
        check(file.size() == m_expected.size() + 70 && file.startsWith(m_expected) &&
                  file.endsWith(added.toLatin1() + QByteArray(55 - added.size(), ' ') +
                                file.right(15)),
              QStringLiteral("New then Save left a file of %1 bytes").arg(file.size()));
        m_expected = file;

        // Edit works on the current record: the first line of the rebuilt view.
        const qsizetype at = qsizetype(m_window->currentRecord() - 1) * 70;
        const QString edited = QStringLiteral("Bench edited %1").arg(run);
        record("3 Edit then Save", timedPair([&] { m_window->menuedit_Click(); },
                                             [&] { textBox(*m_window)->setText(edited); },
                                             [&] { m_window->menusave_Click(); }));
        file = readFile(reminderPath());
        QByteArray expected = m_expected;
        expected.replace(at, 55, edited.toLatin1() + QByteArray(55 - edited.size(), ' '));
        check(at >= 0 && file == expected,
              QStringLiteral("Edit then Save changed more than the text of record %1")
                  .arg(at / 70 + 1));
        m_expected = file;

        record("3 New then Cancel", timedPair([&] { m_window->menuadd_Click(); }, [] {},
                                              [&] { m_window->menucancel_Click(); }));
        check(readFile(reminderPath()) == m_expected,
              QStringLiteral("New then Cancel did not leave the file as it was"));
        check(m_window->recordCount() == int(m_expected.size() / 70),
              QStringLiteral("the window counts %1 records").arg(m_window->recordCount()));
    }

    void deleteMiddle() {
        m_window->menushowall_Click();
        const int middle = m_window->recordCount() / 2 + 1;
        QListView* list = listOf(*m_window, false);
        for (int row = 0; row < rows(*m_window, false); ++row) {
            if (recordAtRow(*m_window, false, row) == middle) {
                list->setCurrentIndex(list->model()->index(row, 0));
                break;
            }
        }
        check(m_window->currentRecord() == middle,
              QStringLiteral("record %1 not found").arg(middle));
        record("4 Delete a middle record", timed([&] { m_window->menudelete_Click(); }));
        m_expected.remove(qsizetype(middle - 1) * 70, 70);
        check(readFile(reminderPath()) == m_expected,
              QStringLiteral("Delete did not remove exactly record %1").arg(middle));
        check(
            rows(*m_window, false) == m_window->recordCount() &&
                m_window->recordCount() == int(m_expected.size() / 70),
            QStringLiteral("after Delete the all view lists %1 lines").arg(rows(*m_window, false)));
        m_window->menushowweek_Click();
    }

    // The purge on a window over the generated file as it was, so that every run has the same
    // records to drop.
    void purge() {
        m_window.reset();
        m_folder.reset();
        m_window = m_folder.start();
        const QByteArray before = readFile(reminderPath());
        record("4 purge old one-time", timed([&] { m_window->menudeleteold_Click(); }));
        // An empty file was seeded with the sample, which is no one-time reminder.
        const QByteArray expected =
            m_folder.reminders.empty() ? before : expectedAfterPurge(m_folder.reminders, before);
        check(readFile(reminderPath()) == expected,
              QStringLiteral("the purge left %1 bytes, expected %2")
                  .arg(readFile(reminderPath()).size())
                  .arg(expected.size()));
        m_window.reset();
        m_folder.reset();
        m_window = m_folder.start();
        m_expected = readFile(reminderPath());
    }

    void options(int run) {
        optionsSave(run % 2 ? 6 : 15, true);
        checkUpcoming(run % 2 ? 6 : 15);
        if (run % 2 == 0)
            optionsSave(6, false);
    }

    void startupList() {
        const QByteArray log = startupLogBytes(kStartupRecords);
        writeFile(m_folder.path("startup.dat"), log);
        QListWidget* list = nullptr;
        record("5 Startup List opens", timed([&] {
                   m_window->menustartup_Click();
                   list = m_window->findChild<QListWidget*>(QStringLiteral("startuplist"));
               }));
        check(list && list->count() == kStartupRecords &&
                  list->item(0)->text().endsWith(QStringLiteral("\t%1").arg(kStartupRecords)),
              QStringLiteral("the Startup List shows %1 lines").arg(list ? list->count() : -1));
        QWidget* form = list->window();
        record("5 Startup List purge",
               timed([&] { form->findChild<QAction*>(QStringLiteral("tooldelete"))->trigger(); }));
        check(readFile(m_folder.path("startup.dat")) == log.right(StartupRecord::Size) &&
                  list->count() == 1,
              QStringLiteral("the purge left %1 lines").arg(list->count()));
        form->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void print() {
        m_window->menushowall_Click();
        // A timer that ticks while the printing lets the event loop run: its longest gap is
        // how long the window could not repaint.
        QElapsedTimer sinceTick;
        double longestGap = 0;
        QTimer ticker;
        ticker.setInterval(20);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        const Sample s = timed([&] {
            ticker.start();
            sinceTick.start();
            m_window->PrintReminders();
            longestGap = std::max(longestGap, sinceTick.nsecsElapsed() / 1e6);
            ticker.stop();
        });
        record("6 print the all view to PDF", s);
        m_samples["6 longest pause while printing"].push_back({longestGap, 0});
        checkPrintout();
    }

    MainWindow& window() { return *m_window; }
    std::map<QString, std::vector<Sample>>& samples() { return m_samples; }

private:
    QString reminderPath() const { return m_folder.path("reminder.dat"); }

    void record(const char* name, Sample s) { m_samples[QLatin1String(name)].push_back(s); }

    // The user's typing between the two commands is not counted.
    Sample timedPair(const std::function<void()>& first, const std::function<void()>& between,
                     const std::function<void()>& second) {
        const Sample a = timed(first);
        between();
        const Sample b = timed(second);
        return {a.wall + b.wall, a.cpu + b.cpu};
    }

    void checkUpcoming(int days) {
        // The benchmark's own records are dated today's placeholder or edited; none remain
        // by the time the views are checked.
        const int expected = bench::expectedUpcomingLines(m_folder.reminders, kToday, days);
        check(rows(*m_window, true) == expected && m_window->view() == View::Upcoming,
              QStringLiteral("the upcoming view (%1 days) has %2 lines, expected %3")
                  .arg(days)
                  .arg(rows(*m_window, true))
                  .arg(expected));
    }

    // Saves the Options dialog with `days`; the main window rebuilds when it is active again.
    void optionsSave(int days, bool measure) {
        QElapsedTimer timer;
        double cpu = 0;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            check(form && form->objectName() == QLatin1String("Options"), "no Options dialog");
            form->findChild<QComboBox*>(QStringLiteral("combodays"))
                ->setCurrentText(QString::number(days));
            cpu = cpuMs();
            timer.start();
            form->findChild<QPushButton*>(QStringLiteral("cmdsave"))->click();
        });
        m_window->menuoptions_Click();
        QApplication::processEvents();
        // The offscreen platform may not hand the focus back the way a desktop does.
        if (rows(*m_window, true) != bench::expectedUpcomingLines(m_folder.reminders, kToday, days))
            m_window->handleActivation();
        QApplication::processEvents();
        if (measure)
            record("5 Options Save and rebuild", {timer.nsecsElapsed() / 1e6, cpuMs() - cpu});
        check(m_folder.settings.get(keys::DaysChecked) == QString::number(days),
              QStringLiteral("Options did not store %1 days").arg(days));
    }

    void checkPrintout() {
        const QString pdf = m_folder.path("print.pdf");
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        check(text.waitForFinished(120000) && text.exitCode() == 0,
              QStringLiteral("pdftotext could not read %1").arg(pdf));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        int lines = 0;
        for (QStringView line : QStringView(printed).split(u'\n'))
            lines += line.contains(QRegularExpression(QStringLiteral("\\d\\d/\\d\\d/\\d\\d")));
        m_pages = printed.count(u'\f');
        const int records = m_window->recordCount();
        // Each record is one dated line, and each headed page adds one dated heading.
        check(lines >= records && lines <= records + m_pages,
              QStringLiteral("the printout has %1 dated lines for %2 records")
                  .arg(lines)
                  .arg(records));
        m_pdfBytes = QFile(pdf).size();
    }

public:
    int m_pages = 0;
    qint64 m_pdfBytes = 0;

private:
    Folder& m_folder;
    QByteArray m_expected;
    std::unique_ptr<MainWindow> m_window;
    std::map<QString, std::vector<Sample>> m_samples;
};

Sample median(std::vector<Sample> samples) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Sample& s : samples) {
        wall.push_back(s.wall);
        cpu.push_back(s.cpu);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void runAll(Commands& commands, int runs, int printRuns) {
    for (int run = 0; run < runs; ++run)
        commands.startUp(run);
    for (int run = 0; run < runs; ++run)
        commands.views(run);
    for (int run = 0; run < runs; ++run)
        commands.edits(run);
    for (int run = 0; run < runs; ++run)
        commands.deleteMiddle();
    for (int run = 0; run < runs; ++run)
        commands.purge();
    for (int run = 0; run < runs; ++run)
        commands.options(run);
    for (int run = 0; run < runs; ++run)
        commands.startupList();
    for (int run = 0; run < printRuns; ++run)
        commands.print();
}

int memoryMode(int records) {
    Folder folder(records);
    Commands commands(folder);
    // Which command raised the peak, on standard error.
    const auto phase = [](const char* name) {
        std::fprintf(stderr, "VmHWM after %-24s %8ld kB\n", name, peakKb());
    };
    commands.startUp(0);
    phase("start-up");
    commands.views(0);
    phase("views");
    commands.edits(0);
    phase("New, Edit, Save, Cancel");
    commands.deleteMiddle();
    phase("Delete");
    commands.purge();
    phase("purge");
    commands.options(0);
    phase("Options");
    commands.startupList();
    phase("Startup List");
    const long beforePrinting = peakKb();
    commands.print();
    std::printf("%ld %ld\n", beforePrinting, peakKb());
    return 0;
}

// VmHWM in kB of a process that ran every command once on `records`: before printing and
// after it.
std::pair<long, long> peakOf(const QString& self, int records) {
    QProcess process;
    process.start(self, {QStringLiteral("--memory"), QString::number(records)});
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        die(QStringLiteral("the memory run on %1 records failed: %2")
                .arg(records)
                .arg(QString::fromLocal8Bit(process.readAllStandardError())));
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    check(fields.size() == 2, QStringLiteral("the memory run printed no figures"));
    return {fields[0].toLong(), fields[1].toLong()};
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    int runs = 7;
    int printRuns = 3;
    QList<int> sizes = {1000, 10000, 32767};
    for (int i = 1; i < args.size(); ++i) {
        const QString next = i + 1 < args.size() ? args[i + 1] : QString();
        if (args[i] == QLatin1String("--memory"))
            return memoryMode(std::clamp(next.toInt(), 0, 32767));
        if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, next.toInt());
        else if (args[i] == QLatin1String("--print-runs"))
            printRuns = std::max(1, next.toInt());
        else if (args[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString& size : next.split(u','))
                sizes << std::clamp(size.toInt(), 1, 32767);
        } else
            die(QStringLiteral("unknown argument %1").arg(args[i]));
        ++i;
    }

    std::printf("today %s, C locale, %d runs (printing %d), medians: wall ms / CPU ms\n",
                qPrintable(kToday.toString(Qt::ISODate)), runs, printRuns);
    std::map<QString, std::map<int, Sample>> table;
    std::map<int, QString> printouts;
    for (int size : sizes) {
        Folder folder(size);
        Commands commands(folder);
        runAll(commands, runs, printRuns);
        for (auto& [name, samples] : commands.samples())
            table[name][size] = median(samples);
        printouts[size] =
            QStringLiteral("%1 pages, %2 bytes").arg(commands.m_pages).arg(commands.m_pdfBytes);
        std::fprintf(stderr, "%d records done\n", size);
    }
    std::printf("%-34s", "command");
    for (int size : sizes)
        std::printf(" %17d", size);
    std::printf("\n");
    for (const auto& [name, bySize] : table) {
        std::printf("%-34s", qPrintable(name));
        for (int size : sizes)
            std::printf(" %8.1f /%7.1f", bySize.at(size).wall, bySize.at(size).cpu);
        std::printf("\n");
    }
    for (int size : sizes)
        std::printf("printout at %d records: %s\n", size, qPrintable(printouts[size]));

    const QString self = QApplication::applicationFilePath();
    const auto [empty, emptyPrinted] = peakOf(self, 0);
    std::printf("\npeak memory (VmHWM, kB) of a process that ran every command once\n");
    std::printf("%14s %22s %22s\n", "records", "commands 1-5", "and printing");
    std::printf("%14s %22ld %22ld\n", "empty file", empty, emptyPrinted);
    for (int size : sizes) {
        const auto [peak, printed] = peakOf(self, size);
        std::printf("%14d %12ld (+%5.1f MB) %12ld (+%5.1f MB)\n", size, peak,
                    (peak - empty) / 1024.0, printed, (printed - emptyPrinted) / 1024.0);
    }
    return 0;
}
