// The real window zoomed for a whiteboard: the Vista menu and its keys, every control where its
// designed place lands at each zoom, no text cut, the machine fitted to the screen with controls a
// finger hits, and the notebook beside it readable. Run (see CMakeLists.txt) on screens of 1920x1080
// and 3840x2160, and at QT_SCALE_FACTOR=2.

#include "ui/machinesurface.h"
#include "windowtest.h"

#include <QChartView>

namespace {

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
            room.size().expandedTo(needed) != room.size())
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
    // The machine lies in the middle of the window's interior, within two pixels each way, or at its
    // corner where it is the larger.
    bool centred() {
        const QSize room = window_->centralWidget()->size(),
                    machine = MainWindow::machineSize(window_->zoom());
        const QPoint at = machineOrigin(control("Frame1"));
        auto middle = [](int from, int length, int across) {
            return length >= across ? std::abs(from) <= 2 : std::abs(2 * from + length - across) <= 4;
        };
        return middle(at.x(), machine.width(), room.width()) &&
               middle(at.y(), machine.height(), room.height());
    }

    QHash<QWidget *, QRect> designed_; // every control's rectangle at the designed size
    QHash<QWidget *, double> designedPoints_;

private slots:
    void init() {
        zoomTo(1.0);
        if (!designed_.isEmpty())
            return;
        control<QAction>("Nascondi")->trigger();
        // The machine's own controls, not the parts Qt builds inside them.
        for (QWidget *widget : window_->centralWidget()->findChildren<QWidget *>()) {
            if (widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_"_s) ||
                qobject_cast<QComboBox *>(widget->parentWidget()))
                continue;
            designed_.insert(widget, inMachine(widget));
            designedPoints_.insert(widget, widget->font().pointSizeF());
        }
    }

    void keysZoom() {
        // Ctrl++, or Ctrl+= where + needs Shift, and Ctrl+- step the zoom; Ctrl+0 brings the designed size
        // back.
        const std::pair<QKeyCombination, double> steps[] = {{Qt::CTRL | Qt::Key_Plus, 1.1},
                                                            {Qt::CTRL | Qt::Key_Equal, 1.25},
                                                            {Qt::CTRL | Qt::Key_Minus, 1.1},
                                                            {Qt::CTRL | Qt::Key_0, 1.0}};
        QVERIFY(activate());
        for (const auto &[key, zoom] : steps) {
            QTest::keyClick(control("in1"), key.key(), key.keyboardModifiers());
            QCOMPARE(window_->zoom(), zoom);
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
        auto near = [zoom](int shown, int designed) { return std::abs(shown - designed * zoom) <= zoom + 1; };
        for (auto it = designed_.cbegin(); it != designed_.cend(); ++it) {
            QWidget *widget = it.key();
            const QRect was = it.value(), now = inMachine(widget);
            const bool taller = qobject_cast<QComboBox *>(widget) && now.height() >= was.height() * zoom;
            if (!near(now.x(), was.x()) || !near(now.y(), was.y()) || !near(now.width(), was.width()) ||
                (!taller && !near(now.height(), was.height())))
                wrong << widget->objectName();
            if (widget != control("out1") &&
                std::abs(widget->font().pointSizeF() - designedPoints_.value(widget) * zoom) > 0.01)
                wrong << widget->objectName() + u" font"_s;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u"; "_s)));
        QVERIFY(designed_.size() >= 30); // the frames, bars, boxes, labels, lights, buttons and selectors
        // A machine smaller than the window lies in its middle at a fixed zoom too.
        QVERIFY(centred());
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
        QVERIFY(window_->minimumWidth() <= screen.width() && window_->minimumHeight() <= screen.height());
    }

    void selectorArrowAtTheZoom() {
        // The drop-down glyph is drawn at the zoom: white ink covering at least half of the designed
        // glyph (about 8 by 4.5 pixels) times the zoom, in the arrow's room.
        const double zoom = 2.0;
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

    void touchableFromOneAndAHalf() {
        // From 150% the machine is on a large screen: every control a finger hits, the selectors too (not
        // tall enough by the zoom alone), and their lists' rows are 40 pixels high.
        zoomTo(1.5);
        for (const char *name : {"in1", "out1", "exp", "Command1", "Combo1", "Combo2"})
            QVERIFY2(control(name)->height() >= 40, name);
        auto *combo = control<QComboBox>("Combo1");
        combo->showPopup();
        QTRY_VERIFY(combo->view()->isVisible());
        const int row = combo->view()->visualRect(combo->model()->index(0, 0)).height();
        combo->hidePopup();
        QCOMPARE_GE(row, 40);
    }

    void fittedFollowsTheWindowAndTheNotebook() {
        // Fitted, the machine takes the window's whole height or width, within a few percent, and
        // overflows neither; it lies in the middle of the room, the leftover even on both sides.
        control<QAction>("adatta")->trigger();
        QTRY_VERIFY(window_->fitsWindow() && control<QAction>("adatta")->isChecked());
        QTest::qWait(100); // the menu bar takes the fitted zoom's font, and the machine the room left
        const double whole = window_->zoom();
        const QSize room = window_->centralWidget()->size(), fitted = MainWindow::machineSize(whole);
        QVERIFY(fitted.width() <= room.width() + 1 && fitted.height() <= room.height() + 1);
        QVERIFY(fitted.width() >= 0.97 * room.width() || fitted.height() >= 0.97 * room.height());
        QVERIFY(centred());
        const QRect screen = window_->screen()->availableGeometry();
        // Smaller, then only lower (the menu bar keeps its width), the machine follows, and back.
        for (const int width : {screen.width() * 2 / 3, screen.width()}) {
            window_->resize(width, screen.height() * 2 / 3);
            QTRY_VERIFY(window_->zoom() < whole * 0.75);
            window_->setGeometry(screen);
            QTRY_COMPARE(window_->zoom(), whole);
        }
        // The notebook takes room beside the machine, which fits what is left; closed, the room comes back.
        control<QAction>("quaderno")->trigger();
        auto *dock = window_->findChild<QDockWidget *>();
        QTRY_VERIFY(dock && dock->isVisible());
        QTest::qWait(100);
        const QSize left = window_->centralWidget()->size(),
                    machine = MainWindow::machineSize(window_->zoom());
        QVERIFY(machine.width() <= left.width() + 1 && machine.height() <= left.height() + 1);
        QVERIFY(dock->geometry().left() >= machine.width());
        control<QAction>("quaderno")->trigger();
        QTRY_COMPARE(window_->zoom(), whole);
    }

    void notebookAndGuideGrowWithTheMachine() {
        // The notebook's text grows with the machine, the table's rows and the plot's axes with it; the
        // wizard is drawn at the zoom and tells the game his zoomed size, and his balloon's text grows.
        control<QAction>("quaderno")->trigger();
        auto *dock = window_->findChild<QDockWidget *>();
        QTRY_VERIFY(dock && dock->isVisible());
        auto *table = dock->findChild<QTableView *>(u"esperimenti"_s);
        auto *field = dock->findChild<QLineEdit *>(u"modello"_s);
        const QAbstractAxis *axis = dock->findChild<QChartView *>()->chart()->axes(Qt::Horizontal).value(0);
        const auto axisText = [axis] { return QFontMetricsF(axis->labelsFont()).height(); };
        const double points = field->font().pointSizeF(), axisHeight = axisText();
        const int rowHeight = table->verticalHeader()->defaultSectionSize();
        GuideAgent &guide = window_->guide();
        const QSize twice = QSize(guide.model().width, guide.model().height) * 2;
        const double balloonPoints = guide.balloonWindow()->font().pointSizeF();
        zoomTo(2.0);
        QVERIFY(guide.figureWindow()->size() == twice && QSize(guide.width(), guide.height()) == twice);
        QCOMPARE(guide.balloonWindow()->font().pointSizeF(), 2 * balloonPoints);
        QCOMPARE(field->font().pointSizeF(), 2 * points);
        QCOMPARE_GT(axisText(), 1.8 * axisHeight);
        QCOMPARE_GE(table->verticalHeader()->defaultSectionSize(), 2 * rowHeight - 8);
    }
};

int main(int argc, char *argv[]) {
    return runWindowTest<ZoomWindowTest>(argc, argv);
}

#include "tst_zoomwindow.moc"
