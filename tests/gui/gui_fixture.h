// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/settings.h"
#include "fake_services.h"
#include "fakes.h"
#include "main/main_window.h"
#include "main/views.h"
#include "ui/twips.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>

#include <cstdio>
#include <functional>
#include <memory>

namespace nudgewell::test {

// Closes the modal window that opens next, noting its caption. It waits for the window (a
// loaded machine may take seconds to show it) rather than closing whatever is up at a fixed time.
inline void closeModalSoon(QString* caption = nullptr) {
    QTimer::singleShot(0, [caption] {
        QWidget* modal = nullptr;
        if (!QTest::qWaitFor(
                [&] { return (modal = QApplication::activeModalWidget()) && modal->isVisible(); }))
            return qWarning("no modal window to close");
        if (caption)
            *caption = modal->windowTitle();
        modal->close();
    });
}

// The window itself, not only its transient parent or child, has the focus.
inline bool activeSoon(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// One main window in its own folder and settings file, with the clock and locale pinned.
struct WindowFixture {
    explicit WindowFixture(const QDate& today = QDate(2037, 12, 6),
                           const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates))
        : clock(QDateTime(today, QTime(10, 30, 15)), locale),
          settings(dir.filePath(QStringLiteral("settings.ini"))) {}

    QString path(const QString& name) const { return dir.filePath(name); }
    // Stores "Key=value;Key=value".
    void store(const QString& pairs) {
        for (const QString& pair : pairs.split(';', Qt::SkipEmptyParts))
            settings.save(pair.section('=', 0, 0), pair.section('=', 1));
    }
    QByteArray reminderBytes() const { return readFile(path(QStringLiteral("reminder.dat"))); }
    void writeReminders(const QList<QByteArray>& records) const {
        writeFile(path(QStringLiteral("reminder.dat")), records.join());
    }

    // The fakes as the program's services, with another printer if given.
    Services services(Printer* otherPrinter = nullptr) {
        return {clock,     settings,   messages,
                help,      files,      otherPrinter ? *otherPrinter : printer,
                clipboard, systemDate, dir.path()};
    }
    // Builds and starts the window; shows it unless told not to.
    MainWindow& start(bool show = true, Printer* otherPrinter = nullptr) {
        window = std::make_unique<MainWindow>(services(otherPrinter));
        started = window->startUp();
        if (show && started) {
            window->showAsStored();
            // Keys reach the window only once it is active.
            if (!window->isMinimized())
                started = activate();
        }
        return *window;
    }
    bool activate() const {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    // A key pressed where the focus is, as a user would; gives the reminder file after it.
    QByteArray press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        if (!window->isActiveWindow())
            activate();
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), Qt::Key(key), modifiers);
        return reminderBytes();
    }
    void type(const QString& text) const { QTest::keyClicks(focused(), text); }

    // A size in twips as pixels on the window's screen.
    QSize pixels(double width, double height) const {
        const double dpi = dpiOf(window.get());
        return QSize(twipsToPixels(width, dpi), twipsToPixels(height, dpi));
    }
    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }
    QAction* action(const QString& name) const { return find<QAction>(name); }
    QSizeF twips() const { return {window->widthTwips(), window->heightTwips()}; }
    QList<QSize> listSizes() const {
        return {find<QWidget>("reminderlist")->size(), find<QWidget>("reminderlist2")->size()};
    }
    QStringList lines(const QString& list) const {
        QStringList out;
        const auto* model = find<QListView>(list)->model();
        for (int row = 0; row < model->rowCount(); ++row)
            out << model->index(row, 0).data().toString();
        return out;
    }

    // Runs steps separated by "; ", as a user would: a key as QKeySequence spells it ("F5",
    // "Ctrl+PgUp"), pressed where the focus is (in About while it shows); "type|paste|char
    // <text>"; "trigger <action or button>"; "focus <widget>"; "pick <box> <index>"; "date
    // <yyyy-MM-dd>"; "row|click|dclick <list> <row from 1>", or click a widget; "fail <file
    // step> [call]"; "answer no"; "store <Key=value;...>"; "locale <name>"; "clock <ISO date and
    // time>"; "start" (again); "modal <action>" (its window closed as it shows); "activate";
    // "close <window>"; "title <menu>" (highlighted by Alt and the arrows); "file <records>" (the
    // bytes on disk now); "replace <records>" (renamed over it); "resize <width> <height>" (in
    // twips); "maximise"; "restore"; "wait <ms>"; "hidetip"; "mark" (the lists' resets and
    // sizes); "is <probe> <value>". The window starts at the first step that needs it.
    void run(const QString& steps);
    // What the window shows now, by a name from the table in it.
    QString probe(const QString& name) const;
    static QWidget* focused() { return QApplication::focusWidget(); }
    QCalendarWidget* calendar() const { return find<QCalendarWidget>("Calendar2"); }

    QTemporaryDir dir;
    FakeClock clock;
    SettingsStore settings;
    FakeMessageBoxes messages;
    FakeHelp help;
    FailingFileSystem files;
    FakePrinter printer;
    FakeClipboard clipboard;
    FakeSystemDate systemDate;
    std::unique_ptr<MainWindow> window;
    bool started = false;
    QString caption;     // of the last modal window
    int resets = 0;      // of the lists' models, since the start or "mark"
    QList<QSize> marked; // the lists' sizes at "mark"
};

