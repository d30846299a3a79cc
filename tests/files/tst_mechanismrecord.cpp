#include "files/mechanismrecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace ingranix;
using namespace ingranix::mechanismfile;

namespace {

// Sixteen digits, row by row, as a compact way to write a constants table.
ConstantsTable table(const char *digits) {
    ConstantsTable constants;
    for (int i = 0; i < 16; ++i)
        constants.set(i / 4 + 1, i % 4 + 1, qint16(digits[i] - '0'));
    return constants;
}

MechanismState state(const QString &level, const QString &colour, qint16 index, const char *digits) {
    MechanismState s;
    s.levelText = level;
    s.colourSelectorText = colour;
    s.gearColour = colour;
    s.mechanismIndex = index;
    s.constants = table(digits);
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
    for (int row = 1; row <= 4; ++row)
        for (int column = 1; column <= 4; ++column)
            QCOMPARE(actual.constants.at(row, column), expected.constants.at(row, column));
}

const QString prompt = QString(16, u' ') + QStringLiteral("Livello");

} // namespace

class TestMechanismRecord : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.isValid()); }

    void buildsTheRecordFieldByField();
    void roundTrip_data();
    void roundTrip();
    void twoSavesRestoreTheFirst();
    void promptLevelReadsBackMisaligned();
    void appliesFixedPositions_data();
    void appliesFixedPositions();
    void readsTheFirstRecord_data();
    void readsTheFirstRecord();
    void hugeFilesReadOnlyTheStart();
    void devicesAndFoldersReadNothing();
    void appendKeepsEarlierLines();
    void failedSaves_data();
    void failedSaves();
    void fullDiskLeavesTheFileAsItWas();
    void savePaths_data();
    void savePaths();
    void spokenNames_data();
    void spokenNames();

private:
    QTemporaryDir dir;
};

void TestMechanismRecord::buildsTheRecordFieldByField() {
    const MechanismState s =
        state(QStringLiteral("Livello3"), QStringLiteral("grigio"), 7, "1234567891234567");
    QCOMPARE(buildRecord(s), QStringLiteral("Livello3*grigio*7*1*2*3*4*5*6*7*8*9*1*2*3*4*5*6*7*"));
    const QString path = dir.filePath(QStringLiteral("fields.txt"));
    QVERIFY(appendRecord(path, s));
    QCOMPARE(contents(path), QByteArray("\"Livello3*grigio*7*1*2*3*4*5*6*7*8*9*1*2*3*4*5*6*7*\"\r\n"));
}

void TestMechanismRecord::roundTrip_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("digits");

    const QStringList levels{"Livello1", "Livello2", "Livello3", "Livello4"};
    const QStringList colours{"rosso", "verde", "blu", "grigio"};
    for (const QString &level : levels) {
        for (const QString &colour : colours) {
            for (int index = 1; index <= 9; ++index) {
                // A different table for every row, every digit 1-9 in every cell across the rows.
                QByteArray digits;
                for (int cell = 0; cell < 16; ++cell)
                    digits +=
                        char('1' + (cell * 5 + index + int(level.back().unicode()) + colour.size()) % 9);
                QTest::addRow("%s %s %d", qPrintable(level), qPrintable(colour), index)
                    << level << colour << index << digits;
            }
        }
    }
    QTest::newRow("all ones") << "Livello1"
                              << "rosso" << 1 << QByteArray("1111111111111111");
    QTest::newRow("all nines") << "Livello4"
                               << "grigio" << 9 << QByteArray("9999999999999999");
    QTest::newRow("zeros read back too") << "Livello2"
                                         << "blu" << 0 << QByteArray("0000000000000000");
    QTest::newRow("a colour of any length") << "Livello2"
                                            << "arancione scuro" << 4 << QByteArray("9182736455463728");
    QTest::newRow("no colour at all") << "Livello3"
                                      << "" << 6 << QByteArray("1357924681357924");
}

