#include "ui/machinesurface.h"

#include <QTest>

using namespace ingranix;

class MachineSurfaceTest : public QObject {
    Q_OBJECT
private slots:
    void gradientBands_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("bandHeight"); // width / 256, at least 1
        QTest::addColumn<int>("bottom");     // the last band's: 256 bands, or the interior's bottom if lower
        QTest::newRow("portrait: the last band reaches the bottom") << 16200 << 28800 << 63 << 28800;
        QTest::newRow("4K, past the 16-bit range") << 57600 << 32400 << 225 << 57600;
        QTest::newRow("no width") << 0 << 10 << 1 << 256;
    }

    void gradientBands() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bandHeight);
        QFETCH(int, bottom);
        const auto bands = ingranix::gradientBands(width, height);
        QCOMPARE(int(bands.size()), 256);
        for (int k = 0; k < 256; ++k) {
            QCOMPARE(bands[k].top, k * bandHeight);
            QCOMPARE(bands[k].height, k < 255 ? bandHeight : bottom - 255 * bandHeight);
            QCOMPARE(bands[k].width, width);
            QCOMPARE(bands[k].blue, 255 - k);
        }
    }

    void centredOrigin_data() {
        QTest::addColumn<QSize>("room");
        QTest::addColumn<QSize>("machine");
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("the designed window: at the corner")
            << QSize(705, 561) << QSize(705, 561) << QPoint(0, 0);
        QTest::newRow("4K fitted: even bands left and right")
            << QSize(3840, 2126) << QSize(2671, 2126) << QPoint(584, 0);
        QTest::newRow("taller room: even bands above and below")
            << QSize(705, 900) << QSize(705, 561) << QPoint(0, 169);
        QTest::newRow("larger than the room: at the corner")
            << QSize(1920, 1050) << QSize(2820, 2244) << QPoint(0, 0);
        QTest::newRow("larger one way only") << QSize(3000, 1000) << QSize(2000, 1500) << QPoint(500, 0);
    }
    void centredOrigin() {
        QFETCH(QSize, room);
        QFETCH(QSize, machine);
        QFETCH(QPoint, origin);
        QCOMPARE(ingranix::centredOrigin(room, machine), origin);
    }
};

QTEST_GUILESS_MAIN(MachineSurfaceTest)
#include "tst_machinesurface.moc"
