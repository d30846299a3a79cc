// The real window zoomed for a whiteboard: the Vista menu and its keys, every control where its
// designed place lands at each zoom, no text cut, the machine fitted to the screen with controls a
// finger hits, and the notebook beside it readable. Run (see CMakeLists.txt) on screens of 1920x1080
// and 3840x2160, and at QT_SCALE_FACTOR=2.

#include "ui/machinesurface.h"
#include "windowtest.h"

#include <QChartView>

namespace {

// Controls with a text the player reads or a place a finger hits.
const char *const touched[] = {"in1", "out1", "exp", "Command1", "Combo1", "Combo2"};

// How sharp a picture is: the mean step in grey between neighbouring pixels.
double detail(const QImage &image) {
    double steps = 0;
    for (int y = 0; y + 1 < image.height(); ++y)
        for (int x = 0; x + 1 < image.width(); ++x) {
            const int here = qGray(image.pixel(x, y));
            steps +=
                std::abs(qGray(image.pixel(x + 1, y)) - here) + std::abs(qGray(image.pixel(x, y + 1)) - here);
        }
    return steps / std::max(1, image.width() * image.height());
}

// How far apart two pictures of one size are: the mean difference in grey.
double apart(const QImage &a, const QImage &b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return sum / std::max(1, a.width() * a.height());
}

// Every text a player can see under `root`, as "name: text", that does not fit its control's room in
// the control's own font, line by line.
QStringList cutTexts(const QWidget *root) {
    QStringList cut;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        QString text;
        QRect room;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            text = label->text();
            room = label->contentsRect().marginsRemoved(QMargins() + label->margin());
        } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = text = button->text();
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        }
        const QSize needed = widget->fontMetrics().boundingRect(QRect(), 0, text).size();
        if (!room.isEmpty() && widget->isVisible() && !isDecorative(widget) &&
            (needed.width() > room.width() || needed.height() > room.height()))
            cut << widget->objectName() + u": "_s + text;
    }
    return cut;
}

} // namespace

// The window zoomed: each test starts at the designed size (init), or fitted where its zoom is 0.
class ZoomWindowTest : public WindowTest {
    Q_OBJECT

    void zoomTo(double zoom) {
        zoom > 0 ? window_->setZoom(zoom) : window_->setFitToWindow(true);
        QCoreApplication::processEvents();
    }
    // A control's rectangle from the machine's own corner, wherever the machine lies in the window.
    static QRect inMachine(const QWidget *widget) {
        return widget->geometry().translated(-machineOrigin(widget));
    }
    // Empty when the machine lies centred in the window's interior, within two pixels each way (or at
    // its corner, where it is larger); else what is off. Frame2's right edge and List1's bottom edge
    // are the machine's own.
    QString offCentre() {
        const QSize room = window_->centralWidget()->size();
        const QSize machine = MainWindow::machineSize(window_->zoom());
        const int right = control("Frame2")->geometry().right() + 1;
        const int bottom = control("List1")->geometry().bottom() + 1;
        const int left = right - machine.width(), top = bottom - machine.height();
        // Its middle on the room's, or its corner on the room's where it is the larger.
        auto centred = [](int from, int length, int across) {
            return length >= across ? std::abs(from) <= 2 : std::abs(2 * from + length - across) <= 4;
        };
        if (centred(left, machine.width(), room.width()) && centred(top, machine.height(), room.height()))
            return {};
        return QString::asprintf("machine at %d,%d %dx%d in %dx%d", left, top, machine.width(),
                                 machine.height(), room.width(), room.height());
    }

    QHash<QWidget *, QRect> designed_; // every control's rectangle at the designed size
    QHash<QWidget *, double> designedPoints_;

private slots:
    void init() {
        zoomTo(1.0);
        if (!designed_.isEmpty())
            return;
        control<QAction>("Nascondi")->trigger();
        for (QWidget *widget : window_->centralWidget()->findChildren<QWidget *>()) {
            designed_.insert(widget, inMachine(widget));
            designedPoints_.insert(widget, widget->font().pointSizeF());
        }
    }

    void viewMenuAfterTheDesignedOnes() {
        QStringList bar;
        for (QAction *action : window_->menuBar()->actions())
            bar << action->text();
        QCOMPARE(bar, QStringList({u"file"_s, u"Istruzioni"_s, u"Assistente"_s, u"Informazioni"_s,
                                   u"Quaderno"_s, u"Vista"_s}));
        QStringList items;
        for (QAction *action : control<QMenu>("vista")->actions())
            items << action->text();
        QCOMPARE(items, QStringList({u"Ingrandisci"_s, u"Riduci"_s, u"Dimensione originale"_s,
                                     u"Adatta alla finestra"_s}));
        QCOMPARE(control<QMenu>("vista")->accessibleName(), u"Vista"_s);
    }