void TestMechanismRecord::roundTrip() {
    QFETCH(QString, level);
    QFETCH(QString, colour);
    QFETCH(int, index);
    QFETCH(QByteArray, digits);

    const MechanismState saved = state(level, colour, qint16(index), digits.constData());
    const QString path = dir.filePath(QStringLiteral("round %1.txt").arg(QTest::currentDataTag()));
    QString error;
    QVERIFY2(appendRecord(path, saved, &error), qPrintable(error));

    // Opening while other values are shown must put back every saved one.
    MechanismState opened = state(QStringLiteral("Livello9"), QStringLiteral("viola"), 3, "5555555555555555");
    applyRecord(readRecordText(path), opened);
    compareStates(opened, saved);
}

void TestMechanismRecord::twoSavesRestoreTheFirst() {
    const QString path = dir.filePath(QStringLiteral("twice.txt"));
    const MechanismState first =
        state(QStringLiteral("Livello2"), QStringLiteral("verde"), 4, "1234123412341234");
    const MechanismState second =
        state(QStringLiteral("Livello4"), QStringLiteral("blu"), 8, "9876987698769876");
    QVERIFY(appendRecord(path, first));
    QVERIFY(appendRecord(path, second));
    QCOMPARE(contents(path),
             '"' + buildRecord(first).toUtf8() + "\"\r\n\"" + buildRecord(second).toUtf8() + "\"\r\n");

    MechanismState opened = second;
    applyRecord(readRecordText(path), opened);
    compareStates(opened, first);
}

void TestMechanismRecord::promptLevelReadsBackMisaligned() {
    const QString path = dir.filePath(QStringLiteral("prompt.txt"));
    QVERIFY(appendRecord(path, state(prompt, QStringLiteral("rosso"), 5, "1234567891234567")));

    MechanismState opened = state(QStringLiteral("Livello1"), QStringLiteral("verde"), 2, "9999999999999999");
    applyRecord(readRecordText(path), opened);
    // The extra 15 characters of the prompt shift level and colour; index and constants sit at the
    // same distance from the record's end and still come back.
    MechanismState expected =
        state(QString(8, u' '), QString(7, u' ') + QStringLiteral("Livello*rosso"), 5, "1234567891234567");
    compareStates(opened, expected);
    QVERIFY(!QStringList({"Livello1", "Livello2", "Livello3", "Livello4"}).contains(opened.levelText));
}

void TestMechanismRecord::appliesFixedPositions_data() {
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("digits");

    // Before each row the window shows Livello2, "verde", index 3 and a table of nines.
    QTest::newRow("nothing read empties only the level") << ""
                                                         << ""
                                                         << "verde" << 3 << QByteArray("9999999999999999");
    QTest::newRow("too short for a colour") << "Livello2*rosso*"
                                            << "Livello2"
                                            << "verde" << 3 << QByteArray("9999999999999999");
    QTest::newRow("index not a digit") << "Livello1*rosso*x*1*2*3*4*5*6*7*8*9*1*2*3*4*5*6*7*"
                                       << "Livello1"
                                       << "rosso" << 3 << QByteArray("1234567891234567");
    QTest::newRow("constants not digits") << "Livello1*rosso*5*1*2*3*4*5*6*-*8*9*1*2*3*4*5*6* *"
                                          << "Livello1"
                                          << "rosso" << 5 << QByteArray("1234569891234569");
    QTest::newRow("a digit of another script")
        << QString::fromUtf8("Livello1*rosso*\u0663*1*2*3*4*5*6*7*8*9*1*2*3*4*5*6*7*") << "Livello1"
        << "rosso" << 3 << QByteArray("1234567891234567");
    // A two-digit constant lengthens the record by one: everything after the level moves by one.
    QTest::newRow("two-digit constant shifts the fields")
        << "Livello1*rosso*5*12*2*3*4*5*6*7*8*9*1*2*3*4*5*6*7*"
        << "Livello1"
        << "rosso*" << 3 << QByteArray("2234567891234567");
    QTest::newRow("exactly 44 characters: empty colour") << "Livello1**5*1*2*3*4*5*6*7*8*9*1*2*3*4*5*6*7*"
                                                         << "Livello1"
                                                         << "" << 5 << QByteArray("1234567891234567");
    QTest::newRow("control characters") << QString::fromLatin1("\x01\x02\x03\x7f\x00\xff", 6)
                                        << QString::fromLatin1("\x01\x02\x03\x7f\x00\xff", 6) << "verde" << 3
                                        << QByteArray("9999999999999999");
}

