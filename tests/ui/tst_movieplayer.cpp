// The gear movie player offscreen, with the game's own movies: which frame shows and how it is drawn,
// one run of the movie that comes back to rest, and files it cannot read.

#include "ui/movieplayer.h"

#include <QMovie>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

namespace {

QString movieFile(const QString &name) {
    return QCoreApplication::applicationDirPath() + u'/' + name;
}

int framesIn(const QString &name) {
    QMovie movie(movieFile(name));
    return movie.frameCount();
}

} // namespace

class TestMoviePlayer : public QObject {
    Q_OBJECT

private slots:
    // Frames count from 1; a number past either end shows that end.
    void showsTheFrameAsked_data() {
        QTest::addColumn<QString>("movie");
        QTest::addColumn<QList<int>>("asked"); // one after another: forward and back again
        QTest::addColumn<QList<int>>("shown"); // 0: the last frame
        QTest::newRow("forward and back")
            << u"rosso.gif"_s << QList<int>{1, 3, 2, 1} << QList<int>{1, 3, 2, 1};
        QTest::newRow("before the first") << u"blu.gif"_s << QList<int>{0, -7} << QList<int>{1, 1};
        QTest::newRow("past the last") << u"verde.gif"_s << QList<int>{100000, 2} << QList<int>{0, 2};
    }
    void showsTheFrameAsked() {
        QFETCH(QString, movie);
        QFETCH(QList<int>, asked);
        QFETCH(QList<int>, shown);
        const int last = framesIn(movie);
        QVERIFY(last > 3);
        MoviePlayer player;
        player.setMovie(movieFile(movie));
        QVERIFY(player.hasMovie());
        QCOMPARE(player.currentFrame(), 1);
        for (qsizetype i = 0; i < asked.size(); ++i) {
            player.gotoFrame(asked[i]);
            QCOMPARE(player.currentFrame(), shown[i] ? shown[i] : last);
            QVERIFY(!player.isPlaying());
        }
    }

    // Play runs the movie once from the shown frame and rests on the first; a second play meanwhile
    // does not start it again.
    void playsOnceThenRests() {
        MoviePlayer player;
        player.setMovie(movieFile(u"grigio.gif"_s));
        player.gotoFrame(2);
        player.play();
        QVERIFY(player.isPlaying());
        QTRY_VERIFY(player.currentFrame() > 2);
        const int reached = player.currentFrame();
        player.play();
        QVERIFY(player.currentFrame() >= reached && player.isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 20000);
        QCOMPARE(player.currentFrame(), 1);
    }

    // Shown larger than its frames, the player plays the larger movie beside the file, from the frame
    // it was on; back at the designed size or below, the movie's own file. Without a larger file
    // beside it, the movie's own plays at any size.
    void playsTheLargerMovieWhenShownLarger_data() {
        QTest::addColumn<bool>("largerBeside");
        QTest::addColumn<double>("times"); // the player's size, times the movie's frames
        QTest::addColumn<bool>("larger");  // the larger file plays
        QTest::newRow("designed size") << true << 1.0 << false;
        QTest::newRow("half") << true << 0.5 << false;
        QTest::newRow("a tenth larger") << true << 1.1 << true;
        QTest::newRow("four times") << true << 4.0 << true;
        QTest::newRow("four times, no larger file") << false << 4.0 << false;
    }
    void playsTheLargerMovieWhenShownLarger() {
        QFETCH(bool, largerBeside);
        QFETCH(double, times);
        QFETCH(bool, larger);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString own = folder.filePath(u"rosso.gif"_s), big = folder.filePath(u"rosso@3x.gif"_s);
        QVERIFY(QFile::copy(movieFile(u"rosso.gif"_s), own));
        if (largerBeside)
            QVERIFY(QFile::copy(movieFile(u"rosso@3x.gif"_s), big));
        const QSize frames = QImageReader(own).size();
        MoviePlayer player;
        player.resize(frames);
        player.show();
        player.setMovie(own);
        player.gotoFrame(5);
        player.resize(frames * times);
        QCOMPARE(player.shownFile(), larger ? big : own);
        QCOMPARE(player.currentFrame(), 5);
        player.resize(frames);
        QCOMPARE(player.shownFile(), own);
        QCOMPARE(player.currentFrame(), 5);
    }

    // The frame asked for is drawn whole in the middle of a player three frames wide, on the background
    // colour (blue, green, red from the top byte down). A file cut short in its palette, like a missing
    // one, shows the background alone, and every call is a calm no-op.
    void drawsTheFrameOnItsBackground_data() {
        QTest::addColumn<QString>("movie");
        QTest::addColumn<bool>("readable");
        QTest::newRow("a frame in the middle") << u"verde.gif"_s << true;
        QTest::newRow("cut in the palette") << u"cut.gif"_s << false;
        QTest::newRow("missing") << u"nessuno.gif"_s << false;
    }
    void drawsTheFrameOnItsBackground() {
        QFETCH(QString, movie);
        QFETCH(bool, readable);
        QTemporaryDir dir;
        QString path = movieFile(movie);
        if (movie == u"cut.gif") {
            QFile whole(movieFile(u"rosso.gif"_s)), cut(path = dir.filePath(movie));
            QVERIFY(whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly) &&
                    cut.write(whole.read(100)) == 100);
        }
        MoviePlayer player;
        player.resize(3 * 321, 241); // the movies are 321 x 241
        player.setBackgroundColor(0x804020);
        player.setMovie(movieFile(u"blu.gif"_s)); // a movie shown before must go
        player.setMovie(path);
        player.gotoFrame(3);
        if (!readable)
            player.play();
        QCOMPARE(player.hasMovie(), readable);
        QCOMPARE(player.currentFrame(), readable ? 3 : 0);
        QVERIFY(!player.isPlaying());
        const QImage shown = player.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage background(readable ? QSize(321, 241) : shown.size(), QImage::Format_RGB32);
        background.fill(QColor(0x20, 0x40, 0x80));
        QCOMPARE(shown.copy(background.rect()), background);
        if (!readable)
            return;
        QImageReader frames(path);
        frames.read(), frames.read(); // the reader of a GIF cannot jump
        QCOMPARE(shown.copy(321, 0, 321, 241), frames.read().convertToFormat(QImage::Format_RGB32));
    }
};

QTEST_MAIN(TestMoviePlayer)
#include "tst_movieplayer.moc"
