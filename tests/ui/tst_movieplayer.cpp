#include "ui/movieplayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMovie>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <climits>

using ingranix::MoviePlayer;

namespace {

// Beside the test, where the build copies the resources; else straight from the source tree.
QString resource(const QString &name) {
    const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    if (QFileInfo::exists(beside))
        return beside;
#ifdef INGRANIX_RESOURCE_DIR
    return QStringLiteral(INGRANIX_RESOURCE_DIR "/") + name;
#else
    return beside;
#endif
}

QList<QImage> readFrames(const QString &path) {
    QImageReader reader(path);
    QList<QImage> frames;
    for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read())
        frames.append(frame.convertToFormat(QImage::Format_RGB32));
    return frames;
}

QImage shown(MoviePlayer &player) {
    return player.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool allPixels(const QImage &image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) != (colour & 0xffffff))
                return false;
    return true;
}

// Highest frame number seen while the player plays, sampled more often than frames change.
int highestFrameWhilePlaying(MoviePlayer &player, int *lowest = nullptr) {
    int highest = 0;
    int low = INT_MAX;
    for (int waited = 0; player.isPlaying() && waited < 10000; waited += 5) {
        highest = std::max(highest, player.currentFrame());
        low = std::min(low, player.currentFrame());
        QTest::qWait(5);
    }
    if (lowest)
        *lowest = low;
    return highest;
}

const char *const movieNames[] = {"rosso.gif", "verde.gif", "blu.gif", "grigio.gif"};

} // namespace

class TestMoviePlayer : public QObject {
    Q_OBJECT
private slots:
    void gearMovieRestsOnItsFirstFrame_data();
    void gearMovieRestsOnItsFirstFrame();
    void playRunsOnceAndRests();
    void playStartsFromTheShownFrame();
    void gotoFrameShowsThatFrame_data();
    void gotoFrameShowsThatFrame();
    void gotoFrameStopsPlay();
    void movieKeepsItsProportions();
    void unreadableMovieShowsOnlyBackground_data();
    void unreadableMovieShowsOnlyBackground();
    void brokenMovieStillComesBackToRest();
    void backgroundColourIsBlueGreenRed_data();
    void backgroundColourIsBlueGreenRed();
    void lightsAndEmblem_data();
    void lightsAndEmblem();
    void gearMoviesAreInTheirColour_data();
    void gearMoviesAreInTheirColour();

private:
    QTemporaryDir scratch_;
};