void TestMechanismRecord::appliesFixedPositions() {
    QFETCH(QString, record);
    QFETCH(QString, level);
    QFETCH(QString, colour);
    QFETCH(int, index);
    QFETCH(QByteArray, digits);

    MechanismState opened = state(QStringLiteral("Livello2"), QStringLiteral("verde"), 3, "9999999999999999");
    mechanismfile::applyRecord(record, opened);
    compareStates(opened, state(level, colour, qint16(index), digits.constData()));
}

void TestMechanismRecord::readsTheFirstRecord_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("quoted record") << QByteArray("\"Livello1*rosso*1*\"\r\n") << "Livello1*rosso*1*";
    QTest::newRow("only the first line") << QByteArray("\"first\"\r\n\"second\"\r\n") << "first";
    QTest::newRow("no quotes: the whole first line")
        << QByteArray("Livello1*rosso*1*\r\nnext") << "Livello1*rosso*1*";
    QTest::newRow("unix line end") << QByteArray("\"abc\"\nnext") << "abc";
    QTest::newRow("no line end") << QByteArray("\"abc\"") << "abc";
    QTest::newRow("quote never closed") << QByteArray("\"abc\r\n\"def\"") << "abc";
    QTest::newRow("text after the closing quote") << QByteArray("\"abc\",\"def\"\r\n") << "abc";
    QTest::newRow("blanks before the quote") << QByteArray("   \"abc\"\r\n") << "abc";
    QTest::newRow("empty first line") << QByteArray("\r\n\"abc\"\r\n") << "";
    QTest::newRow("utf-8") << QByteArray("\"pi\xc3\xb9\"\r\n") << QString::fromUtf8("pi\u00f9");
    QTest::newRow("utf-8 with byte order mark") << QByteArray("\xef\xbb\xbf\"abc\"\r\n") << "abc";
    QTest::newRow("western code page") << QByteArray("\"pi\xf9\"\r\n") << QString::fromUtf8("pi\u00f9");
    QTest::newRow("binary") << QByteArray("\x00\x01\"\xfe\xff\x00\"\x02", 9)
                            << QString::fromLatin1("\xfe\xff\x00", 3);
}

void TestMechanismRecord::readsTheFirstRecord() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString path = dir.filePath(QStringLiteral("read.txt"));
    write(path, bytes);
    QCOMPARE(mechanismfile::readRecordText(path), expected);
}

void TestMechanismRecord::hugeFilesReadOnlyTheStart() {
    constexpr qint64 hundredMegabytes = 100 * 1024 * 1024;
    const QString zeros = dir.filePath(QStringLiteral("zeros.txt"));
    const QString recordFirst = dir.filePath(QStringLiteral("record-first.txt"));
    const QString longLine = dir.filePath(QStringLiteral("long-line.txt"));
    {
        // Sparse: the files cost no disk space and no time to make.
        QFile file(zeros);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(hundredMegabytes));
    }
    const MechanismState saved =
        state(QStringLiteral("Livello3"), QStringLiteral("blu"), 2, "3141592653589793");
    QVERIFY(appendRecord(recordFirst, saved));
    {
        QFile file(recordFirst);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(hundredMegabytes));
    }
    write(longLine, "\"" + QByteArray(10000, 'a') + "\"\r\n");

    QElapsedTimer clock;
    clock.start();
    const QString fromZeros = readRecordText(zeros);
    QCOMPARE(fromZeros.size(), 4096);
    QCOMPARE(fromZeros, QString(4096, QChar(0)));
    QCOMPARE(readRecordText(recordFirst), buildRecord(saved));
    QCOMPARE(readRecordText(longLine), QString(4095, u'a'));
    // Reading the whole 100 MB would take far longer than this on any disk.
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));

    MechanismState opened = saved;
    applyRecord(fromZeros, opened);
    QCOMPARE(opened.levelText, QString(8, QChar(0)));
}

