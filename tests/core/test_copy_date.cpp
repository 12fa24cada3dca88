// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/copy_date.h"

#include <QHash>
#include <QTest>

using namespace nudgewell;

class TestCopyDate : public QObject {
    Q_OBJECT

private slots:
    void copiedText_data();
    void copiedText();
};

void TestCopyDate::copiedText_data() {
    QTest::addColumn<QString>("settings"); // "Key=value;Key=value", a missing key left out
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("copied"); // "-" for nothing
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale gb(QLocale::English, QLocale::UnitedKingdom);
    QTest::newRow("no settings") << "" << us << "-";
    QTest::newRow("copy alone: long") << "Copy Date=yes" << us << "Monday, March 4, 2002";
    QTest::newRow("long stored empty")
        << "Copy Date=yes;Long Date=" << us << "Monday, March 4, 2002";
    QTest::newRow("short beats long=no")
        << "Copy Date=yes;Short Date=yes;Long Date=no" << us << "3/4/02";
    QTest::newRow("short beats medium")
        << "Copy Date=yes;Short Date=yes;Medium Date=yes" << gb << "04/03/2002";
    QTest::newRow("medium, month first") << "Copy Date=yes;Medium Date=yes" << us << "Mar 4, 2002";
    QTest::newRow("medium, day first")
        << "Copy Date=yes;Medium Date=yes;Long Date=no" << gb << "4 Mar 2002";
    QTest::newRow("long=no alone") << "Copy Date=yes;Long Date=no" << us << "-";
    QTest::newRow("capital Yes") << "Copy Date=Yes" << us << "-";
    QTest::newRow("trailing blank") << "Copy Date=yes " << us << "-";
    QTest::newRow("capitals fall through")
        << "Copy Date=yes;Short Date=Yes;Medium Date=YES" << gb << "Monday, 4 March 2002";
    QTest::newRow("capital long: nothing")
        << "Copy Date=yes;Short Date=no;Long Date=Yes" << us << "-";
}

void TestCopyDate::copiedText() {
    QFETCH(QString, settings);
    QFETCH(QLocale, locale);
    QFETCH(QString, copied);
    QHash<QString, QString> store;
    for (const QString& pair : settings.split(';', Qt::SkipEmptyParts))
        store.insert(pair.section('=', 0, 0), pair.section('=', 1));
    const auto text = copyDateText(
        QDate(2002, 3, 4), [&](const QString& key) { return store.value(key); }, locale);
    QCOMPARE(text.value_or("-"), copied);
}

QTEST_GUILESS_MAIN(TestCopyDate)
#include "test_copy_date.moc"
