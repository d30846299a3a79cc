// The machine's own controls offscreen: the output box shows and names every result, a level or
// colour selector counts only a real choice as one, the boxes take the colour the game gives them, and
// the gear movie shows the frame asked, plays once and comes back to rest, with the game's own movies.

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

namespace {

QString movieFile(const QString &name) {
    return QCoreApplication::applicationDirPath() + u'/' + name;
}

} // namespace

class TestMachineControls : public QObject {
    Q_OBJECT

private slots:
    // A result is shown whole, as large as the box allows, and a screen reader hears what it means.
    void outputShowsTheWholeResult_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("designSize"); // the design's font fits
        QTest::newRow("a number") << u"24"_s << u"output: 24"_s << true;
        QTest::newRow("nothing yet") << QString() << u"output"_s << true;
        QTest::newRow("fifteen digits") << u"-123456789012,5"_s << u"output: -123456789012,5"_s << false;
    }
    void outputShowsTheWholeResult() {
        QFETCH(QString, caption);
        QFETCH(QString, name);
        QFETCH(bool, designSize);
        QFont design;
        design.setPointSize(30);
        OutputLabel out1(design);
        out1.resize(130, 80);
        out1.setCaption(caption);
        QCOMPARE(out1.accessibleName(), name);
        QCOMPARE(out1.font().pointSizeF() == design.pointSizeF(), designSize);
        QVERIFY(out1.fontMetrics().horizontalAdvance(caption) <= out1.contentsRect().width());
    }

    // Only picking an item is a choice; Enter is passed on whatever the box holds.
    void onlyAPickIsAChoice_data() {
        QTest::addColumn<QString>("typed"); // typed into the closed selector first
        QTest::addColumn<int>("key");       // then this key; 0: the selector loses the focus instead
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("enters");
        QTest::newRow("arrow down") << QString() << int(Qt::Key_Down) << 1 << 0;
        QTest::newRow("a level's name and Enter") << u"Livello2"_s << int(Qt::Key_Return) << 0 << 1;
        QTest::newRow("a level's name, then away") << u"Livello2"_s << 0 << 0 << 0;
    }
    void onlyAPickIsAChoice() {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, chosen);
        QFETCH(int, enters);
        QWidget window;
        auto *combo1 = new Selector(&window);
        auto *other = new QLineEdit(&window);
        combo1->setEditable(true);
        combo1->setInsertPolicy(QComboBox::NoInsert);
        combo1->addItems({u"Livello1"_s, u"Livello2"_s});
        combo1->setCurrentIndex(-1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        combo1->setFocus();
        QSignalSpy choices(combo1, &Selector::chosen);
        QSignalSpy entered(combo1, &Selector::enterPressed);
        QTest::keyClicks(combo1, typed);
        if (key)
            QTest::keyClick(combo1, Qt::Key(key));
        else
            other->setFocus();
        QCOMPARE(choices.size(), chosen);
        QCOMPARE(entered.size(), enters);
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
    // byte down). A file cut short in its palette, like a missing one, shows the background alone, and
    // every call is a calm no-op.
    void drawsTheFrameAsked_data() {
        QTest::addColumn<QString>("movie");
        QTest::addColumn<QList<int>>("asked"); // one after another
        QTest::addColumn<int>("shown");        // -1: the last frame; 0: none
        QTest::newRow("as set") << u"verde.gif"_s << QList<int>{} << 1;
        QTest::newRow("forward and back") << u"rosso.gif"_s << QList<int>{4, 2} << 2;
        QTest::newRow("before the first") << u"blu.gif"_s << QList<int>{3, 0, -7} << 1;
        QTest::newRow("past the last") << u"verde.gif"_s << QList<int>{100000} << -1;
        QTest::newRow("cut in the palette") << u"cut.gif"_s << QList<int>{3} << 0;
        QTest::newRow("missing") << u"nessuno.gif"_s << QList<int>{3} << 0;
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
        QVERIFY(!player.isPlaying());
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
    // it was on; back at the designed size or below, the movie's own file. Without a larger file
    // beside it, the movie's own plays at any size.
    void playsTheLargerMovieWhenShownLarger_data() {
        QTest::addColumn<bool>("largerBeside");
        QTest::addColumn<double>("times"); // the player's size, times the movie's frames
        QTest::addColumn<bool>("larger");  // the larger file plays
        QTest::newRow("designed size") << true << 1.0 << false;
        QTest::newRow("half") << true << 0.5 << false;
        QTest::newRow("a tenth larger") << true << 1.1 << true;
        QTest::newRow("four times, no larger file") << false << 4.0 << false;
    }
    void playsTheLargerMovieWhenShownLarger() {
        QFETCH(bool, largerBeside);
        QFETCH(double, times);
        QFETCH(bool, larger);
        QTemporaryDir folder; // a movie alone in it
        const QString own = largerBeside ? movieFile(u"rosso.gif"_s) : folder.filePath(u"rosso.gif"_s);
        QVERIFY(largerBeside || QFile::copy(movieFile(u"rosso.gif"_s), own));
        const QSize frames = QImageReader(own).size();
        MoviePlayer player;
        player.resize(frames);
        player.show();
        player.setMovie(own);
        player.gotoFrame(5);
        player.resize(frames * times);
        QCOMPARE(player.shownFile(), larger ? movieFile(u"rosso@3x.gif"_s) : own);
        QCOMPARE(player.currentFrame(), 5);
        player.resize(frames);
        QCOMPARE(player.shownFile(), own);
        QCOMPARE(player.currentFrame(), 5);
    }
};

QTEST_MAIN(TestMachineControls)
#include "tst_machinecontrols.moc"