void TestMechanismRecord::devicesAndFoldersReadNothing() {
    const QString fifo = dir.filePath(QStringLiteral("pipe.txt"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A pipe with no writer would block forever; a device may never end.
    for (const QString &path : {QString(), dir.filePath(QStringLiteral("missing.txt")), dir.path(), fifo,
                                QStringLiteral("/dev/zero")})
        QCOMPARE(readRecordText(path), QString());
    QVERIFY(!appendRecord(fifo, MechanismState()));
}

void TestMechanismRecord::appendKeepsEarlierLines() {
    const QString path = dir.filePath(QStringLiteral("earlier.txt"));
    const QByteArray earlier(
        "\"Livello1*rosso*1*1*1*1*1*1*1*1*1*1*1*1*1*1*1*1*1*\"\r\nnote without line end");
    write(path, earlier);
    const MechanismState s = state(QStringLiteral("Livello2"), QStringLiteral("blu"), 2, "2222222222222222");
    QVERIFY(appendRecord(path, s));
    // The record starts a line of its own instead of lengthening the last one.
    QCOMPARE(contents(path), earlier + "\r\n\"" + buildRecord(s).toUtf8() + "\"\r\n");
}

void TestMechanismRecord::failedSaves_data() {
    QTest::addColumn<QString>("path");
    // Tests may run as root, where permission bits stop nothing: these fail for everyone.
    QTest::newRow("folder is a regular file") << QStringLiteral("plain-file/record.txt");
    QTest::newRow("missing folder") << QStringLiteral("no-such-folder/record.txt");
    QTest::newRow("a folder") << QStringLiteral(".");
    QTest::newRow("proc") << QStringLiteral("/proc/version");
    QTest::newRow("device") << QStringLiteral("/dev/full");
    QTest::newRow("no name") << QString();
}

void TestMechanismRecord::failedSaves() {
    QFETCH(QString, path);
    write(dir.filePath(QStringLiteral("plain-file")), "keep me");
    const QString target = path.isEmpty() || path.startsWith(u'/') ? path : dir.filePath(path);

    QString error;
    QVERIFY(!appendRecord(
        target, state(QStringLiteral("Livello1"), QStringLiteral("rosso"), 1, "1111111111111111"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(contents(dir.filePath(QStringLiteral("plain-file"))), QByteArray("keep me"));
}

void TestMechanismRecord::fullDiskLeavesTheFileAsItWas() {
    const QString path = dir.filePath(QStringLiteral("full.txt"));
    const MechanismState s =
        state(QStringLiteral("Livello4"), QStringLiteral("verde"), 9, "9999999999999999");
    QVERIFY(appendRecord(path, s));
    const QByteArray before = contents(path);

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

void TestMechanismRecord::savePaths_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no extension") << "/home/a/meccanismo"
                                  << "/home/a/meccanismo.txt";
    QTest::newRow("already .txt") << "/home/a/meccanismo.txt"
                                  << "/home/a/meccanismo.txt";
    QTest::newRow("upper case") << "MECCANISMO.TXT"
                                << "MECCANISMO.TXT";
    QTest::newRow("mixed case") << "m.Txt"
                                << "m.Txt";
    QTest::newRow("other extension") << "m.doc"
                                     << "m.doc.txt";
    QTest::newRow("txt not as extension") << "mtxt"
                                          << "mtxt.txt";
    QTest::newRow(".txt inside") << "m.txt.bak"
                                 << "m.txt.bak.txt";
    QTest::newRow("only the extension") << ".txt"
                                        << ".txt";
    QTest::newRow("cancelled dialog") << ""
                                      << "";
}

void TestMechanismRecord::savePaths() {
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    QCOMPARE(mechanismfile::savePath(chosen), expected);
}

void TestMechanismRecord::spokenNames_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    QTest::newRow("extension dropped") << "meccanismo.txt"
                                       << "meccanismo";
    QTest::newRow("no extension loses four letters") << "meccanismo"
                                                     << "meccan";
    QTest::newRow("exactly four") << "a.tx"
                                  << "";
    QTest::newRow("shorter than four") << "abc"
                                       << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestMechanismRecord::spokenNames() {
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    QCOMPARE(mechanismfile::spokenName(chosen), expected);
}

QTEST_GUILESS_MAIN(TestMechanismRecord)
#include "tst_mechanismrecord.moc"
