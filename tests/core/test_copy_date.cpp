// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/copy_date.h"

#include <QHash>
#include <QTest>

using namespace nudgewell;

// The rules the calendar window's own table does not reach: empty values, other capitals,
// a day-first locale.
class TestCopyDate : public QObject {
    Q_OBJECT

private slots:
    void copiedText_data() {
        QTest::addColumn<QString>("settings"); // "Key=value;...", a missing key left out
        QTest::addColumn<QString>("copied");   // en_GB; "-" for nothing
        QTest::newRow("long stored empty") << "Copy Date=yes;Long Date="
                                           << "Monday, 4 March 2002";
        QTest::newRow("short beats medium") << "Copy Date=yes;Short Date=yes;Medium Date=yes"
                                            << "04/03/2002";
        QTest::newRow("medium, day first") << "Copy Date=yes;Medium Date=yes;Long Date=no"
                                           << "4 Mar 2002";
        QTest::newRow("trailing blank") << "Copy Date=yes "
                                        << "-";
        QTest::newRow("capitals fall through") << "Copy Date=yes;Short Date=Yes;Medium Date=YES"
                                               << "Monday, 4 March 2002";
        QTest::newRow("capital long") << "Copy Date=yes;Short Date=no;Long Date=Yes"
                                      << "-";
    }
    void copiedText() {
        QFETCH(QString, settings);
        QFETCH(QString, copied);
        QHash<QString, QString> store;
        for (const QString& pair : settings.split(';', Qt::SkipEmptyParts))
            store.insert(pair.section('=', 0, 0), pair.section('=', 1));
        const auto text = copyDateText(
            QDate(2002, 3, 4), [&](const QString& key) { return store.value(key); },
            QLocale(QLocale::English, QLocale::UnitedKingdom));
        QCOMPARE(text.value_or("-"), copied);
    }
};

QTEST_GUILESS_MAIN(TestCopyDate)
#include "test_copy_date.moc"
