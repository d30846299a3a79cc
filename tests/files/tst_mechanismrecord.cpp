#include "files/mechanismrecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace ingranix;
using namespace ingranix::mechanismfile;
using namespace Qt::Literals::StringLiterals;

namespace {

// Sixteen digits, row by row, as a compact way to write a constants table.
MechanismState state(const QString &level, const QString &colour, qint16 index, const char *digits) {
    MechanismState s;
    s.levelText = level;
    s.colourSelectorText = colour;
    s.gearColour = colour;
    s.mechanismIndex = index;
    for (int i = 0; i < 16; ++i)
        s.constants.set(i / 4 + 1, i % 4 + 1, qint16(digits[i] - '0'));
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

void compareStates(const MechanismState &actual, const MechanismState &expected) {
    QCOMPARE(actual.levelText, expected.levelText);
    QCOMPARE(actual.colourSelectorText, expected.colourSelectorText);
    QCOMPARE(actual.gearColour, expected.gearColour);
    QCOMPARE(actual.mechanismIndex, expected.mechanismIndex);
    QCOMPARE(actual.constants, expected.constants);
}

// One table row on one line, whatever the columns.
template <typename... Values> void row(const char *name, const Values &...values) {
    (QTest::newRow(name) << ... << values);
}

} // namespace

class TestMechanismRecord : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.isValid()); }
    void roundTrip_data();
    void roundTrip();
    void twoSavesRestoreTheFirst();
    void appliesFixedPositions_data();
    void appliesFixedPositions();
    void readsTheFirstRecord_data();
    void readsTheFirstRecord();
    void hugeAndUnreadableFiles();
    void failedSaves_data();
    void failedSaves();
    void earlierLinesSurviveEveryWrite();
    void names_data();
    void names();

private:
    QTemporaryDir dir;
};

void TestMechanismRecord::roundTrip_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("digits");
    row("Livello1 rosso, all ones", u"Livello1"_s, u"rosso"_s, 1, QByteArray("1111111111111111"));
    row("Livello2 verde", u"Livello2"_s, u"verde"_s, 5, QByteArray("1234567891234567"));
    row("Livello3 blu", u"Livello3"_s, u"blu"_s, 8, QByteArray("9182736455463728"));
    row("Livello4 grigio, all nines", u"Livello4"_s, u"grigio"_s, 9, QByteArray("9999999999999999"));
    row("a colour of any length", u"Livello2"_s, u"arancione scuro"_s, 4, QByteArray("1357924681357924"));
    row("no colour, index and constants 0", u"Livello3"_s, QString(), 0, QByteArray(16, '0'));
}

void TestMechanismRecord::roundTrip() {
    QFETCH(QString, level);
    QFETCH(QString, colour);
    QFETCH(int, index);
    QFETCH(QByteArray, digits);
    const MechanismState saved = state(level, colour, qint16(index), digits.constData());
    const QString path = dir.filePath(u"round %1.txt"_s.arg(QTest::currentDataTag()));
    QString error;
    QVERIFY2(appendRecord(path, saved, &error), qPrintable(error));
    // Opening while other values are shown must put back every saved one.
    MechanismState opened = state(u"Livello9"_s, u"viola"_s, 3, "5555555555555555");
    applyRecord(readRecordText(path), opened);
    compareStates(opened, saved);
}

void TestMechanismRecord::twoSavesRestoreTheFirst() {
    const QString path = dir.filePath(u"twice.txt"_s);
    const MechanismState first = state(u"Livello3"_s, u"grigio"_s, 7, "1234567891234567");
    const MechanismState second = state(u"Livello4"_s, u"blu"_s, 8, "9876987698769876");
    QVERIFY(appendRecord(path, first));
    QVERIFY(appendRecord(path, second));
    QCOMPARE(contents(path), QByteArray("\"Livello3*grigio*7*1*2*3*4*5*6*7*8*9*1*2*3*4*5*6*7*\"\r\n"
                                        "\"Livello4*blu*8*9*8*7*6*9*8*7*6*9*8*7*6*9*8*7*6*\"\r\n"));
    MechanismState opened = second;
    applyRecord(readRecordText(path), opened);
    compareStates(opened, first);
}

