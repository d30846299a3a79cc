#include "files/mechanismrecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace ingranix;
using namespace ingranix::mechanismfile;
using namespace Qt::Literals::StringLiterals;

namespace {

// Sixteen digits, row by row, stand for a constants table.
MechanismState state(const QString &level, const QString &colour, int index, const QByteArray &digits) {
    MechanismState s{level, colour, colour, qint16(index), {}};
    for (int i = 0; i < 16; ++i)
        s.constants.set(i / 4 + 1, i % 4 + 1, qint16(digits.at(i) - '0'));
    return s;
}

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestMechanismRecord : public QObject {
    Q_OBJECT

private slots:
    // Two saves append two records; opening while other values are shown puts back every one of the first.
    void saveTwiceOpenTheFirst() {
        // A chosen name gets ".txt".
        const QString path = savePath(dir.filePath(u"due"_s));
        const MechanismState saved = state(u"Livello2"_s, QString(), 0, "1234567890123456");
        const MechanismState other = state(u"Livello4"_s, u"blu"_s, 8, QByteArray(16, '1'));
        QString error;
        QVERIFY2(appendRecord(path, saved, &error), qPrintable(error));
        QVERIFY(appendRecord(path, other));
        QCOMPARE(contents(dir.filePath(u"due.txt"_s)),
                 "\"Livello2**0*1*2*3*4*5*6*7*8*9*0*1*2*3*4*5*6*\"\r\n"
                 "\"Livello4*blu*8*1*1*1*1*1*1*1*1*1*1*1*1*1*1*1*1*\"\r\n"_ba);
        MechanismState opened = other;
        applyRecord(readRecordText(path), opened);
        QVERIFY(opened == saved);
    }

    void fieldsThatAreNotDigitsAreSkipped() {
        MechanismState opened = state(u"Livello2"_s, u"verde"_s, 3, QByteArray(16, '9'));
        applyRecord(u"Livello1*rosso*x*1*2*3*4*5*6*-*8*9*1*2*3*4*5*6* *"_s, opened);
        QVERIFY(opened == state(u"Livello1"_s, u"rosso"_s, 3, QByteArray("1234569891234569")));
    }

    void readsTheFirstRecord_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        const QString pi = QString::fromUtf8("pi\u00f9");
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("no quotes: the whole first line")
            << QByteArray("Livello1*rosso*\r\nnext") << u"Livello1*rosso*"_s;
        QTest::newRow("western code page") << QByteArray("\"pi\xf9\"\r\n") << QString(pi);
        QTest::newRow("only the first 4 KB") << QByteArray(5000, 'x') << QString(4096, u'x');
    }

    void readsTheFirstRecord() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const QString path = dir.filePath(u"read.txt"_s);
        write(path, bytes);
        QCOMPARE(readRecordText(path), expected);
    }

    void unusablePaths() {
        // No name, and a device that never ends.
        for (const QString &path : {QString(), u"/dev/zero"_s}) {
            QString error;
            QVERIFY(!appendRecord(path, MechanismState(), &error));
            QVERIFY(!error.isEmpty());
            QCOMPARE(readRecordText(path), QString());
        }
    }

    void earlierLinesSurviveEveryWrite() {
        const QString path = dir.filePath(u"earlier.txt"_s);
        const QByteArray earlier("x"); // a line without its line end
        write(path, earlier);
        const MechanismState s = state(u"Livello4"_s, u"verde"_s, 9, QByteArray(16, '9'));
        QVERIFY(appendRecord(path, s));
        // The record starts a line of its own instead of lengthening the last one.
        const QByteArray before = contents(path);
        QCOMPARE(before, earlier + "\r\n\"Livello4*verde*9*9*9*9*9*9*9*9*9*9*9*9*9*9*9*9*9*\"\r\n");

        // A file size limit just past the current size stops the write part way, as a full disk does:
        // the save fails and the file keeps what it had.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tight = saved;
        tight.rlim_cur = rlim_t(before.size() + 10);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        const bool written = appendRecord(path, s);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!written);
        QCOMPARE(contents(path), before);
    }

private:
    QTemporaryDir dir;
};

QTEST_GUILESS_MAIN(TestMechanismRecord)
#include "tst_mechanismrecord.moc"
