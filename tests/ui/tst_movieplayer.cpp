#include "ui/movieplayer.h"

#include <QCoreApplication>
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
    return QFileInfo::exists(beside) ? beside : QStringLiteral(INGRANIX_RESOURCE_DIR "/") + name;
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

// Highest frame number seen while the player plays, sampled more often than frames change.
int highestFrameWhilePlaying(MoviePlayer &player) {
    int highest = 0;
    for (int waited = 0; player.isPlaying() && waited < 10000; waited += 5) {
        highest = std::max(highest, player.currentFrame());
        QTest::qWait(5);
    }
    return highest;
}

} // namespace

class TestMoviePlayer : public QObject {
    Q_OBJECT
private slots:
    void playRunsOnceAndRests();
    void gotoFrameShowsThatFrame_data();
    void gotoFrameShowsThatFrame();
    void movieKeepsItsProportions();
    void unreadableMovieShowsOnlyBackground_data();
    void unreadableMovieShowsOnlyBackground();
    void resourcesHaveTheirSizeAndColour_data();
    void resourcesHaveTheirSizeAndColour();

private:
    QTemporaryDir scratch_;
};

void TestMoviePlayer::playRunsOnceAndRests() {
    const int frameCount = QImageReader(resource(QStringLiteral("rosso.gif"))).imageCount();
    MoviePlayer player;
    player.setMovie(resource(QStringLiteral("rosso.gif")));
    player.play();
    player.play(); // a second request while playing neither restarts nor doubles the pace
    QCOMPARE(highestFrameWhilePlaying(player), frameCount);
    QCOMPARE(player.currentFrame(), 1);
    // At rest nothing ticks: an idle machine costs no processor time.
    for (const QTimer *timer : player.findChildren<QTimer *>())
        QVERIFY(!timer->isActive());
    for (const QMovie *movie : player.findChildren<QMovie *>())
        QCOMPARE(movie->state(), QMovie::NotRunning);
}

void TestMoviePlayer::gotoFrameShowsThatFrame_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("playing"); // asked while the movie plays
    QTest::addColumn<QList<int>>("requests");
    QTest::addColumn<int>("expected"); // 0 stands for the last frame
    for (const char *name : {"rosso.gif", "verde.gif", "blu.gif", "grigio.gif"})
        QTest::newRow(name) << name << false << QList<int>{} << 1; // a new movie rests on its first frame
    QTest::newRow("back again") << "blu.gif" << false << QList<int>{20, 3} << 3;
    QTest::newRow("huge is the last") << "blu.gif" << false << QList<int>{INT_MAX} << 0;
    QTest::newRow("negative is the first") << "blu.gif" << false << QList<int>{9, INT_MIN} << 1;
    QTest::newRow("stops the play") << "grigio.gif" << true << QList<int>{1} << 1;
}

void TestMoviePlayer::gotoFrameShowsThatFrame() {
    QFETCH(QString, name);
    QFETCH(bool, playing);
    QFETCH(QList<int>, requests);
    QFETCH(int, expected);
    const QList<QImage> frames = readFrames(resource(name));
    QVERIFY2(frames.size() > 1, "a gear movie is animated");
    if (expected == 0)
        expected = int(frames.size());
    MoviePlayer player;
    player.resize(frames.first().size());
    player.setMovie(resource(name));
    if (playing) {
        player.play();
        QTRY_VERIFY(player.currentFrame() > 2);
    }
    for (int frame : requests)
        player.gotoFrame(frame);
    QVERIFY(!player.isPlaying());
    QTest::qWait(150); // several frames' time: nothing may move on by itself
    QCOMPARE(player.currentFrame(), expected);
    QCOMPARE(shown(player), frames[expected - 1]);
}

void TestMoviePlayer::movieKeepsItsProportions() {
    const QImage first = readFrames(resource(QStringLiteral("rosso.gif"))).first();
    MoviePlayer player;
    player.setBackgroundColor(0x00ff00);              // green, unlike anything in the red movie
    player.resize(first.width() * 3, first.height()); // wide: bands left and right, not a stretched movie
    player.setMovie(resource(QStringLiteral("rosso.gif")));
    const QImage image = shown(player);
    QCOMPARE(image.pixel(first.width() / 2, first.height() / 2), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(image.width() - first.width() / 2, first.height() / 2), qRgb(0, 255, 0));
    QCOMPARE(image.copy(first.width(), 0, first.width(), first.height()), first);
}

