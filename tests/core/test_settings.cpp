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
        QTest::newRow("a leap year ahead") << "366" << 366;
        QTest::newRow("past a year") << "367" << 6;
        QTest::newRow("past an int") << "2147483648" << 6;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("fifteen") << "15" << 15;
    }
    void daysChecked() {
        QFETCH(QString, text);
        QFETCH(int, days);
        QCOMPARE(daysCheckedOrDefault(text), days);
    }

    void windowSize_data() {
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QSizeF>("size"); // width x height
        const auto row = [](const char* name, const char* height, const char* width, QSizeF size) {
            QTest::newRow(name) << QString(height) << QString(width) << size;
        };
        row("stored", "6000", "9600", {9600, 6000});
        row("fractions", "6000.5", "9600.25", {9600.25, 6000.5});
        row("none stored", "", "", {8900, 5655});
        row("width garbled", "6000", "wide", {8900, 6000});
        row("width zero", "6000", "0", {8900, 6000});
        row("height garbled: both first-run", "tall", "9600", {8900, 5655});
        row("height negative", "-5", "9600", {8900, 5655});
        row("height too large", "1e6", "9600", {8900, 5655});
        row("height not a number", "nan", "9600", {8900, 5655});
    }
    void windowSize() {
        QFETCH(QString, height);
        QFETCH(QString, width);
        QFETCH(QSizeF, size);
        const WindowSizeTwips got = storedWindowSize(height, width);
        QCOMPARE(QSizeF(got.width, got.height), size);
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
