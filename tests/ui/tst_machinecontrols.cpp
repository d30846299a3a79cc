// The machine's own controls offscreen: the output box shows and names every result, the boxes take
// the colour the game gives them, and the gear movie shows the frame asked, plays once and comes back
// to rest, with the game's own movies.

#include "ui/adapters.h"
#include "ui/machinecontrols.h"
#include "ui/movieplayer.h"

#include <QApplication>
#include <QImageReader>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

class TestMachineControls : public QObject {
    Q_OBJECT
    static QString movieFile(const QString &name) {
        return QCoreApplication::applicationDirPath() + u'/' + name;
    }

private slots:
    // A result is shown whole, at the design's size when it fits, and a screen reader hears what it
    // means; with no result the box is named alone.
    void outputShowsTheWholeResult() {
        QFont design;
        design.setPointSize(30);
        OutputLabel out1(design);
        out1.resize(130, 80);
        out1.setCaption(u"24"_s);
        QCOMPARE(out1.accessibleName(), u"output: 24"_s);
        QCOMPARE(out1.font().pointSizeF(), 30.0);
        out1.setCaption(u"-123456789012,5"_s);
        QVERIFY(out1.fontMetrics().horizontalAdvance(out1.text()) <= out1.contentsRect().width());
        out1.setCaption(QString());
        QCOMPARE(out1.accessibleName(), u"output"_s);
    }

    // The boxes as painted after the game colours them: white after a grey mechanism or an opened one.
    void boxesShowTheColourGiven_data() {
        QTest::addColumn<int>("colour");
        QTest::addColumn<QColor>("painted");
        QTest::newRow("white") << int(BoxColour::White) << QColor(255, 255, 255);
        QTest::newRow("red") << int(BoxColour::Red) << QColor(255, 0, 0);
        QTest::newRow("green") << int(BoxColour::Green) << QColor(0, 255, 0);
        QTest::newRow("blue") << int(BoxColour::Blue) << QColor(0, 0, 255);
        QTest::newRow("button face") << int(BoxColour::ButtonFace)
                                     << QApplication::palette().color(QPalette::Button);
    }
    void boxesShowTheColourGiven() {
        QFETCH(int, colour);
        QFETCH(QColor, painted);
        struct : MachineView {
            double zoom() const override { return 1.0; }
            void showLight(int, const QPixmap &, const QString &) override {}
        } view;
        QLineEdit in1, in2;
        OutputLabel out1{QFont()};
        QLabel out2;
        const MachineWidgets machine{.in1 = &in1, .in2 = &in2, .out1 = &out1, .out2 = &out2};
        WidgetBoard(machine, view).setBoxColour(BoxColour(colour), true);
        for (QWidget *box : std::initializer_list<QWidget *>{&in1, &in2, &out1, &out2}) {
            box->resize(60, 30);
            QCOMPARE(box->grab().toImage().pixelColor(30, 15), painted);
        }
    }

    // Frames count from 1; a number past either end shows that end. The frame is drawn whole in the
    // middle of a player three frames wide, on the background colour (blue, green, red from the top
    // byte down), the movie shown before gone. A file cut short in its palette shows the background
    // alone, and every call is a calm no-op.
    void drawsTheFrameAsked_data() {
        QTest::addColumn<QString>("movie");
        QTest::addColumn<QList<int>>("asked"); // one after another
        QTest::addColumn<int>("shown");        // -1: the last frame; 0: none
        QTest::newRow("forward and back") << u"rosso.gif"_s << QList<int>{4, 2} << 2;
        QTest::newRow("before the first") << u"verde.gif"_s << QList<int>{3, 0, -7} << 1;
        QTest::newRow("past the last") << u"verde.gif"_s << QList<int>{100000} << -1;
        QTest::newRow("cut in the palette") << u"cut.gif"_s << QList<int>{3} << 0;
    }
    void drawsTheFrameAsked() {
        QFETCH(QString, movie);
        QFETCH(QList<int>, asked);
        QFETCH(int, shown);
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
        for (int frame : asked)
            player.gotoFrame(frame);
        if (!shown)
            player.play();
        QImageReader frames(path);
        const int frame = shown < 0 ? frames.imageCount() : shown;
        QCOMPARE(player.hasMovie(), shown != 0);
        QCOMPARE(player.currentFrame(), frame);
        const QImage image = player.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage background(shown ? QSize(321, 241) : image.size(), QImage::Format_RGB32);
        background.fill(QColor(0x20, 0x40, 0x80));
        QCOMPARE(image.copy(background.rect()), background);
        for (int read = 1; read < frame; ++read)
            frames.read(); // the reader of a GIF cannot jump
        if (shown)
            QCOMPARE(image.copy(321, 0, 321, 241), frames.read().convertToFormat(QImage::Format_RGB32));
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
    // it was on; back at the designed size, the movie's own file.
    void playsTheLargerMovieWhenShownLarger() {
        const QString own = movieFile(u"rosso.gif"_s);
        const QSize frames = QImageReader(own).size();
        MoviePlayer player;
        player.resize(frames);
        player.show();
        player.setMovie(own);
        player.gotoFrame(5);
        QCOMPARE(player.shownFile(), own);
        player.resize(frames * 1.1);
        QCOMPARE(player.shownFile(), movieFile(u"rosso@3x.gif"_s));
        QCOMPARE(player.currentFrame(), 5);
        player.resize(frames);
        QCOMPARE(player.shownFile(), own);
        QCOMPARE(player.currentFrame(), 5);
    }
};

QTEST_MAIN(TestMachineControls)
#include "tst_machinecontrols.moc"
