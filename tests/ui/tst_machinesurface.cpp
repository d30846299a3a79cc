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
};

QTEST_GUILESS_MAIN(MachineSurfaceTest)
#include "tst_machinesurface.moc"
