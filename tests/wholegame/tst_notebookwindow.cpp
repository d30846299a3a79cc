// The scientist's notebook beside the real window: its table, model, plot, predictions, PDF and lessons,
// played through the window's own controls.

#include "guide/coaching.h"
#include "ui/machinesurface.h"
#include "windowtest.h"

#include <QAreaSeries>
#include <QLineSeries>

// The scientist's notebook beside the machine, on a 1280x1024 screen.
class NotebookTest : public WindowTest {
    Q_OBJECT
    QAbstractItemModel *table() { return control<QTableView>("esperimenti")->model(); }
    QString cell(int row, int column) { return table()->index(row, column).data().toString(); }
    QString minus(double x) { return QString::number(x - k_); }
    QString rowText(int row) { // its cells apart by "|"
        QStringList cells;
        for (int column = 0; column < ExperimentTable::ColumnCount; ++column)
            cells << cell(row, column);
        return cells.join(u'|');
    }
    // The player's own prediction for `input`, typed in its field and entered there.
    void predict(const QString &input, const QString &guess) {
        QTest::keyClicks(control("in1"), input);
        QTest::mouseClick(control("miaPrevisione"), Qt::LeftButton);
        QTest::keyClicks(control("miaPrevisione"), guess);
        QTest::keyClick(control("miaPrevisione"), Qt::Key_Return);
    }
    int k_ = 0;         // the constant the calculation in use (Livello1, verde: x - C(1,2)) subtracts
    int narrowest_ = 0; // the window's narrowest without the notebook

private slots:
    void opensBesideTheMachine() {
        control<QAction>("Nascondi")->trigger();
        // Before the notebook exists the game keeps the experiments; the notebook shows them when built.
        experiment(u"5"_s, true);
        QVERIFY(!dock());
        narrowest_ = window_->minimumWidth();
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QTRY_VERIFY(dock() && dock()->isVisible() && !dock()->isFloating());
        QCOMPARE(cell(0, ExperimentTable::InputColumn), u"5"_s);
        QHeaderView *header = control<QTableView>("esperimenti")->horizontalHeader();
        for (int column = 0; column < ExperimentTable::ColumnCount; ++column) // no title cut
            QVERIFY(header->sectionSize(column) >
                    header->fontMetrics().horizontalAdvance(
                        table()->headerData(column, Qt::Horizontal).toString()));
        QTRY_COMPARE(QApplication::focusWidget(), control("modello"));
        // The machine's controls keep their room at the top left; the notebook lies wholly beside them,
        // over the window's whole height.
        QTRY_VERIFY(dock()->width() >= 500);
        const QRect notebook = dock()->geometry();
        const QPoint machine =
            window_->centralWidget()->mapTo(window_.get(), machineOrigin(control("Frame1")));
        QVERIFY(!notebook.intersects(QRect(machine, MainWindow::machineSize())));
        QVERIFY(notebook.bottom() == window_->height() - 1 &&
                notebook.top() <= window_->menuBar()->height() + 2);
    }

