#include "files/mechanismrecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;
using namespace ingranix::mechanismfile;

// Goal: saving and opening a normal mechanism file each take under 5 ms.
class BenchMechanismFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void save();
    void open();

private:
    QTemporaryDir dir;
    MechanismState state;
};

void BenchMechanismFile::initTestCase() {
    QVERIFY(dir.isValid());
    state.levelText = QStringLiteral("Livello3");
    state.colourSelectorText = state.gearColour = QStringLiteral("grigio");
    state.mechanismIndex = 7;
    for (int row = 1; row <= 4; ++row)
        for (int column = 1; column <= 4; ++column)
            state.constants.set(row, column, qint16((row * column) % 9 + 1));
}

void BenchMechanismFile::save() {
    // A fresh file each round, as the player usually saves under a new name.
    int round = 0;
    QBENCHMARK {
        const QString path = savePath(dir.filePath(QStringLiteral("save%1").arg(++round)));
        QVERIFY(appendRecord(path, state));
    }
}

void BenchMechanismFile::open() {
    const QString path = dir.filePath(QStringLiteral("open.txt"));
    QVERIFY(appendRecord(path, state));
    QVERIFY(appendRecord(path, state));
    MechanismState opened;
    QBENCHMARK {
        applyRecord(readRecordText(path), opened);
    }
    QCOMPARE(opened.constants, state.constants);
}

QTEST_GUILESS_MAIN(BenchMechanismFile)
#include "bench_mechanismfile.moc"
