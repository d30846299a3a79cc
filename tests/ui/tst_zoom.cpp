// The view's zoom: its steps, its bounds, fitting a machine into a room, where twips land at a zoom,
// and what is remembered between starts.

#include "ui/twips.h"
#include "ui/zoom.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

class ZoomTest : public QObject {
    Q_OBJECT
private slots:
    void stepIn_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::newRow("designed size") << 1.0 << 1.1;
        QTest::newRow("smallest") << 0.5 << 0.67;
        QTest::newRow("largest stays") << 4.0 << 4.0;
        QTest::newRow("between steps: the next above") << 1.82 << 2.0;
        QTest::newRow("a hair below a step: the one after") << 1.9999999999 << 2.5;
        QTest::newRow("below the smallest") << 0.3 << 0.5;
    }
    void stepIn() {
        QFETCH(double, from);
        QFETCH(double, to);
        QCOMPARE(zoom::stepIn(from), to);
    }

    void stepOut_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::newRow("designed size") << 1.0 << 0.9;
        QTest::newRow("smallest stays") << 0.5 << 0.5;
        QTest::newRow("largest") << 4.0 << 3.5;
        QTest::newRow("between steps: the next below") << 1.82 << 1.75;
        QTest::newRow("a hair above a step: the one before") << 2.0000000001 << 1.75;
        QTest::newRow("beyond the largest") << 9.0 << 4.0;
    }
    void stepOut() {
        QFETCH(double, from);
        QFETCH(double, to);
        QCOMPARE(zoom::stepOut(from), to);
    }

    void stepsGoBothWays() {
        // Every step is reached going in and going out, from one end to the other.
        double zoom = zoom::smallest;
        QList<double> up{zoom}, down;
        while (zoom < zoom::largest)
            up << (zoom = zoom::stepIn(zoom));
        down << zoom;
        while (zoom > zoom::smallest)
            down.prepend(zoom = zoom::stepOut(zoom));
        QCOMPARE(up, QList<double>(std::begin(zoom::steps), std::end(zoom::steps)));
        QCOMPARE(down, up);
    }

    void bounded_data() {
        QTest::addColumn<double>("given");
        QTest::addColumn<double>("shown");
        QTest::newRow("inside") << 1.3 << 1.3;
        QTest::newRow("too small") << 0.1 << 0.5;
        QTest::newRow("too large") << 9.0 << 4.0;
        QTest::newRow("zero") << 0.0 << 1.0;
        QTest::newRow("negative") << -2.0 << 1.0;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 1.0;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 1.0;
    }
    void bounded() {
        QFETCH(double, given);
        QFETCH(double, shown);
        QCOMPARE(zoom::bounded(given), shown);
    }

    void fitting_data() {
        QTest::addColumn<QSize>("room");
        QTest::addColumn<QSize>("machine");
        QTest::addColumn<double>("zoom");
        QTest::newRow("twice each way") << QSize(1410, 1122) << QSize(705, 561) << 2.0;
        QTest::newRow("wide room: the height decides") << QSize(1920, 1122) << QSize(705, 561) << 2.0;
        QTest::newRow("tall room: the width decides") << QSize(1410, 2000) << QSize(705, 561) << 2.0;
        QTest::newRow("between steps") << QSize(1057, 2000) << QSize(705, 561) << 1057.0 / 705;
        QTest::newRow("too small a room") << QSize(100, 100) << QSize(705, 561) << 0.5;
        QTest::newRow("a huge room") << QSize(20000, 20000) << QSize(705, 561) << 4.0;
        QTest::newRow("an empty room") << QSize(0, 0) << QSize(705, 561) << 0.5;
        QTest::newRow("no machine") << QSize(800, 600) << QSize(0, 0) << 1.0;
    }
    void fitting() {
        QFETCH(QSize, room);
        QFETCH(QSize, machine);
        QFETCH(double, zoom);
        QCOMPARE(zoom::fitting(room, machine), zoom);
    }

    void twipsAtZoom_data() {
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("designed") << QRect(240, 360, 1935, 1410) << 1.0 << QRect(16, 24, 129, 94);
        QTest::newRow("twice") << QRect(240, 360, 1935, 1410) << 2.0 << QRect(32, 48, 258, 188);
        QTest::newRow("half, halves rounded") << QRect(240, 360, 1935, 1410) << 0.5 << QRect(8, 12, 65, 47);
        QTest::newRow("a line a pixel high stays one")
            << QRect(0, 2520, 5520, 15) << 1.0 << QRect(0, 168, 368, 1);
    }
    void twipsAtZoom() {
        QFETCH(QRect, twips);
        QFETCH(double, zoom);
        QFETCH(QRect, pixels);
        QCOMPARE(twipsRect(twips, zoom), pixels);
    }

    void settingsComeBack_data() {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<int>("notebookWidth");
        QTest::newRow("a fixed zoom") << 2.5 << false << 640;
        QTest::newRow("fitted") << 1.0 << true << 0;
        QTest::newRow("between steps") << 1.8235 << false << 300;
    }
    void settingsComeBack() {
        QFETCH(double, zoom);
        QFETCH(bool, fit);
        QFETCH(int, notebookWidth);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"vista.conf"_s);
        {
            QSettings settings(file, QSettings::IniFormat);
            zoom::writeSettings(settings, {zoom, fit, notebookWidth});
        }
        const QSettings settings(file, QSettings::IniFormat);
        const zoom::ViewSettings read = zoom::readSettings(settings);
        QCOMPARE(read.zoom, zoom);
        QCOMPARE(read.fit, fit);
        QCOMPARE(read.notebookWidth, notebookWidth);
    }

    void damagedSettingsAreCalm_data() {
        QTest::addColumn<QString>("text"); // the settings file as found
        QTest::addColumn<double>("zoom");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<int>("notebookWidth");
        QTest::newRow("none") << QString() << 1.0 << false << 0;
        QTest::newRow("words") << u"[vista]\nzoom=grande\nadatta=forse\nlarghezzaQuaderno=largo\n"_s << 1.0
                               << false << 0;
        QTest::newRow("out of range")
            << u"[vista]\nzoom=40\nlarghezzaQuaderno=99999999\n"_s << 4.0 << false << 8000;
        QTest::newRow("negative") << u"[vista]\nzoom=-1\nlarghezzaQuaderno=-300\n"_s << 1.0 << false << 0;
        QTest::newRow("not a number") << u"[vista]\nzoom=nan\n"_s << 1.0 << false << 0;
        QTest::newRow("fitted") << u"[vista]\nzoom=0.7\nadatta=true\n"_s << 0.7 << true << 0;
        QTest::newRow("binary junk") << u"\u0001\u0002[vista\nzoom\n=\n"_s << 1.0 << false << 0;
    }
    void damagedSettingsAreCalm() {
        QFETCH(QString, text);
        QFETCH(double, zoom);
        QFETCH(bool, fit);
        QFETCH(int, notebookWidth);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"vista.conf"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size());
        file.close();
        const QSettings settings(file.fileName(), QSettings::IniFormat);
        const zoom::ViewSettings read = zoom::readSettings(settings);
        QCOMPARE(read.zoom, zoom);
        QCOMPARE(read.fit, fit);
        QCOMPARE(read.notebookWidth, notebookWidth);
    }
};

QTEST_GUILESS_MAIN(ZoomTest)
#include "tst_zoom.moc"