    void modelMarksAndPredicts() {
        choose("Combo1", 0);
        choose("Combo2", 1); // "?" where x <= C(1,2)
        k_ = game().mechanismConstants().at(1, 2);
        QCOMPARE(cell(0, ExperimentTable::NoteColumn), u"altro meccanismo"_s);
        QTest::keyClicks(control("modello"), u"x - %1"_s.arg(k_));
        experiment(u"0"_s, false);
        experiment(u"12"_s, true);
        experiment(u"20.5"_s, false);
        QCOMPARE(QStringList({rowText(1), rowText(2), rowText(3)}),
                 QStringList({"0|?||" + minus(0) + "|✗|previsione",
                              "12|" + minus(12) + u"||"_s + minus(12) + "|✓|previsione",
                              "20.5|" + minus(20.5) + u"||"_s + minus(20.5) + "|✓|previsione"}));
        QVERIFY(control<QLabel>("riepilogo")
                    ->text()
                    .contains(u"spiega 2 esperimenti su 3 e ha previsto 2 esperimenti nuovi"_s));
        QTest::keyClicks(control("in1"), u"7"_s);
        QCOMPARE(control<QLabel>("previsione")->text(), u"Il tuo modello prevede: "_s + minus(7));
        control<QLineEdit>("in1")->clear();
        // The plot: the three counted experiments, "?" on its band above, the model's value beside each.
        NotebookPlot *plot = dock()->plot();
        QVERIFY(plot->showsBand() && plot->bandValue() > 20.5 - k_ && plot->outputPoints().size() == 3);
        QVERIFY(plot->outputPoints().contains(QPointF(0, plot->bandValue())) &&
                plot->outputPoints().contains(QPointF(12, 12 - k_)) &&
                plot->modelPoints().contains(QPointF(0, -k_)));
        auto *outputAxis = qobject_cast<QCategoryAxis *>(plot->chart()->axes(Qt::Vertical).constFirst());
        // "?" tops the axis; its band is shaded without an outline from halfway down to the number below.
        const QStringList labels = outputAxis->categoriesLabels();
        auto *band = qobject_cast<QAreaSeries *>(plot->chart()->series().constFirst());
        QVERIFY(labels.constLast() == u"?" && band->borderColor() == band->color() &&
                band->color().lightness() > 200);
        QCOMPARE(band->lowerSeries()->at(0).y(),
                 (outputAxis->endValue(labels.at(labels.size() - 2)) + plot->bandValue()) / 2);
        // A mistake in the model is told under the field, its place underlined, and the marks wait for the
        // fix.
        QTest::keyClicks(control("modello"), u" * (2"_s);
        const auto &error = dock()->notebook().model().error();
        const QString told = control<QLabel>("modelloMessaggio")->text();
        const QString place = control<QLineEdit>("modello")->text().mid(error->position, error->length);
        QVERIFY2(told.contains(error->message) && told.contains("underline\">" + place + "</span>"),
                 qPrintable(told));
        QVERIFY(cell(2, ExperimentTable::MarkColumn).isEmpty() && plot->modelPoints().isEmpty());
        control<QLineEdit>("modello")->setText(u"x - %1"_s.arg(k_));
        // The model changed: what was run before it no longer counts as predicted.
        QVERIFY(control<QLabel>("modelloMessaggio")->text().isEmpty());
        QCOMPARE(rowText(2), "12|" + minus(12) + u"||"_s + minus(12) + "|✓|");
    }

    void tabMovesThroughTheNotebook() {
        // Tab goes from control to control, into the table and out of it, on to the machine; Shift+Tab
        // comes back to the table, on its last row, and the arrows move the row.
        auto *view = control<QTableView>("esperimenti");
        view->setCurrentIndex(QModelIndex());
        control("modello")->setFocus();
        QStringList visited;
        for (int i = 0; i < 10 && dock()->isAncestorOf(QApplication::focusWidget()); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, QStringList({u"miaPrevisione"_s, u"esperimenti"_s, u"grafico"_s, u"salvaPdf"_s,
                                       u"salvaLezione"_s, u"apriLezione"_s, u"Combo1"_s}));
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QTest::keyClick(view, Qt::Key_Up);
        QVERIFY(QApplication::focusWidget() == view && view->currentIndex().row() == table()->rowCount() - 2);
        QVERIFY(view->selectionModel()->isRowSelected(view->currentIndex().row(), QModelIndex()));
    }