void TestMoviePlayer::gearMovieRestsOnItsFirstFrame_data() {
    QTest::addColumn<QString>("name");
    for (const char *name : movieNames)
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestMoviePlayer::gearMovieRestsOnItsFirstFrame() {
    QFETCH(QString, name);
    const QList<QImage> frames = readFrames(resource(name));
    QVERIFY2(frames.size() > 1, "a gear movie is animated");
    MoviePlayer player;
    player.resize(frames.first().size());
    player.setBackgroundColor(255);
    player.setMovie(resource(name));
    player.gotoFrame(1);
    QVERIFY(player.hasMovie());
    QCOMPARE(player.movie(), resource(name));
    QCOMPARE(player.currentFrame(), 1);
    QVERIFY(!player.isPlaying());
    QCOMPARE(shown(player), frames.first());
}

void TestMoviePlayer::playRunsOnceAndRests() {
    const int frameCount = QImageReader(resource(QStringLiteral("rosso.gif"))).imageCount();
    MoviePlayer player;
    player.resize(321, 241);
    player.setMovie(resource(QStringLiteral("rosso.gif")));
    player.gotoFrame(1);
    player.play();
    QVERIFY(player.isPlaying());
    player.play(); // a second request while playing neither restarts nor doubles the pace
    QCOMPARE(highestFrameWhilePlaying(player), frameCount);
    QVERIFY(!player.isPlaying());
    QCOMPARE(player.currentFrame(), 1);
    // At rest nothing ticks: an idle machine costs no processor time.
    for (const QTimer *timer : player.findChildren<QTimer *>())
        QVERIFY(!timer->isActive());
    for (const QMovie *movie : player.findChildren<QMovie *>())
        QCOMPARE(movie->state(), QMovie::NotRunning);

    // And it plays again the next time, the whole way.
    player.play();
    QCOMPARE(highestFrameWhilePlaying(player), frameCount);
    QCOMPARE(player.currentFrame(), 1);
}

void TestMoviePlayer::playStartsFromTheShownFrame() {
    const int frameCount = QImageReader(resource(QStringLiteral("verde.gif"))).imageCount();
    MoviePlayer player;
    player.setMovie(resource(QStringLiteral("verde.gif")));
    player.gotoFrame(frameCount - 3);
    player.play();
    int lowest = 0;
    QCOMPARE(highestFrameWhilePlaying(player, &lowest), frameCount);
    QCOMPARE(lowest, frameCount - 3);
    QCOMPARE(player.currentFrame(), 1);

    // From the last frame there is nothing left to play but the return to rest.
    player.gotoFrame(frameCount);
    player.play();
    QTRY_VERIFY(!player.isPlaying());
    QCOMPARE(player.currentFrame(), 1);
}

void TestMoviePlayer::gotoFrameShowsThatFrame_data() {
    QTest::addColumn<QList<int>>("requests");
    QTest::addColumn<int>("expected"); // 0 stands for the last frame

    QTest::newRow("first") << QList<int>{1} << 1;
    QTest::newRow("forward") << QList<int>{7} << 7;
    QTest::newRow("back again") << QList<int>{20, 3} << 3;
    QTest::newRow("same twice") << QList<int>{5, 5} << 5;
    QTest::newRow("last") << QList<int>{1000} << 0;
    QTest::newRow("huge") << QList<int>{INT_MAX} << 0;
    QTest::newRow("zero is the first") << QList<int>{9, 0} << 1;
    QTest::newRow("negative is the first") << QList<int>{9, INT_MIN} << 1;
}

void TestMoviePlayer::gotoFrameShowsThatFrame() {
    QFETCH(QList<int>, requests);
    QFETCH(int, expected);
    const QString path = resource(QStringLiteral("blu.gif"));
    const QList<QImage> frames = readFrames(path);
    if (expected == 0)
        expected = int(frames.size());
    MoviePlayer player;
    player.resize(frames.first().size());
    player.setMovie(path);
    for (int frame : requests)
        player.gotoFrame(frame);
    QCOMPARE(player.currentFrame(), expected);
    QVERIFY(!player.isPlaying());
    QCOMPARE(shown(player), frames[expected - 1]);
}

void TestMoviePlayer::gotoFrameStopsPlay() {
    const QString path = resource(QStringLiteral("grigio.gif"));
    const QList<QImage> frames = readFrames(path);
    MoviePlayer player;
    player.resize(frames.first().size());
    player.setMovie(path);
    player.play();
    QTRY_VERIFY(player.currentFrame() > 2);
    player.gotoFrame(1);
    QVERIFY(!player.isPlaying());
    QTest::qWait(150); // several frames' time: nothing may move on by itself
    QCOMPARE(player.currentFrame(), 1);
    QCOMPARE(shown(player), frames.first());

    // A new movie also stops the old one's play.
    player.play();
    QTRY_VERIFY(player.currentFrame() > 2);
    player.setMovie(resource(QStringLiteral("rosso.gif")));
    QVERIFY(!player.isPlaying());
    QCOMPARE(player.currentFrame(), 1);
}

void TestMoviePlayer::movieKeepsItsProportions() {
    const QString path = resource(QStringLiteral("rosso.gif"));
    const QImage first = readFrames(path).first();
    MoviePlayer player;
    player.setBackgroundColor(0x00ff00);              // green, unlike anything in the red movie
    player.resize(first.width() * 3, first.height()); // wide: bands left and right
    player.setMovie(path);
    QImage image = shown(player);
    const int left = first.width();
    QCOMPARE(image.pixel(left / 2, first.height() / 2), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(image.width() - left / 2, first.height() / 2), qRgb(0, 255, 0));
    QCOMPARE(image.copy(left, 0, first.width(), first.height()), first);

    player.resize(first.width(), first.height() * 3); // tall: bands above and below
    image = shown(player);
    QCOMPARE(image.pixel(first.width() / 2, first.height() / 2), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(first.width() / 2, image.height() - first.height() / 2), qRgb(0, 255, 0));
    QCOMPARE(image.copy(0, first.height(), first.width(), first.height()), first);
}

void TestMoviePlayer::unreadableMovieShowsOnlyBackground_data() {
    QTest::addColumn<QString>("path");
    QVERIFY(scratch_.isValid());
    const QString dir = scratch_.path() + QLatin1Char('/');
    auto file = [&dir](const char *name, const QByteArray &content) {
        QFile out(dir + QLatin1String(name));
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
            qFatal("cannot write %s", name);
        return out.fileName();
    };
    QFile real(resource(QStringLiteral("rosso.gif")));
    QVERIFY(real.open(QIODevice::ReadOnly));
    const QByteArray gif = real.readAll();

    QTest::newRow("missing") << dir + QStringLiteral("verde.swf");
    QTest::newRow("empty name") << QString();
    QTest::newRow("folder") << scratch_.path();
    QTest::newRow("empty file") << file("empty.gif", QByteArray());
    QTest::newRow("text") << file("text.gif", "not a movie at all\n");
    QTest::newRow("garbage") << file("garbage.gif", QByteArray(5000, '\x9c'));
    QTest::newRow("header only") << file("header.gif", gif.left(13));
    QTest::newRow("cut in the palette") << file("palette.gif", gif.left(100));
}

void TestMoviePlayer::unreadableMovieShowsOnlyBackground() {
    QFETCH(QString, path);
    MoviePlayer player;
    player.resize(321, 241);
    player.setBackgroundColor(255);
    player.setMovie(resource(QStringLiteral("blu.gif"))); // a good movie first: it must go
    player.setMovie(path);
    QVERIFY(!player.hasMovie());
    QCOMPARE(player.movie(), path);
    QCOMPARE(player.currentFrame(), 0);
    player.gotoFrame(1);
    player.play();
    QVERIFY(!player.isPlaying());
    QVERIFY(allPixels(shown(player), qRgb(255, 0, 0)));
}

void TestMoviePlayer::brokenMovieStillComesBackToRest() {
    // A movie cut off in the middle: the frames before the cut play, then the player rests.
    QFile real(resource(QStringLiteral("verde.gif")));
    QVERIFY(real.open(QIODevice::ReadOnly));
    const QByteArray gif = real.readAll();
    const QString path = scratch_.path() + QStringLiteral("/cut.gif");
    QFile cut(path);
    QVERIFY(cut.open(QIODevice::WriteOnly));
    QVERIFY(cut.write(gif.left(gif.size() / 2)) == gif.size() / 2);
    cut.close();

    MoviePlayer player;
    player.setMovie(path);
    QVERIFY(player.hasMovie());
    player.gotoFrame(INT_MAX);
    QVERIFY(player.currentFrame() >= 1);
    player.gotoFrame(1);
    player.play();
    const int highest = highestFrameWhilePlaying(player);
    QVERIFY(!player.isPlaying());
    QVERIFY(highest > 1);
    QCOMPARE(player.currentFrame(), 1);
}

void TestMoviePlayer::backgroundColourIsBlueGreenRed_data() {
    QTest::addColumn<qint32>("bgr");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("255 is red") << qint32(255) << QColor(255, 0, 0);
    QTest::newRow("green") << qint32(0x00ff00) << QColor(0, 255, 0);
    QTest::newRow("blue") << qint32(0xff0000) << QColor(0, 0, 255);
    QTest::newRow("black") << qint32(0) << QColor(0, 0, 0);
    QTest::newRow("mixed") << qint32(0x804020) << QColor(0x20, 0x40, 0x80);
    QTest::newRow("top byte ignored") << qint32(0x7f0000ff) << QColor(255, 0, 0);
    QTest::newRow("negative") << qint32(-1) << QColor(255, 255, 255);
}

void TestMoviePlayer::backgroundColourIsBlueGreenRed() {
    QFETCH(qint32, bgr);
    QFETCH(QColor, expected);
    MoviePlayer player;
    player.resize(40, 30);
    player.setBackgroundColor(bgr);
    QCOMPARE(player.backgroundColor(), expected);
    QVERIFY(allPixels(shown(player), expected.rgb()));
}

void TestMoviePlayer::lightsAndEmblem_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("channel"); // strongest at the centre: 0 red, 1 green, 2 blue, -1 none

    QTest::newRow("red light") << QStringLiteral("lucir.gif") << QSize(38, 38) << 0;
    QTest::newRow("green light") << QStringLiteral("luciv.gif") << QSize(38, 38) << 1;
    QTest::newRow("grey light") << QStringLiteral("lucig.gif") << QSize(38, 38) << -1;
    QTest::newRow("blue light") << QStringLiteral("lucib.gif") << QSize(38, 38) << 2;
    QTest::newRow("emblem") << QStringLiteral("emblem.png") << QSize(553, 404) << -2;
}