    void keysZoom_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<double>("to");
        QTest::newRow("Ctrl++") << 1.0 << (Qt::CTRL | Qt::Key_Plus) << 1.1;
        QTest::newRow("Ctrl+=") << 1.0 << (Qt::CTRL | Qt::Key_Equal) << 1.1;
        QTest::newRow("Ctrl+-") << 1.0 << (Qt::CTRL | Qt::Key_Minus) << 0.9;
        QTest::newRow("Ctrl+0") << 2.5 << (Qt::CTRL | Qt::Key_0) << 1.0;
    }
    void keysZoom() {
        QFETCH(double, from);
        QFETCH(QKeyCombination, key);
        QFETCH(double, to);
        zoomTo(from);
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(control("in1"), key.key(), key.keyboardModifiers());
        QCOMPARE(window_->zoom(), to);
        QVERIFY(!window_->fitsWindow());
    }

    void backToTheDesignedSize() {
        // Through other zooms and back, every pixel of the machine is where it was, in its own font.
        for (double zoom : {2.0, 0.67, 3.5})
            zoomTo(zoom);
        control<QAction>("dimensioneOriginale")->trigger();
        for (auto it = designed_.cbegin(); it != designed_.cend(); ++it) {
            QCOMPARE(inMachine(it.key()), it.value());
            QCOMPARE(it.key()->font().pointSizeF(), designedPoints_.value(it.key()));
        }
    }

    void everythingScalesAlike_data() {
        QTest::addColumn<double>("zoom");
        for (double zoom : {0.5, 0.75, 1.25, 2.0, 3.0})
            QTest::addRow("%g", zoom) << zoom;
    }
    void everythingScalesAlike() {
        // Each control's place and size, and its font, are the designed ones times the zoom (to a
        // pixel's rounding); only the selectors may be taller, for a finger.
        QFETCH(double, zoom);
        zoomTo(zoom);
        QStringList wrong;
        int checked = 0;
        for (auto it = designed_.cbegin(); it != designed_.cend(); ++it) {
            QWidget *widget = it.key();
            const QRect was = it.value(), now = inMachine(widget);
            // The machine's own controls, not the parts Qt builds inside them.
            if (widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_"_s) ||
                (widget->parentWidget() && qobject_cast<QComboBox *>(widget->parentWidget())))
                continue;
            ++checked;
            const bool taller = qobject_cast<QComboBox *>(widget) && now.height() >= was.height() * zoom;
            auto near = [zoom](int shown, int designed) {
                return std::abs(shown - designed * zoom) <= zoom + 1;
            };
            if (!near(now.x(), was.x()) || !near(now.y(), was.y()) || !near(now.width(), was.width()) ||
                (!taller && !near(now.height(), was.height())))
                wrong << widget->objectName() + QString::asprintf(" at %d,%d %dx%d", now.x(), now.y(),
                                                                  now.width(), now.height());
            if (widget != control("out1") &&
                std::abs(widget->font().pointSizeF() - designedPoints_.value(widget) * zoom) > 0.01)
                wrong << widget->objectName() + u" in "_s + QString::number(widget->font().pointSizeF());
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u"; "_s)));
        QVERIFY(checked >= 30); // the frames, bars, boxes, labels, lights, buttons and selectors
        // A machine smaller than the window lies in its middle at a fixed zoom too.
        QVERIFY2(offCentre().isEmpty(), qPrintable(offCentre()));
    }

    void picturesDrawnForTheScreen_data() {
        QTest::addColumn<double>("zoom");
        QTest::newRow("designed") << 1.0;
        QTest::newRow("twice") << 2.0;
        QTest::newRow("three and a half") << 3.5;
    }
    void picturesDrawnForTheScreen() {
        // Zoomed, the lights and the emblem are drawn at the size shown, in the screen's own pixels.
        QFETCH(double, zoom);
        zoomTo(zoom);
        control<QAction>("informazioni")->trigger();
        const qreal ratio = zoom == 1.0 ? 1.0 : window_->devicePixelRatioF();
        const QPixmap light = control<QLabel>("Image1")->pixmap();
        QCOMPARE(light.deviceIndependentSize().toSize(), QSize(38, 38) * zoom);
        QCOMPARE(light.devicePixelRatio(), ratio);
        if (zoom > 1) {
            // Drawn down from the larger set beside the lights' files: sharper than the designed
            // picture of that light blown up to the same size.
            const QImage shown = light.toImage().convertToFormat(QImage::Format_RGB32);
            double nearest = -1, blownUpDetail = 0;
            for (const char *name : {"lucir", "luciv", "lucig", "lucib"}) {
                const QImage blownUp =
                    QImage(QCoreApplication::applicationDirPath() + u'/' + QLatin1String(name) + u".gif"_s)
                        .scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_RGB32);
                if (const double distance = apart(shown, blownUp); nearest < 0 || distance < nearest) {
                    nearest = distance;
                    blownUpDetail = detail(blownUp);
                }
            }
            QVERIFY2(detail(shown) > 1.08 * blownUpDetail,
                     qPrintable(QString::asprintf("%g against %g blown up", detail(shown), blownUpDetail)));
        }
        const QLabel *emblem = control<QLabel>("Image8");
        const QSize emblemShown = emblem->pixmap().deviceIndependentSize().toSize();
        control("Label6")->setFocus();
        QTest::keyClick(control("Label6"), Qt::Key_Space);
        QVERIFY(emblemShown.width() == emblem->width() || emblemShown.height() == emblem->height());
        QCOMPARE(emblem->pixmap().devicePixelRatio(), ratio);
    }

    void noTextIsCut_data() {
        QTest::addColumn<double>("zoom"); // 0: fitted to the window
        for (double zoom : {0.5, 0.67, 0.9, 1.0, 1.1, 1.5, 2.0, 4.0})
            QTest::addRow("%g", zoom) << zoom;
        QTest::newRow("fitted") << 0.0;
    }
    void noTextIsCut() {
        // Every text the player can see is whole, line by line, in its control's own font: the about
        // panel's too, and the longest number text a calculation writes.
        QFETCH(double, zoom);
        zoomTo(zoom);
        control("Frame4")->show();
        auto *out1 = control<OutputLabel>("out1");
        const QString shown = out1->text();
        out1->setCaption(u"-0.000123456789012346"_s);
        const QStringList cut = cutTexts(window_.get());
        out1->setCaption(shown);
        control("Frame4")->hide();
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u"; "_s)));
    }

    void largeZoomStaysOnTheScreen() {
        // Zoomed beyond what the screen holds, the window still fits on it.
        zoomTo(4.0);
        const QRect screen = window_->screen()->availableGeometry();
        QVERIFY2(window_->minimumWidth() <= screen.width() && window_->minimumHeight() <= screen.height(),
                 qPrintable(QString::asprintf("%dx%d", window_->minimumWidth(), window_->minimumHeight())));
    }

    void fittedMachineFillsTheWindow() {
        // Fitted, the machine takes the window's whole height or width, within a few percent, and
        // overflows neither; it lies in the middle of the room, the leftover even on both sides.
        control<QAction>("adatta")->trigger();
        QTRY_VERIFY(window_->fitsWindow() && control<QAction>("adatta")->isChecked());
        const QSize room = window_->centralWidget()->size();
        const QSize machine = MainWindow::machineSize(window_->zoom());
        QVERIFY(machine.width() <= room.width() + 1 && machine.height() <= room.height() + 1);
        QVERIFY2(machine.width() >= 0.97 * room.width() || machine.height() >= 0.97 * room.height(),
                 qPrintable(QString::asprintf("machine %dx%d in %dx%d", machine.width(), machine.height(),
                                              room.width(), room.height())));
        QVERIFY2(offCentre().isEmpty(), qPrintable(offCentre()));
    }

    void menusReadAtTheZoom_data() {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<double>("times"); // the desktop's own size
        QTest::newRow("half: the desktop's size") << 0.5 << 1.0;
        QTest::newRow("designed: the desktop's font") << 1.0 << 1.0;
        QTest::newRow("twice") << 2.0 << 2.0;
        QTest::newRow("four times") << 4.0 << 4.0;
    }
    void menusReadAtTheZoom() {
        // The menu bar and every menu grow with the zoom, for a finger and for the back row, never
        // below the desktop's size; at 100% they have the desktop's font itself.
        QFETCH(double, zoom);
        QFETCH(double, times);
        QMenuBar *bar = window_->menuBar();
        const int designedHeight = bar->sizeHint().height();
        zoomTo(zoom);
        QList<QWidget *> menus{bar};
        for (const char *name : {"file", "istruzioni", "Assmenu", "vista"})
            menus << control<QMenu>(name);
        for (QWidget *menu : menus) {
            QCOMPARE(menu->font().pointSizeF(), QApplication::font(menu).pointSizeF() * times);
            QCOMPARE(menu->testAttribute(Qt::WA_SetFont), times != 1.0);
        }
        QVERIFY2(bar->sizeHint().height() >= designedHeight * times * 0.75,
                 qPrintable(u"%1 at 100%%, %2 now"_s.arg(designedHeight).arg(bar->sizeHint().height())));
    }

    void selectorArrowAtTheZoom_data() {
        QTest::addColumn<double>("zoom");
        QTest::newRow("twice") << 2.0;
        QTest::newRow("four times") << 4.0;
    }
    void selectorArrowAtTheZoom() {
        // The drop-down glyph is drawn at the zoom: white ink covering at least half of the designed
        // glyph (about 8 by 4.5 pixels) times the zoom, in the arrow's room.
        QFETCH(double, zoom);
        zoomTo(zoom);
        auto *combo = control<QComboBox>("Combo2");
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const QRect arrow =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, combo);
        const QImage shown = combo->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const qreal ratio = shown.devicePixelRatio();
        int ink = 0;
        for (int y = int(arrow.top() * ratio); y < int((arrow.bottom() + 1) * ratio); ++y)
            for (int x = int(arrow.left() * ratio); x < int((arrow.right() + 1) * ratio); ++x)
                ink += shown.pixelColor(x, y).red() > 200 && shown.pixelColor(x, y).green() > 200;
        const double designed = 8 * 4.5 / 2 * zoom * zoom * ratio * ratio;
        QVERIFY2(ink >= designed / 2,
                 qPrintable(QString::asprintf("%d pixels of ink, %g designed", ink, designed)));
    }

    void touchableFromOneAndAHalf_data() {
        QTest::addColumn<double>("zoom"); // 0: fitted to the window
        QTest::newRow("150%") << 1.5;
        QTest::newRow("175%") << 1.75; // about where a 1920x1080 window with the notebook open fits
        QTest::newRow("fitted") << 0.0;
    }
    void touchableFromOneAndAHalf() {
        // From 150%, and fitted, the machine is on a large screen: every control a finger hits, the
        // selectors too (not tall enough by the zoom alone), and their lists' rows are 40 pixels high.
        QFETCH(double, zoom);
        zoomTo(zoom);
        for (const char *name : touched)
            QVERIFY2(control(name)->height() >= 40, name);
        auto *combo = control<QComboBox>("Combo1");
        combo->showPopup();
        QTRY_VERIFY(combo->view()->isVisible());
        const int row = combo->view()->visualRect(combo->model()->index(0, 0)).height();
        combo->hidePopup();
        QVERIFY2(row >= 40, qPrintable(QString::number(row)));
    }

    void fitFollowsTheWindowAndTheNotebook() {
        window_->setFitToWindow(true);
        QTest::qWait(100); // the menu bar takes the fitted zoom's font, and the machine the room left
        const double whole = window_->zoom();
        const QRect screen = window_->screen()->availableGeometry();
        window_->resize(screen.width() * 2 / 3, screen.height() * 2 / 3);
        QTRY_VERIFY(window_->zoom() < whole * 0.75);
        window_->setGeometry(screen);
        QTRY_COMPARE(window_->zoom(), whole);
        // Only lower: the menu bar keeps its width, the machine still follows.
        window_->resize(screen.width(), screen.height() * 2 / 3);
        QTRY_VERIFY(window_->zoom() < whole * 0.75);
        window_->setGeometry(screen);
        QTRY_COMPARE(window_->zoom(), whole);
        // The notebook takes room beside the machine, which fits what is left; closed, the room comes back.
        control<QAction>("quaderno")->trigger();
        auto *dock = window_->findChild<QDockWidget *>();
        QTRY_VERIFY(dock && dock->isVisible());
        QTest::qWait(100);
        const QSize left = window_->centralWidget()->size();
        const QSize machine = MainWindow::machineSize(window_->zoom());
        QVERIFY(machine.width() <= left.width() + 1 && machine.height() <= left.height() + 1);
        QVERIFY(dock->geometry().left() >= machine.width());
        // The player's own prediction shows what a child typed, a sign, digits and a point, whole,
        // beside the model's prediction for the number in the input box.
        auto *mine = dock->findChild<QLineEdit *>(u"miaPrevisione"_s);
        dock->findChild<QLineEdit *>(u"modello"_s)->setText(u"se(x < 1; ?; x - 1)"_s);
        control<QLineEdit>("in1")->setText(u"1234567"_s);
        mine->setText(u"-1234.5"_s);
        QTRY_VERIFY(!dock->findChild<QLabel *>(u"previsione"_s)->text().isEmpty());
        window_->resizeDocks({dock}, {0}, Qt::Horizontal); // as narrow as the notebook goes
        QTest::qWait(50);
        QStyleOptionFrame frame;
        frame.initFrom(mine);
        const int room = mine->style()->subElementRect(QStyle::SE_LineEditContents, &frame, mine).width();
        const int typed = mine->fontMetrics().horizontalAdvance(mine->text());
        QVERIFY2(room >= typed, qPrintable(u"%1 pixels for %2"_s.arg(room).arg(typed)));
        control<QAction>("quaderno")->trigger();
        QTRY_COMPARE(window_->zoom(), whole);
    }

    void notebookReadsAtTheZoom() {
        // The notebook's text grows with the machine, the table's rows and the plot's axes with it.
        control<QAction>("quaderno")->trigger();
        auto *dock = window_->findChild<QDockWidget *>();
        QTRY_VERIFY(dock && dock->isVisible());
        auto *table = dock->findChild<QTableView *>(u"esperimenti"_s);
        auto *field = dock->findChild<QLineEdit *>(u"modello"_s);
        const QAbstractAxis *axis = dock->findChild<QChartView *>()->chart()->axes(Qt::Horizontal).value(0);
        const auto axisText = [axis] { return QFontMetricsF(axis->labelsFont()).height(); };
        const double points = field->font().pointSizeF(), axisHeight = axisText();
        const int rowHeight = table->verticalHeader()->defaultSectionSize();
        zoomTo(2.0);
        QCOMPARE(field->font().pointSizeF(), 2 * points);
        QVERIFY2(axisText() > 1.8 * axisHeight, qPrintable(QString::number(axisText())));
        QVERIFY2(table->verticalHeader()->defaultSectionSize() >= 2 * rowHeight - 8,
                 qPrintable(QString::number(table->verticalHeader()->defaultSectionSize())));
        QVERIFY(QFontMetrics(table->font()).height() >= 2 * QFontMetrics(QApplication::font()).height() - 2);
        zoomTo(1.0);
        QCOMPARE(field->font().pointSizeF(), points);
        QCOMPARE(table->verticalHeader()->defaultSectionSize(), rowHeight);
        control<QAction>("quaderno")->trigger();
        QTRY_VERIFY(!dock->isVisible());
    }

    void guideGrowsWithTheMachine_data() {
        QTest::addColumn<double>("zoom");
        QTest::newRow("half") << 0.5;
        QTest::newRow("twice") << 2.0;
    }
    void guideGrowsWithTheMachine() {
        // The wizard is drawn at the zoom, and tells the game his zoomed size; his balloon's text grows too.
        QFETCH(double, zoom);
        GuideAgent &guide = window_->guide();
        if (guide.model().width <= 0)
            QSKIP("the guide's character file is missing");
        const QSize model(guide.model().width, guide.model().height);
        const double designPoints = guide.balloonWindow()->font().pointSizeF();
        zoomTo(zoom);
        const QSize shown = guide.figureWindow()->size();
        QCOMPARE(shown, model * zoom);
        QCOMPARE(QSize(guide.width(), guide.height()), shown);
        QCOMPARE(guide.balloonWindow()->font().pointSizeF(), designPoints * zoom);
        zoomTo(1.0);
        QCOMPARE(guide.figureWindow()->size(), model);
    }

    void viewIsRemembered_data() {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<bool>("fit");
        QTest::newRow("a fixed zoom") << 2.5 << false;
        QTest::newRow("fitted") << 1.0 << true;
    }
    void viewIsRemembered() {
        // What the window hands over to be remembered brings the same view back in a new window.
        QFETCH(double, zoom);
        QFETCH(bool, fit);
        window_->setZoom(zoom);
        window_->setFitToWindow(fit);
        const zoom::ViewSettings view = window_->viewSettings();
        QCOMPARE(view.fit, fit);
        if (!fit)
            QCOMPARE(view.zoom, zoom);
        MainWindow again(QCoreApplication::applicationDirPath());
        again.applyViewSettings(view);
        again.setGeometry(window_->geometry());
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.fitsWindow(), fit);
        QTRY_COMPARE(again.zoom(), window_->zoom());
    }
};

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    ZoomWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_zoomwindow.moc"
