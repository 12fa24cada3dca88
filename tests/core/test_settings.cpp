// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/settings.h"

#include <QTemporaryDir>
#include <QTest>

using namespace nudgewell;

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void readAndSave() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Nudgewell.conf"));
        QCOMPARE(SettingsStore(file).get(keys::DaysChecked), QString());
        QVERIFY(SettingsStore(file).save(keys::DaysChecked, QStringLiteral("15")));
        QCOMPARE(SettingsStore(file).get(keys::DaysChecked), QStringLiteral("15"));
        // A store below a plain file cannot be written.
        QString error;
        QVERIFY(!SettingsStore(file + QStringLiteral("/below.conf"))
                     .save(keys::Height, QStringLiteral("5655"), &error));
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
    }
    void daysChecked() {
        QFETCH(QString, text);
        QFETCH(int, days);
        QCOMPARE(daysCheckedOrDefault(text), days);
    }

    void twipsText_data() {
        QTest::addColumn<double>("twips");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 5655.0 << "5655";
        QTest::newRow("fraction") << 5655.5 << "5655.5";
        QTest::newRow("seven significant digits") << 1234567.8 << "1234568";
    }
    void twipsText() {
        QFETCH(double, twips);
        QFETCH(QString, text);
        QCOMPARE(nudgewell::twipsText(twips), text);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
