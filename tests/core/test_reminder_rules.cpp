// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/reminder_rules.h"
#include "fakes.h"

#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;

class TestReminderRules : public QObject {
    Q_OBJECT

private slots:
    // The purge reads stored dates in the regional order, whatever "Calendar Format" says.
    void pastOneTime_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<char>("code");
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("past");
        const auto row = [](const char* name, const char* locale, char code, const char* date,
                            bool past) {
            QTest::newRow(name) << QString(locale) << code << QString(date) << past;
        };
        // Today is Friday 6 December 2002.
        row("month-first: yesterday", "en_US", 'O', "12/05/2002", true);
        row("month-first: today stays", "en_US", 'O', "12/06/2002", false);
        row("month-first: 12 July is past", "en_US", 'O', "07/12/2002", true);
        row("day-first: yesterday", "en_GB", 'O', "05/12/2002", true);
        row("day-first: today stays", "en_GB", 'O', "06/12/2002", false);
        row("day-first: 7 December is ahead", "en_GB", 'O', "07/12/2002", false);
        row("day-first: a month-first date reads as 12 May", "de_DE", 'O', "12/05/2002", true);
        row("day-first: no month 25, read month-first", "en_GB", 'O', "12/25/2001", true);
        row("neither order reads 31/31 and it stays", "en_GB", 'O', "31/31/2001", false);
        row("unreadable stays", "en_US", 'O', "garbage   ", false);
        row("blank stays", "en_US", 'O', "          ", false);
        for (char code : {'W', 'M', 'Y', 'Z'})
            row(QByteArray("only one-time: ").append(code).constData(), "en_US", code, "12/05/1990",
                false);
    }
    void pastOneTime() {
        QFETCH(QString, locale);
        QFETCH(char, code);
        QFETCH(QString, date);
        QFETCH(bool, past);
        const ReminderRecord record =
            ReminderRecord::fromBytes(recordBytes("Dentist", 'X', code, date), 70);
        QCOMPARE(isPastOneTime(record, QDate(2002, 12, 6), QLocale(locale)), past);
    }

    void frequencyChoices() {
        const QByteArray letters = "OWMY";
        for (int choice = 0; choice < letters.size(); ++choice) {
            QCOMPARE(frequencyCodeForChoice(choice), letters[choice]);
            QCOMPARE(choiceForFrequencyCode(letters[choice]), choice);
        }
        QCOMPARE(frequencyCodeForChoice(-1), ' ');
        QCOMPARE(frequencyCodeForChoice(4), ' ');
        QCOMPARE(choiceForFrequencyCode('o'), -1); // letters are compared exactly
        QCOMPARE(choiceForFrequencyCode(' '), -1);
    }

    // New's placeholder is month-first in every locale.
    void placeholder() {
        QCOMPARE(newPlaceholderRecord(QDate(2002, 1, 9)).bytes(),
                 recordBytes("", 'X', 'O', "01/09/2002"));
    }
};

QTEST_GUILESS_MAIN(TestReminderRules)
#include "test_reminder_rules.moc"