void TestMechanismRecord::appliesFixedPositions_data() {
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("digits");
    // Before each row the window shows Livello2, "verde", index 3 and a table of nines.
    const QString l1 = u"Livello1"_s, rosso = u"rosso"_s, tail = u"1*2*3*4*5*6*7*8*9*1*2*3*4*5*6*7*"_s;
    const QByteArray nines(16, '9'), digits("1234567891234567");
    row("nothing read empties only the level", QString(), QString(), u"verde"_s, 3, nines);
    row("too short for a colour", u"Livello2*rosso*"_s, u"Livello2"_s, u"verde"_s, 3, nines);
    row("index not a digit", "Livello1*rosso*x*" + tail, l1, rosso, 3, digits);
    row("a digit of another script", QString::fromUtf8("Livello1*rosso*\u0663*") + tail, l1, rosso, 3,
        digits);
    row("constants not digits", u"Livello1*rosso*5*1*2*3*4*5*6*-*8*9*1*2*3*4*5*6* *"_s, l1, rosso, 5,
        QByteArray("1234569891234569"));
    // A two-digit constant lengthens the record by one: everything after the level moves by one.
    row("two-digit constant shifts the fields", u"Livello1*rosso*5*12*2*3*4*5*6*7*8*9*1*2*3*4*5*6*7*"_s, l1,
        u"rosso*"_s, 3, QByteArray("2234567891234567"));
    // The level selector's prompt is 15 characters longer than a level: level and colour come back
    // shifted, while index and constants sit at the same distance from the record's end.
    row("prompt level reads back misaligned", QString(16, u' ') + "Livello*rosso*5*" + tail, QString(8, u' '),
        QString(7, u' ') + "Livello*rosso", 5, digits);
    row("exactly 44 characters: empty colour", "Livello1**5*" + tail, l1, QString(), 5, digits);
}

void TestMechanismRecord::appliesFixedPositions() {
    QFETCH(QString, record);
    QFETCH(QString, level);
    QFETCH(QString, colour);
    QFETCH(int, index);
    QFETCH(QByteArray, digits);
    MechanismState opened = state(u"Livello2"_s, u"verde"_s, 3, "9999999999999999");
    applyRecord(record, opened);
    compareStates(opened, state(level, colour, qint16(index), digits.constData()));
}

void TestMechanismRecord::readsTheFirstRecord_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QString pi = QString::fromUtf8("pi\u00f9");
    row("empty file", QByteArray(), QString());
    row("only the first line", QByteArray("\"first\"\r\n\"second\"\r\n"), u"first"_s);
    row("no quotes: the whole first line", QByteArray("Livello1*rosso*\r\nnext"), u"Livello1*rosso*"_s);
    row("unix line end", QByteArray("\"abc\"\nnext"), u"abc"_s);
    row("quote never closed", QByteArray("\"abc\r\n\"def\""), u"abc"_s);
    row("text after the closing quote", QByteArray("\"abc\",\"def\"\r\n"), u"abc"_s);
    row("utf-8 with byte order mark", QByteArray("\xef\xbb\xbf\"pi\xc3\xb9\"\r\n"), pi);
    row("western code page", QByteArray("\"pi\xf9\"\r\n"), pi);
    row("binary", QByteArray("\x00\x01\"\xfe\xff\x00\"\x02", 9), QString::fromLatin1("\xfe\xff\x00", 3));
}

void TestMechanismRecord::readsTheFirstRecord() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString path = dir.filePath(u"read.txt"_s);
    write(path, bytes);
    QCOMPARE(readRecordText(path), expected);
}