    void otherSettingsGreyRows() {
        // The notes are the notebook's; here the rows go grey and leave the plot until the settings return.
        choose("Combo2", 0);
        for (int row = 1; row < 4; ++row)
            QCOMPARE(table()->index(row, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(150, 150, 150));
        QVERIFY(dock()->plot()->outputPoints().isEmpty());
        choose("Combo2", 1);
        QVERIFY(cell(3, ExperimentTable::NoteColumn).isEmpty() && dock()->plot()->outputPoints().size() == 3);
    }

    void closingLosesNothing() {
        // Closed by its button, opened by the menu bar: nothing is lost, and an experiment
        // run while it was closed is there. A window made narrow meanwhile widens to make room again.
        const QString model = control<QLineEdit>("modello")->text();
        QTest::mouseClick(dock()->findChild<QAbstractButton *>(u"qt_dockwidget_closebutton"_s),
                          Qt::LeftButton);
        QTRY_VERIFY(!dock()->isVisible() && window_->minimumWidth() == narrowest_);
        window_->resize(narrowest_, window_->height());
        QTRY_COMPARE(window_->width(), narrowest_);
        experiment(u"30"_s, true);
        clickMenu(nullptr, "quaderno");
        QTRY_VERIFY(dock()->isVisible() && dock()->width() >= 300 && window_->minimumWidth() > narrowest_);
        QVERIFY(window_->screen()->geometry().contains(window_->frameGeometry()));
        QVERIFY(control<QLineEdit>("modello")->text() == model && table()->rowCount() == 5 &&
                dock()->plot()->outputPoints().size() == 4);
        QCOMPARE(rowText(4), "30|" + minus(30) + u"||"_s + minus(30) + "|✓|previsione");
    }

    void plotNumbersAreWhole() {
        // Every number on the plot's axes is shown whole in a short window with the notebook narrow.
        const QRect before = window_->geometry();
        window_->resize(1100, 620);
        window_->resizeDocks({dock()}, {300}, Qt::Horizontal);
        QTest::qWait(200);
        QStringList labels;
        for (QGraphicsItem *item : dock()->plot()->scene()->items())
            if (item->type() == QGraphicsTextItem::Type && item->isVisible())
                labels << static_cast<QGraphicsTextItem *>(item)->toPlainText();
        window_->setGeometry(before);
        const QString all = labels.join(u' ');
        QVERIFY2(labels.size() >= 6 && !all.contains(u"..."_s) && !all.contains(u'…'), qPrintable(all));
    }

    void savesPdfThroughTheDialog() {
        const QString chosen = files_.filePath(u"quaderno-prova"_s);
        QStringList refusals;
        answerFileDialog(this, chosen, &refusals);
        QTest::mouseClick(control("salvaPdf"), Qt::LeftButton);
        QVERIFY2(refusals.isEmpty(), qPrintable(refusals.join(u' ')));
        QVERIFY(control<QLabel>("salvaMessaggio")->text().contains(u"quaderno-prova.pdf"_s));
        // The page layout is the file tests' concern; here, that the saved notebook is this one.
        const QStringList lines = visibleLines(pdfTextLines(chosen + u".pdf"_s));
        QVERIFY2(lines.contains(u"Il mio modello: x - %1"_s.arg(k_)) &&
                     lines.contains(u"30 %1 %1 ✓ previsione"_s.arg(minus(30))),
                 qPrintable(lines.join(u'\n')));
        // A folder that cannot be written: the notebook says so, calmly.
        dock()->setFileChooser(std::make_unique<FixedChooser>(u"/nonexistent/quaderno"_s));
        QTest::mouseClick(control("salvaPdf"), Qt::LeftButton);
        QVERIFY(!QApplication::activeModalWidget() &&
                control<QLabel>("salvaMessaggio")->text().startsWith(u"Non sono riuscito"_s));
    }

    void newMechanismEmptiesTheTable() {
        QTest::mouseClick(control("Command1"), Qt::LeftButton);
        QVERIFY(table()->rowCount() == 0 && dock()->plot()->outputPoints().isEmpty());
        // With nothing to show, both axes read from 0 to 10.
        for (QAbstractAxis *axis : dock()->plot()->chart()->axes()) {
            const QStringList labels = qobject_cast<QCategoryAxis *>(axis)->categoriesLabels();
            QVERIFY2(labels.constFirst() == u"0"_s && labels.constLast() == u"10"_s,
                     qPrintable(labels.join(' ')));
        }
        // The newest experiment stays in sight however long the log grows.
        for (int i = 0; i < 40; ++i)
            experiment(QString::number(i), i % 2 == 0);
        // The input axis counts in round steps: 1, 2 or 5 times a power of ten.
        const QStringList inputs =
            qobject_cast<QCategoryAxis *>(dock()->plot()->chart()->axes(Qt::Horizontal).constFirst())
                ->categoriesLabels();
        const double step = inputs.value(1).toDouble() - inputs.value(0).toDouble();
        const double leading = step / std::pow(10.0, std::floor(std::log10(step)));
        QVERIFY2(leading == 1 || leading == 2 || leading == 5, qPrintable(inputs.join(' ')));
        auto *view = control<QTableView>("esperimenti");
        QVERIFY(view->viewport()->rect().contains(view->visualRect(table()->index(39, 0))));
        // Numbers near the double's limits stay in the table but off the plot, whose axes stay finite.
        experiment(u"1E+308"_s, true);
        experiment(u"-1E+308"_s, true);
        QVERIFY(table()->rowCount() == 42 && dock()->plot()->outputPoints().size() == 40);
        for (QAbstractAxis *axis : dock()->plot()->chart()->axes())
            QVERIFY(std::isfinite(qobject_cast<QCategoryAxis *>(axis)->max() -
                                  qobject_cast<QCategoryAxis *>(axis)->min()));
    }

    void notebookSpeaksAndShowsTheReading() {
        // A comma in the input: the row tells how the machine read it. What changed is announced once the
        // typing pauses, the summary too.
        experiment(u"3,5"_s, true);
        const QModelIndex read = table()->index(table()->rowCount() - 1, ExperimentTable::InputColumn);
        QCOMPARE(read.data(Qt::ToolTipRole).toString(),
                 u"La macchina ha letto 3: i decimali si scrivono con il punto"_s);
        QVERIFY(read.siblingAtRow(read.row() - 1).data(Qt::ToolTipRole).isNull() && // nor elsewhere
                read.siblingAtColumn(ExperimentTable::OutputColumn).data(Qt::ToolTipRole).isNull());
        auto *announcer = dock()->findChild<QWidget *>(u"annunci"_s);
        QTRY_VERIFY_WITH_TIMEOUT(announcer->accessibleName().contains(control<QLabel>("riepilogo")->text()),
                                 5000);
        QTest::keyClicks(control("modello"), u" +"_s);
        QTRY_VERIFY_WITH_TIMEOUT(
            announcer->accessibleName().startsWith(dock()->notebook().model().error()->message), 5000);
        control<QLineEdit>("modello")->setText(u"x - %1"_s.arg(k_));
        // The title bar's buttons are named in Italian.
        auto *close = dock()->findChild<QAbstractButton *>(u"qt_dockwidget_closebutton"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(close)->text(QAccessible::Name),
                 u"Chiudi il quaderno"_s);
    }

    // A lesson saved, another game played, the lesson opened: the notebook and the log are back. A model
    // with a mistake is not saved, and the notebook says so.
    void savesAndOpensALesson() {
        auto all = [this] {
            QStringList rows;
            for (int row = 0; row < table()->rowCount(); ++row)
                rows << rowText(row);
            return rows << control<QLineEdit>("modello")->text() << control<QLabel>("riepilogo")->text()
                        << game().experimentLog() << control<QComboBox>("Combo2")->currentText();
        };
        // Clicks `button` with `name` chosen in its dialog; gives what the notebook then says.
        auto use = [this](const char *button, const QString &name) {
            dock()->setFileChooser(std::make_unique<FixedChooser>(files_.filePath(name)));
            QTest::mouseClick(control(button), Qt::LeftButton);
            return control<QLabel>("lezioneMessaggio")->text();
        };
        const QStringList before = all();
        QCOMPARE(use("salvaLezione", u"lezione-prova"_s), u"Lezione salvata in lezione-prova.lezione."_s);

        QTest::mouseClick(control("Command1"), Qt::LeftButton);
        choose("Combo2", 2);
        experiment(u"4"_s, false);
        control<QLineEdit>("modello")->setText(u"x"_s);
        QCOMPARE(use("apriLezione", u"lezione-prova.lezione"_s), u"Lezione aperta: lezione-prova.lezione."_s);
        QCOMPARE(all(), before);

        control<QLineEdit>("modello")->setText(u"x -"_s);
        QCOMPARE(use("salvaLezione", u"sbagliata"_s), u"Sistema il modello prima di salvare la lezione."_s);
        QVERIFY(!QFile::exists(files_.filePath(u"sbagliata.lezione"_s)) &&
                !QApplication::activeModalWidget());
    }

    // The player's own prediction: a number typed, a prediction beside the model's, Enter in the field.
    void myPredictionBesideTheModel() {
        QTest::mouseClick(control("Command1"), Qt::LeftButton);
        control<QLineEdit>("modello")->clear();
        auto *in1 = control<QLineEdit>("in1");
        auto *mine = control<QLineEdit>("miaPrevisione");
        // Right, the machine's output written with a comma where it has a point; then wrong.
        const QString four = outputFor(u"4"_s), zero = outputFor(u"0"_s);
        const QString comma = QString(four).replace(u'.', u','), wrong = zero == u"?" ? u"7"_s : u"?"_s;
        predict(u"4"_s, comma);
        predict(u"0"_s, wrong);
        QVERIFY(in1->text().isEmpty() && mine->text().isEmpty());
        QCOMPARE(QStringList({rowText(0), rowText(1)}),
                 QStringList({u"4|%1|%2 ✓|||"_s.arg(four, comma), u"0|%1|%2 ✗|||"_s.arg(zero, wrong)}));
        // The window's own focus: without a window manager, a loaded X server may hand the activation
        // back late or to the guide's window, which is no matter of the game's.
        QTRY_COMPARE(window_->focusWidget(), in1);
        QCOMPARE(control<QLabel>("riepilogo")->text(),
                 u"Scrivi un modello per vedere quanti esperimenti spiega. Hai previsto 1 risultato su 2."_s);
        // The marks of the kinds tried, said as a sentence to a screen reader.
        QVERIFY(control("numeriProvati")
                    ->accessibleName()
                    .startsWith(u"Numeri provati: interi positivi, zero. Non ancora: negativi"_s));
        // With the notebook closed the field's text belongs to no experiment.
        QTest::keyClicks(mine, u"9"_s);
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QTRY_VERIFY(!dock()->isVisible());
        experiment(u"5"_s, true);
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QTRY_VERIFY(dock()->isVisible());
        QVERIFY(cell(2, ExperimentTable::MyPredictionColumn).isEmpty() && mine->text() == u"9"_s);
        mine->clear();
    }

    // Right five times running without a model: the coach's remark waits while the guide is put away,
    // and the guide, shown again and free, says it at the next experiment.
    void coachWaitsForTheGuide() {
        QSignalSpy requests(&window_->guide(), &GuideAgent::requestStarted);
        const QStringList inputs{u"1"_s, u"2"_s, u"3"_s, u"6"_s, u"7"_s, u"8"_s};
        for (const QString &input : inputs.first(5))
            predict(input, outputFor(input));
        clickMenu("Assmenu", "Mostra");
        QTRY_VERIFY_WITH_TIMEOUT(window_->guide().isIdleOnScreen(), 20000);
        predict(inputs.last(), outputFor(inputs.last()));
        const QVariantList said{u"speak"_s, guidescript::coachingText(guidescript::Coaching::WriteYourRule)};
        QTRY_VERIFY(requests.contains(said));
        QCOMPARE(requests.count(said), 1);
    }
};

int main(int argc, char *argv[]) {
    return runWindowTest<NotebookTest>(argc, argv,
                                       [](Game &game, Board &board, QWidget *parent) -> NotebookPanel * {
                                           return new NotebookDock(game, board, parent);
                                       });
}

#include "tst_notebookwindow.moc"
