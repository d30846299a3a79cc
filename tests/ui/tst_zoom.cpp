// The view's zoom: its steps, its bounds, fitting a machine into a room and centring it there, and what
// is remembered between starts.

#include "ui/machinesurface.h"
#include "ui/zoom.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;
using namespace Qt::Literals::StringLiterals;

class ZoomTest : public QObject {
    Q_OBJECT
private slots:
    // A zoom between two steps goes to the nearer one in that direction; the ends stay.
    void steps_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("in");
        QTest::addColumn<double>("out");
        QTest::newRow("smallest") << 0.5 << 0.67 << 0.5;
        QTest::newRow("largest") << 4.0 << 4.0 << 3.5;
        QTest::newRow("a hair below a step") << 1.9999999999 << 2.5 << 1.75;
        QTest::newRow("a hair above a step") << 2.0000000001 << 2.5 << 1.75;
    }
    void steps() {
        QFETCH(double, from);
        QFETCH(double, in);
        QFETCH(double, out);
        QCOMPARE(zoom::stepIn(from), in);
        QCOMPARE(zoom::stepOut(from), out);
    }

    // The largest zoom at which the machine fits, and where it then lies: in the middle of the room,
    // never above or left of its corner.
    void fitsInTheMiddle_data() {
        QTest::addColumn<QSize>("room");
        QTest::addColumn<QSize>("machine");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("tall room") << QSize(1057, 2000) << QSize(705, 561) << 1057.0 / 705 << QPoint(0, 579);
        QTest::newRow("too small a room") << QSize(100, 100) << QSize(705, 561) << 0.5 << QPoint(0, 0);
        QTest::newRow("a huge room") << QSize(20000, 20000) << QSize(705, 561) << 4.0 << QPoint(8590, 8878);
        QTest::newRow("no machine") << QSize(800, 600) << QSize(0, 0) << 1.0 << QPoint(400, 300);
    }
    void fitsInTheMiddle() {
        QFETCH(QSize, room);
        QFETCH(QSize, machine);
        QFETCH(double, zoom);
        QFETCH(QPoint, origin);
        QCOMPARE(zoom::fitting(room, machine), zoom);
        QCOMPARE(centredOrigin(room, machine * zoom), origin);
    }

    // What is read back: what was written, or, from a file as found, the nearest the view can show.
    void settingsReadCalmly_data() {
        QTest::addColumn<QString>("found"); // the file as found; empty: as writeSettings wrote the rest
        QTest::addColumn<double>("zoom");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<int>("notebookWidth");
        QTest::newRow("written comes back") << QString() << 1.8235 << true << 640;
        QTest::newRow("words") << u"[vista]\nzoom=grande\nadatta=forse\n"_s << 1.0 << false << 0;
        QTest::newRow("too big") << u"[vista]\nzoom=40\nlarghezzaQuaderno=9999\n"_s << 4.0 << false << 8000;
        QTest::newRow("too small") << u"[vista]\nzoom=0.1\n"_s << 0.5 << false << 0;
        QTest::newRow("zero") << u"[vista]\nzoom=0\nlarghezzaQuaderno=-300\n"_s << 1.0 << false << 0;
        QTest::newRow("infinite") << u"[vista]\nzoom=inf\n"_s << 1.0 << false << 0;
    }
    void settingsReadCalmly() {
        QFETCH(QString, found);
        QFETCH(double, zoom);
        QFETCH(bool, fit);
        QFETCH(int, notebookWidth);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"vista.conf"_s);
        if (found.isEmpty()) {
            QSettings settings(path, QSettings::IniFormat);
            zoom::writeSettings(settings, {zoom, fit, notebookWidth});
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(found.toUtf8()) == found.toUtf8().size());
        }
        const zoom::ViewSettings read = zoom::readSettings(QSettings(path, QSettings::IniFormat));
        QCOMPARE(read.zoom, zoom);
        QCOMPARE(read.fit, fit);
        QCOMPARE(read.notebookWidth, notebookWidth);
    }
};

QTEST_GUILESS_MAIN(ZoomTest)
#include "tst_zoom.moc"