void TestMoviePlayer::lightsAndEmblem() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(int, channel);
    QImageReader reader(resource(name));
    QCOMPARE(reader.size(), size);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    if (channel == -2)
        return;
    // Just below the centre, clear of the highlight: the ball's own colour.
    const QColor centre = image.pixelColor(size.width() / 2, size.height() / 2 + 4);
    const int rgb[] = {centre.red(), centre.green(), centre.blue()};
    if (channel < 0) {
        QVERIFY2(*std::max_element(rgb, rgb + 3) - *std::min_element(rgb, rgb + 3) < 30, "grey");
    } else {
        for (int other = 0; other < 3; ++other)
            if (other != channel)
                QVERIFY2(rgb[channel] > rgb[other] + 60, qPrintable(centre.name()));
    }
}

void TestMoviePlayer::gearMoviesAreInTheirColour_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("hue"); // -1: grey
    QTest::newRow("rosso") << QStringLiteral("rosso.gif") << 0;
    QTest::newRow("verde") << QStringLiteral("verde.gif") << 120;
    QTest::newRow("blu") << QStringLiteral("blu.gif") << 220;
    QTest::newRow("grigio") << QStringLiteral("grigio.gif") << -1;
}

void TestMoviePlayer::gearMoviesAreInTheirColour() {
    QFETCH(QString, name);
    QFETCH(int, hue);
    QImageReader reader(resource(name));
    QCOMPARE(reader.size(), QSize(321, 241)); // the movie control's 4815 x 3615 twips
    const QImage first = reader.read();
    QVERIFY(!first.isNull());
    // Inside the frame, count the strongly coloured pixels and those near the expected hue.
    int coloured = 0;
    int nearHue = 0;
    for (int y = 12; y < first.height() - 12; ++y) {
        for (int x = 12; x < first.width() - 12; ++x) {
            const QColor c = first.pixelColor(x, y);
            if (c.hsvSaturation() < 100)
                continue;
            ++coloured;
            const int distance = std::abs(c.hsvHue() - hue);
            if (hue >= 0 && std::min(distance, 360 - distance) < 30)
                ++nearHue;
        }
    }
    if (hue < 0) {
        QVERIFY2(coloured < 500, qPrintable(QString::number(coloured)));
    } else {
        QVERIFY2(coloured > 5000, qPrintable(QString::number(coloured)));
        QVERIFY2(nearHue > coloured * 9 / 10,
                 qPrintable(QStringLiteral("%1 of %2").arg(nearHue).arg(coloured)));
    }
}

QTEST_MAIN(TestMoviePlayer)
#include "tst_movieplayer.moc"
