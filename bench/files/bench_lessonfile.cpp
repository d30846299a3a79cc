#include "files/lessonfile.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;
using namespace ingranix::lessonfile;

// Goal: saving and opening a lesson of 10,000 experiments each take under 200 ms (the file alone; the
// whole opening, window included, is in bench_notebookwindow).
class BenchLessonFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void save();
    void open();
    void refuseTenMillionRows();

private:
    QTemporaryDir dir;
    Lesson lesson;
};

void BenchLessonFile::initTestCase() {
    QVERIFY(dir.isValid());
    lesson.saved = QDateTime(QDate(2026, 12, 7), QTime(9, 0));
    lesson.mechanism = {QStringLiteral("Livello3"), QStringLiteral("verde"), QStringLiteral("verde"), 7, {}};
    lesson.model = QStringLiteral("se(x <= 3; ?; 2 * x - 3)");
    for (int i = 0; i < 10000; ++i)
        lesson.experiments.push_back({QString::number(i - 300),
                                      QString::number(2 * i - 603),
                                      QStringLiteral("Livello3"),
                                      QStringLiteral("verde"),
                                      7,
                                      {},
                                      i >= 9000,
                                      i >= 9000 ? QString::number(2 * i) : QString()});
}

void BenchLessonFile::save() {
    const QString path = dir.filePath(QStringLiteral("salva.lezione"));
    QBENCHMARK {
        QCOMPARE(lessonfile::save(path, lesson), Problem::None);
    }
}

void BenchLessonFile::open() {
    const QString path = dir.filePath(QStringLiteral("apri.lezione"));
    QCOMPARE(lessonfile::save(path, lesson), Problem::None);
    ReadResult result;
    QBENCHMARK {
        result = read(path);
    }
    QVERIFY(result.problem == Problem::None && result.lesson == lesson);
}

// A file that says it holds 10 million experiments and is as large as their lines (57 bytes each): refused by
// its size alone. Holes stand for the lines, so that the benchmark does not write half a gigabyte.
void BenchLessonFile::refuseTenMillionRows() {
    const QString path = dir.filePath(QStringLiteral("enorme.lezione"));
    Lesson header = lesson;
    header.experiments.clear();
    const QByteArray text = toText(header).replace("esperimenti\t0", "esperimenti\t10000000");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    QVERIFY(file.resize(text.size() + 10'000'000LL * 57));
    file.close();
    Problem problem = Problem::None;
    QBENCHMARK {
        problem = read(path).problem;
    }
    QCOMPARE(problem, Problem::TooLarge);
}

QTEST_GUILESS_MAIN(BenchLessonFile)
#include "bench_lessonfile.moc"