void TestMechanismRecord::hugeAndUnreadableFiles() {
    // Sparse 100 MB files cost no disk space; only their start may be read.
    const QString zeros = dir.filePath(u"zeros.txt"_s);
    const QString recordFirst = dir.filePath(u"record-first.txt"_s);
    const MechanismState saved = state(u"Livello3"_s, u"blu"_s, 2, "3141592653589793");
    QVERIFY(appendRecord(recordFirst, saved));
    for (const QString &path : {zeros, recordFirst}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(100 * 1024 * 1024));
    }
    QCOMPARE(readRecordText(zeros), QString(4096, QChar(0)));
    QCOMPARE(readRecordText(recordFirst), buildRecord(saved));

    // A pipe with no writer would block forever; a device may never end.
    const QString fifo = dir.filePath(u"pipe.txt"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &path : {QString(), dir.filePath(u"missing.txt"_s), dir.path(), fifo, u"/dev/zero"_s})
        QCOMPARE(readRecordText(path), QString());
    QVERIFY(!appendRecord(fifo, MechanismState()));
}

void TestMechanismRecord::failedSaves_data() {
    QTest::addColumn<QString>("path");
    // Tests may run as root, where permission bits stop nothing: these fail for everyone.
    QTest::newRow("folder is a regular file") << u"plain-file/record.txt"_s;
    QTest::newRow("missing folder") << u"no-such-folder/record.txt"_s;
    QTest::newRow("a folder") << u"."_s;
    QTest::newRow("device") << u"/dev/full"_s;
    QTest::newRow("no name") << QString();
}

void TestMechanismRecord::failedSaves() {
    QFETCH(QString, path);
    write(dir.filePath(u"plain-file"_s), "keep me");
    const QString target = path.isEmpty() || path.startsWith(u'/') ? path : dir.filePath(path);
    QString error;
    QVERIFY(!appendRecord(target, state(u"Livello1"_s, u"rosso"_s, 1, "1111111111111111"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(contents(dir.filePath(u"plain-file"_s)), QByteArray("keep me"));
}

void TestMechanismRecord::earlierLinesSurviveEveryWrite() {
    const QString path = dir.filePath(u"earlier.txt"_s);
    const QByteArray earlier(
        "\"Livello1*rosso*1*1*1*1*1*1*1*1*1*1*1*1*1*1*1*1*1*\"\r\nnote without line end");
    write(path, earlier);
    const MechanismState s = state(u"Livello4"_s, u"verde"_s, 9, "9999999999999999");
    QVERIFY(appendRecord(path, s));
    // The record starts a line of its own instead of lengthening the last one.
    const QByteArray before = contents(path);
    QCOMPARE(before, earlier + "\r\n\"" + buildRecord(s).toUtf8() + "\"\r\n");

    // A file size limit just past the current size makes the write stop part way, as a full disk does.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(before.size() + 10);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    QString error;
    const bool written = appendRecord(path, s, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QCOMPARE(contents(path), before);
}

void TestMechanismRecord::names_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("spoken");
    row("no extension", u"meccanismo"_s, u"meccanismo.txt"_s, u"meccan"_s);
    row("already .txt", u"/home/a/meccanismo.txt"_s, u"/home/a/meccanismo.txt"_s, u"/home/a/meccanismo"_s);
    row("upper case", u"M.TXT"_s, u"M.TXT"_s, u"M"_s);
    row("other extension", u"m.doc"_s, u"m.doc.txt"_s, u"m"_s);
    row(".txt inside", u"m.txt.bak"_s, u"m.txt.bak.txt"_s, u"m.txt"_s);
    row("exactly four", u"a.tx"_s, u"a.tx.txt"_s, QString());
    row("cancelled dialog", QString(), QString(), QString());
}

void TestMechanismRecord::names() {
    QFETCH(QString, chosen);
    QFETCH(QString, saved);
    QFETCH(QString, spoken);
    QCOMPARE(savePath(chosen), saved);
    QCOMPARE(spokenName(chosen), spoken);
}

QTEST_GUILESS_MAIN(TestMechanismRecord)
#include "tst_mechanismrecord.moc"
