// The lesson file: what it keeps comes back the same, every kind of bad file is refused with its own
// reason, and a save never leaves half a file.

#include "files/lessonfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <csignal>

using namespace ingranix;
using namespace ingranix::lessonfile;
using namespace Qt::Literals::StringLiterals;

namespace {

ConstantsTable table(qint16 first) {
    ConstantsTable constants;
    for (int e = 0; e < 16; ++e)
        constants.set(e / 4 + 1, e % 4 + 1, qint16((first + e) % 10));
    return constants;
}

// Texts that a careless writer would break: separators, line ends, escapes, other alphabets.
Lesson sampleLesson(int experiments = 4) {
    Lesson lesson;
    lesson.saved = QDateTime(QDate(2026, 12, 7), QTime(15, 20, 5), QTimeZone(3600));
    lesson.mechanism = {u"Livello1"_s, u"rosso"_s, u"rosso"_s, 3, table(1)};
    lesson.model = u"se(x <= 3; ?; x - 3) \\ è"_s;
    for (int i = 0; i < experiments; ++i) {
        const bool last = i >= experiments - 2;
        lesson.experiments.push_back({i == 0 ? u"a\tb\nc\\t\r"_s : QString::number(i), u"%1"_s.arg(i * 2),
                                      u"Livello1"_s, i % 2 ? u"verde"_s : u"rosso"_s, qint16(1 + i % 9),
                                      table(qint16(i % 10)), last, last ? u"forse %1"_s.arg(i) : QString()});
    }
    return lesson;
}

// The sample with its `line` (1-based) replaced.
QByteArray withLine(int line, const QByteArray &text) {
    QList<QByteArray> lines = toText(sampleLesson()).split('\n');
    lines[line - 1] = text;
    return lines.join('\n');
}

int lineOf(const QByteArray &start) {
    const QList<QByteArray> lines = toText(sampleLesson()).split('\n');
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(start))
            return i + 1;
    return -1;
}

// The test program, started again as a writer that saves a large lesson over `path` for ever.
int writeForever(const QString &path) {
    const Lesson big = sampleLesson(maxExperiments);
    for (;;)
        save(path, big);
}

} // namespace