// A file's records as "text|XW|12/07/2037" with an optional "|reserved", joined by ", ".
inline QByteArray records(const QString& list) {
    QByteArray out;
    for (const QString& r : list.split(", ", Qt::SkipEmptyParts)) {
        const QStringList p = r.split('|');
        out += recordBytes(p[0], p[1][0].toLatin1(), p[1][1].toLatin1(), p[2],
                           p.size() > 3 ? p[3].toLatin1() : QByteArray(3, '\0'));
    }
    return out;
}

inline QString WindowFixture::probe(const QString& name) const {
    const auto* text = find<QLineEdit>("txtreminder");
    const QString list = window->view() == View::All ? "reminderlist2" : "reminderlist";
    const bool editor = find<QWidget>("Frame1")->isVisible();
    const bool upcoming = find<QWidget>("reminderlist")->isVisible();
    const bool all = find<QWidget>("reminderlist2")->isVisible();
    const auto nameOf = [](const QWidget* w) { return w ? w->objectName() : QString("none"); };
    QStringList topics, windows, labels;
    for (const char* label : {"LabelNoRemindersAll", "LabelNoRemindersWeek"})
        if (find<QLabel>(label)->isVisible())
            labels << find<QLabel>(label)->text();
    for (int topic : help.requests)
        topics << QString::number(topic);
    for (const QWidget* w : QApplication::topLevelWidgets()) // not menus and tips
        if (w->isVisible() && w != window.get() && !w->objectName().isEmpty())
            windows << w->objectName() + '=' + w->windowTitle();
    windows.sort();
    QStringList toolbar, wrong; // the toolbar as it shows, a disabled button with "-"; the
    // actions that do not show as the state table says
    for (const QAction* a : find<QWidget>("Toolbar1")->actions())
        if (a->isVisible())
            toolbar << a->objectName() + (a->isEnabled() ? "" : "-");
    const WindowState state{window->isEditing() ? Mode::Editing : Mode::Browsing, window->view(),
                            !lines(list).isEmpty(), window->session().readOnly()};
    for (const ActionState& row : actionStates()) {
        const QAction* a = action(QString(row.objectName));
        // Qt disables what it hides.
        if (!a || a->isVisible() != row.visible(state) ||
            a->isEnabled() != (row.visible(state) && row.enabled(state)))
            wrong << QString(row.objectName);
    }
    QStringList allowed; // what the Reminder menu allows now, by the rules themselves
    for (const QAction* a : window->findChild<QMenu*>("menureminder1")->actions())
        if (a->isVisible() && a->isEnabled() && !a->isSeparator())
            allowed << a->objectName();
    const QRect screen = window->screen()->geometry();
    const QFontMetricsF metrics(find<QListView>(list)->font());
    const QList<qreal> stops = ReminderLineDelegate::tabStops(metrics, clock.locale());
    const auto width = [&](const QString& text) { return metrics.horizontalAdvance(text); };
    const int rowWidth =
        find<QListView>(list)->model()->index(0, 0).data(Qt::SizeHintRole).toSize().width();
    QStringList overflowing; // the lines and weekdays that do not fit their columns
    for (const QString& line : lines(list))
        if (const QStringList parts = line.split('\t');
            parts.size() != 3 || width(parts[0]) >= stops[0] ||
            width(parts[1]) >= stops[1] - stops[0] || stops[1] + width(parts[2]) > rowWidth)
            overflowing << line;
    for (int day = 1; day <= 7; ++day)
        if (const QString name = clock.locale().dayName(day, QLocale::ShortFormat);
            width("00/00/00   " + name) >= stops[0])
            overflowing << name;
    const QSize fitted = pixels(twips().width() - 365, twips().height() - 1920);
    const auto yes = [](bool b) { return QString(b ? "yes" : "no"); };
    const QMap<QString, QString> probes = {
        // The panel shows exactly while editing, and no list with it.
        {"editing", window->isEditing() != editor || (editor && (upcoming || all)) ? "differ"
                    : editor                                                       ? "yes"
                                                                                   : "no"},
        {"text", text->text()},
        {"selected", text->selectedText()},
        {"choices", find<QComboBox>("typelist")->currentText() + ' ' +
                        find<QComboBox>("yearlist")->currentText()},
        {"date", calendar()->selectedDate().toString(Qt::ISODate)},
        {"current", QString::number(window->currentRecord())},
        {"count", QString::number(window->recordCount())},
        {"row", QString::number(find<QListView>(list)->currentIndex().row() + 1)},
        {"lines", QString::number(lines(list).size())},
        {"line1", lines(list).value(0).trimmed()},
        {"list", lines(list).join(" | ")},
        {"title", window->windowTitle()},
        {"label", labels.join(" | ")},
        {"view", QStringList{"none", "upcoming", "all", "both"}.value(upcoming + 2 * all)},
        {"focus", nameOf(QApplication::focusWidget())},
        {"popup", nameOf(QApplication::activePopupWidget())},
        {"help", topics.join(' ')},
        {"caption", caption},
        {"tip", QToolTip::isVisible() ? QToolTip::text() : "-"},
        {"format", settings.get("Calendar Format")},
        {"datelabel",
         find<QLabel>("lblShowDate1")->text() + ' ' + find<QLabel>("lblShowDate2")->text()},
        {"printed", QString::number(printer.pages.value(0).size())},
        {"windows", windows.join(", ")},
        {"resets", QString::number(resets)},
        {"toolbar", toolbar.join(' ')},
        {"states", wrong.isEmpty() ? "ok" : wrong.join(' ')},
        {"allowed", allowed.join(' ')},
        {"startup", QString(readFile(path("startup.dat"))).replace(' ', '_')},
        {"days", settings.get("Days Checked")},
        {"stored", settings.get("Height") + ' ' + settings.get("Width")},
        {"size", QString("%1 %2").arg(twips().width()).arg(twips().height())},
        {"centred",
         yes((QRect(window->pos(), window->size()).center() - screen.center()).manhattanLength() <=
             2)},
        {"shown", yes(window->isVisible())},
        {"fits", overflowing.isEmpty() ? "yes" : overflowing.join(" | ")},
        {"state", QStringList{"normal", "minimised", "maximised"}.value(window->windowState() & 3)},
        {"messages", QString::number(messages.shown.size())},
        {"icon", messages.icons.isEmpty() ? "-" : QString::number(int(messages.icons.last()))},
        // Both lists fit the window, or have the size they had at "mark".
        {"lists", listSizes() == QList{fitted, fitted} ? "fit"
                  : listSizes() == marked              ? "kept"
                                                       : "other"},
    };
    return probes.value(name, "no probe " + name);
}

