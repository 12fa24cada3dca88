// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/settings.h"
#include "fakes.h"

#include <QTest>

using namespace nudgewell;
using namespace nudgewell::test;

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void saveLastsAcrossStores() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Nudgewell.conf"));
        {
            SettingsStore store(file);
            QCOMPARE(store.get(keys::DaysChecked), QString());
            QString error;
            QVERIFY2(store.save(keys::DaysChecked, QStringLiteral("15"), &error),
                     qPrintable(error));
            QVERIFY(store.save(keys::CalendarFormat, QStringLiteral("dd/mm")));
            QCOMPARE(store.get(keys::DaysChecked), QStringLiteral("15"));
        }
        QVERIFY(readFile(file).contains("[Nudgewell]"));
        SettingsStore reopened(file);
        QCOMPARE(reopened.get(keys::DaysChecked), QStringLiteral("15"));
        QCOMPARE(reopened.get(keys::CalendarFormat), QStringLiteral("dd/mm"));
    }

    void unwritableStoreReportsFailure() {
        QTemporaryDir dir;
        // A plain file where the store's folder should be.
        writeFile(dir.filePath(QStringLiteral("blocked")), "x");
        SettingsStore store(dir.filePath(QStringLiteral("blocked/Nudgewell.conf")));
        QString error;
        QVERIFY(!store.save(keys::Height, QStringLiteral("5655"), &error));
        QVERIFY(!error.isEmpty());
    }

    void daysChecked_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("days");
        QTest::newRow("missing") << "" << 6;
        QTest::newRow("not a number") << "abc" << 6;
        QTest::newRow("negative") << "-1" << 6;
        QTest::newRow("past a year") << "367" << 6;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("fifteen") << "15" << 15;
        QTest::newRow("blanks around") << " 7 " << 7;
    }

    void daysChecked() {
        QFETCH(QString, text);
        QFETCH(int, days);
        QCOMPARE(daysCheckedOrDefault(text), days);
    }

    void twips_data() {
        QTest::addColumn<double>("twips");
        QTest::addColumn<QString>("text");
        QTest::newRow("default height") << 5655.0 << "5655";
        QTest::newRow("default width") << 8940.0 << "8940";
        QTest::newRow("fraction") << 5655.5 << "5655.5";
    }

    void twips() {
        QFETCH(double, twips);
        QFETCH(QString, text);
        QCOMPARE(twipsText(twips), text);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