class LessonFileTest : public QObject {
    Q_OBJECT
private slots:
    // Every kind of bad text is refused with its reason and the line it found it on (0: none), and nothing of
    // it is kept; an editor's line ends and byte order mark are no fault.
    void badInput_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Problem>("problem");
        QTest::addColumn<int>("line");
        const QByteArray good = toText(sampleLesson());
        const int rows = lineOf("esperimenti") + 2; // the first experiment's line
        // The sample with the value of `key` changed, refused at that key's line unless `line` says
        // otherwise.
        const auto changed = [](const char *name, const char *key, const char *value, Problem problem,
                                int line = -1) {
            QTest::newRow(name) << withLine(lineOf(key), key + "\t"_ba + value) << problem
                                << (line < 0 ? lineOf(key) : line);
        };
        QByteArray edited = good;
        QTest::newRow("an editor's line ends")
            << edited.replace("\n", "\r\n").prepend("\xEF\xBB\xBF") << Problem::None << 0;
        QTest::newRow("empty") << QByteArray() << Problem::NotALesson << 0;
        QTest::newRow("a mechanism file")
            << "\"Livello1*rosso*3*1*2*3*4*5*6*7*8*9*0*1*2*3*4*5*6*\"\r\n"_ba << Problem::NotALesson << 0;
        QTest::newRow("a newer version") << withLine(1, "Ingranix lezione 2") << Problem::NewerVersion << 0;
        const auto cut = [&](const char *name, qsizetype length) {
            QTest::newRow(name) << good.left(length) << Problem::Truncated << 0;
        };
        cut("cut inside an experiment", good.lastIndexOf("verde") + 2);
        cut("cut before its end line", good.lastIndexOf("fine"));
        cut("its end line cut", good.lastIndexOf("fine") + 2);
        changed("ten million rows", "esperimenti", "10000000", Problem::TooLarge, 0);
        changed("fewer rows than it says", "esperimenti", "5", Problem::Truncated, 0);
        changed("more rows than it says", "esperimenti", "3", Problem::Damaged, rows + 3);
        changed("a constant out of range", "costanti", "1 2 3 4 5 6 7 8 9 10 1 2 3 4 5 6",
                Problem::OutOfRange);
        changed("a date that is none", "data", "ieri", Problem::Damaged);
        QTest::newRow("a key missing")
            << withLine(lineOf("colore"), "# colore") << Problem::Damaged << lineOf("esperimenti");
        QTest::newRow("a key twice") << withLine(lineOf("colore"), "livello\tLivello2") << Problem::Damaged
                                     << lineOf("colore");
        changed("not UTF-8", "modello", "x \xe8 1", Problem::Damaged);
        QList<QByteArray> row = good.split('\n')[rows + 2].split('\t'); // the newest experiment
        row[6] = "no";
        QTest::newRow("an old experiment after the newest prediction")
            << withLine(rows + 3, row.join('\t')) << Problem::Damaged << rows + 3;
        QTest::newRow("text after the end") << good + "5\t7\n" << Problem::Damaged << lineOf("fine") + 1;
    }
    void badInput() {
        QFETCH(QByteArray, text);
        QFETCH(Problem, problem);
        QFETCH(int, line);
        const ReadResult result = parse(text);
        QCOMPARE(result.problem, problem);
        QCOMPARE(result.line, line);
        QVERIFY(result.lesson == (problem == Problem::None ? sampleLesson() : Lesson()));
        QCOMPARE(problemText(problem).isEmpty(), problem == Problem::None);
    }

    // A missing file, a folder, and 400 MB of holes refused by their size before a byte is read.
    void unreadableFiles() {
        QTemporaryDir dir;
        QFile huge(dir.filePath(u"enorme.lezione"_s));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.write(toText(sampleLesson()).left(200)) == 200 &&
                huge.resize(400'000'000));
        huge.close();
        QCOMPARE(read(dir.filePath(u"nessuna.lezione"_s)).problem, Problem::Unreadable);
        QCOMPARE(read(dir.path()).problem, Problem::Unreadable);
        QCOMPARE(read(huge.fileName()).problem, Problem::TooLarge);
    }

    // The most a lesson holds comes back whole; a save refused leaves the earlier file as it was.
    void saveRefusesWhatCannotOpen() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"lezione.lezione"_s);
        const Lesson most = sampleLesson(maxExperiments);
        QCOMPARE(save(path, most), Problem::None);
        QVERIFY(read(path).lesson == most && read(path).lesson.firstAfterModel() == maxExperiments - 2);
        const QByteArray before = toText(most);
        QString error;
        QCOMPARE(save(path, sampleLesson(maxExperiments + 1)), Problem::TooLarge);
        QCOMPARE(save(dir.filePath(u"manca/lezione.lezione"_s), sampleLesson(), &error), Problem::Unreadable);
        QVERIFY(!error.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"lezione.lezione"_s});
    }

    // A writer killed at any moment leaves the earlier lesson or the whole new one, never a mixture.
    void killedWriterLeavesAWholeFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"lezione.lezione"_s);
        QCOMPARE(save(path, sampleLesson()), Problem::None);
        const QByteArray before = toText(sampleLesson()), after = toText(sampleLesson(maxExperiments));

        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {u"--write-forever"_s, path});
        QVERIFY(writer.waitForStarted());
        // Killed as soon as its temporary file has something in it: in the middle of writing. The file may
        // have no name yet (Linux's unnamed temporary files), so it is found among the writer's open files.
        const QDir openFiles(u"/proc/%1/fd"_s.arg(writer.processId()));
        bool midway = false;
        for (int i = 0; i < 20000 && !midway; ++i) {
            for (const QFileInfo &file :
                 openFiles.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
                midway = midway || (file.symLinkTarget().startsWith(dir.path()) && file.size() > 0);
            if (!midway)
                QTest::qSleep(1);
        }
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished());
        QVERIFY(midway);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text == before || text == after,
                 "the lesson on disk is neither the earlier nor the new one");
        QCOMPARE(parse(text).problem, Problem::None);
    }
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArrayView(argv[1]) == "--write-forever")
        return writeForever(QString::fromLocal8Bit(argv[2]));
    LessonFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lessonfile.moc"