inline void WindowFixture::run(const QString& steps) {
    for (const QString& step : steps.split("; ", Qt::SkipEmptyParts)) {
        const QString word = step.section(' ', 0, 0), arg = step.section(' ', 1);
        const QString arg1 = step.section(' ', 1, 1), arg2 = step.section(' ', 2);
        if (word == "fail") { // the given call of the kind, the first if none; as Step orders them
            files.failAt = FailingFileSystem::Step(QStringList{"", "Open", "Read", "Write", "Flush",
                                                               "Rename", "Remove", "SyncDirectory"}
                                                       .indexOf(arg1));
            files.failOnCall = qMax(1, arg2.toInt());
            continue;
        }
        if (word == "locale" || word == "store") {
            word == "store" ? store(arg) : clock.setLocale(QLocale(arg));
            continue;
        }
        if (!window || word == "start") {
            start();
            if (!started) // the caller looks at what was said
                return;
            for (const char* list : {"reminderlist", "reminderlist2"})
                QObject::connect(find<QListView>(list)->model(), &QAbstractItemModel::modelReset,
                                 [this] { ++resets; });
        }
        auto* about = find<QWidget>("AboutForm"); // keys go to About while it shows
        QWidget* in = about && about->isVisible() ? about : static_cast<QWidget*>(window.get());
        auto* list = find<QListView>(arg1);
        const QModelIndex index = list ? list->model()->index(arg2.toInt() - 1, 0) : QModelIndex();
        QWidget* at = list ? list->viewport() : find<QWidget>(arg1);
        const QPoint point = list ? list->visualRect(index).center() : QPoint(5, 5);
        const QString reminders = path("reminder.dat"), theirs = path("theirs");
        auto* bar = window->menuBar();
        auto* button = in->findChild<QAbstractButton*>(arg);
        QWidget* target = arg == in->objectName() ? in : in->findChild<QWidget*>(arg);
        // "char" sends any letter, where QTest types ASCII only.
        const QMap<QString, std::function<void()>> commands = {
            {"start", [] {}},
            {"is", [&] { QTRY_COMPARE(probe(arg1), arg2); }},
            {"type", [&] { type(arg); }},
            {"paste", [&] { find<QLineEdit>("txtreminder")->insert(arg); }},
            {"char",
             [&] { QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, arg, {}); }},
            {"trigger", [&] { button ? button->click() : action(arg)->trigger(); }},
            {"focus",
             [&] {
                 QVERIFY2(target && target->isVisible(), qPrintable(arg));
                 target->setFocus();
             }},
            {"pick", [&] { find<QComboBox>(arg1)->setCurrentIndex(arg2.toInt()); }},
            {"date", [&] { calendar()->setSelectedDate(QDate::fromString(arg, Qt::ISODate)); }},
            {"row", [&] { list->setCurrentIndex(index); }},
            {"click", [&] { QTest::mouseClick(at, Qt::LeftButton, {}, point); }},
            {"dclick", [&] { QTest::mouseDClick(at, Qt::LeftButton, {}, point); }},
            {"answer", [&] { messages.answers.push_back(arg == "yes"); }},
            {"modal",
             [&] {
                 closeModalSoon(&caption);
                 action(arg)->trigger();
                 QVERIFY(activate());
             }},
            {"activate", [&] { QVERIFY(activate()); }},
            {"close",
             [&] { (arg == window->objectName() ? window.get() : find<QWidget>(arg))->close(); }},
            {"title",
             [&] { // highlighted as the user does it, by Alt and the arrows
                 const QAction* title = window->findChild<QMenu*>(arg)->menuAction();
                 QTest::keyClick(focused(), Qt::Key_Alt, Qt::AltModifier);
                 for (int i = 0; i < 4 && bar->activeAction() != title; ++i)
                     QTest::keyClick(bar, Qt::Key_Right);
                 QCOMPARE(bar->activeAction(), title);
             }},
            {"file", [&] { QCOMPARE(reminderBytes(), records(arg)); }},
            {"replace",
             [&] { // as another program saves
                 writeFile(theirs, records(arg));
                 QVERIFY(std::rename(qPrintable(theirs), qPrintable(reminders)) == 0);
             }},
            {"wait", [&] { QTest::qWait(arg.toInt()); }},
            {"resize", [&] { window->resize(pixels(arg1.toDouble(), arg2.toDouble())); }},
            {"clock", [&] { clock.set(QDateTime::fromString(arg, Qt::ISODate)); }},
            {"hidetip", [&] { QToolTip::hideText(); }},
            {"mark", [&] { resets = 0, marked = listSizes(); }},
            {"maximise", [&] { window->showMaximized(); }},
            {"restore", [&] { window->showNormal(); }},
        };
        if (commands.contains(word)) {
            commands[word]();
        } else { // a key, where the focus is
            const QKeyCombination key = QKeySequence::fromString(step)[0];
            QVERIFY2(key.toCombined() && !step.contains(' '), qPrintable(step));
            if (QApplication::activeWindow() != in && !QApplication::activePopupWidget())
                QVERIFY(activeSoon(in));
            QWidget* popup = QApplication::activePopupWidget();
            QTest::keyClick(popup       ? popup
                            : focused() ? focused()
                                        : in,
                            key.key(), key.keyboardModifiers());
        }
        if (QTest::currentTestFailed())
            return qWarning("at step \"%s\"", qPrintable(step));
    }
}

} // namespace nudgewell::test