void TestMoviePlayer::unreadableMovieShowsOnlyBackground_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: no file written
    QTest::addColumn<qint32>("bgr");         // the background, blue green red from the top byte down
    QTest::addColumn<QColor>("colour");
    QFile real(resource(QStringLiteral("rosso.gif")));
    QVERIFY(real.open(QIODevice::ReadOnly));
    const QByteArray gif = real.readAll();
    QTest::newRow("missing, 255 is red") << "verde.swf" << QByteArray() << 255 << QColor(Qt::red);
    QTest::newRow("empty name, mixed") << QString() << QByteArray() << 0x804020 << QColor(0x20, 0x40, 0x80);
    QTest::newRow("empty file, negative") << "empty.gif" << QByteArray("") << -1 << QColor(Qt::white);
    QTest::newRow("garbage") << "garbage.gif" << QByteArray(5000, '\x9c') << 255 << QColor(Qt::red);
    QTest::newRow("cut in the palette") << "palette.gif" << gif.left(100) << 255 << QColor(Qt::red);
}

void TestMoviePlayer::unreadableMovieShowsOnlyBackground() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(qint32, bgr);
    QFETCH(QColor, colour);
    const QString path = name.isEmpty() ? name : scratch_.filePath(name);
    QFile out(path);
    if (!content.isNull())
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(content) == content.size());
    out.close();
    MoviePlayer player;
    player.resize(321, 241);
    player.setBackgroundColor(bgr);
    player.setMovie(resource(QStringLiteral("blu.gif"))); // a good movie first: it must go
    player.setMovie(path);
    QVERIFY(!player.hasMovie());
    player.gotoFrame(1);
    player.play();
    QVERIFY(!player.isPlaying());
    QImage filled(player.size(), QImage::Format_RGB32);
    filled.fill(colour);
    QCOMPARE(shown(player), filled);
}

void TestMoviePlayer::resourcesHaveTheirSizeAndColour_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("hue"); // of most strongly coloured pixels inside; -1: grey; -2: not checked
    QTest::newRow("rosso") << "rosso.gif" << QSize(321, 241) << 0; // the movie control's 4815 x 3615 twips
    QTest::newRow("verde") << "verde.gif" << QSize(321, 241) << 120;
    QTest::newRow("blu") << "blu.gif" << QSize(321, 241) << 220;
    QTest::newRow("grigio") << "grigio.gif" << QSize(321, 241) << -1;
    QTest::newRow("red light") << "lucir.gif" << QSize(38, 38) << 0;
    QTest::newRow("green light") << "luciv.gif" << QSize(38, 38) << 120;
    QTest::newRow("blue light") << "lucib.gif" << QSize(38, 38) << 220;
    QTest::newRow("grey light") << "lucig.gif" << QSize(38, 38) << -1;
    QTest::newRow("emblem") << "emblem.png" << QSize(553, 404) << -2;
}

void TestMoviePlayer::resourcesHaveTheirSizeAndColour() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(int, hue);
    QImageReader reader(resource(name));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    if (hue == -2)
        return;
    const int margin = std::min(12, size.width() / 4);
    int inside = 0;
    int coloured = 0;
    int nearHue = 0;
    for (int y = margin; y < size.height() - margin; ++y) {
        for (int x = margin; x < size.width() - margin; ++x, ++inside) {
            const QColor c = image.pixelColor(x, y);
            const int distance = std::abs(c.hsvHue() - hue);
            coloured += c.hsvSaturation() >= 100;
            nearHue += c.hsvSaturation() >= 100 && std::min(distance, 360 - distance) < 30;
        }
    }
    QVERIFY2(hue < 0 ? coloured < inside / 100 : coloured > inside / 15 && nearHue > coloured * 9 / 10,
             qPrintable(QStringLiteral("%1 near the hue, of %2 coloured").arg(nearHue).arg(coloured)));
}

QTEST_MAIN(TestMoviePlayer)
#include "tst_movieplayer.moc"
