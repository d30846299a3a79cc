// The scientist's notebook beside the real window: its table, model, plot, predictions, PDF and lessons,
// played through the window's own controls.

#include "ui/machinesurface.h"
#include "windowtest.h"

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
        QTRY_COMPARE(QApplication::focusWidget(), control("modello"));
        // The machine's controls keep their room at the top left; the notebook lies wholly beside them,
        // over the window's whole height.
        QTRY_VERIFY(dock()->width() >= 500);
        const QRect notebook = dock()->geometry(), window(QPoint(0, 0), window_->size());
        const QPoint machine =
            window_->centralWidget()->mapTo(window_.get(), machineOrigin(control("Frame1")));
        QVERIFY(!notebook.intersects(QRect(machine, MainWindow::machineSize())));
        QVERIFY(window.contains(notebook) && notebook.bottom() == window.bottom());
        QVERIFY(notebook.top() <= window_->menuBar()->height() + 2);
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
        QCOMPARE(table()->rowCount(), 4);
        QCOMPARE(QStringList({rowText(1), rowText(2), rowText(3)}),
                 QStringList({"0|?||" + minus(0) + "|✗|previsione",
                              "12|" + minus(12) + u"||"_s + minus(12) + "|✓|previsione",
                              "20.5|" + minus(20.5) + u"||"_s + minus(20.5) + "|✓|previsione"}));
        const QString summary = control<QLabel>("riepilogo")->text();
        QVERIFY2(summary.contains(u"spiega 2 esperimenti su 3 e ha previsto 2 esperimenti nuovi"_s),
                 qPrintable(summary));
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
        auto *inputAxis = qobject_cast<QCategoryAxis *>(plot->chart()->axes(Qt::Horizontal).constFirst());
        QVERIFY(outputAxis->categoriesLabels().contains(u"?"_s));
        for (const QPointF &point : plot->outputPoints() + plot->modelPoints())
            QVERIFY(inputAxis->min() < point.x() && point.x() < inputAxis->max() &&
                    outputAxis->min() < point.y() && point.y() < outputAxis->max());
        // A mistake in the model is told under the field, its place underlined, and the marks wait for the
        // fix.
        QTest::keyClicks(control("modello"), u" * (2"_s);
        const auto &error = dock()->notebook().model().error();
        const QString told = control<QLabel>("modelloMessaggio")->text();
        const QString place = control<QLineEdit>("modello")->text().mid(error->position, error->length);
        QVERIFY2(error && told.contains(error->message) && told.contains("underline\">" + place + "</span>"),
                 qPrintable(told));
        QVERIFY(cell(2, ExperimentTable::MarkColumn).isEmpty() && plot->modelPoints().isEmpty());
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(control("modello"), Qt::Key_Backspace);
        // The model changed: what was run before it no longer counts as predicted.
        QVERIFY(control<QLabel>("modelloMessaggio")->text().isEmpty());
        QCOMPARE(rowText(2), "12|" + minus(12) + u"||"_s + minus(12) + "|✓|");
    }

    void tabMovesThroughTheNotebook() {
        // Tab goes from control to control, into the table and out of it, back to the machine, and
        // Shift+Tab back again; the row the keyboard lands on in the table shows, and the arrows move it.
        auto *view = control<QTableView>("esperimenti");
        view->setCurrentIndex(QModelIndex());
        view->scrollToTop();
        control("modello")->setFocus();
        QStringList visited;
        for (int i = 0; i < 10 && dock()->isAncestorOf(QApplication::focusWidget()); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited.mid(0, 6), QStringList({u"miaPrevisione"_s, u"esperimenti"_s, u"grafico"_s,
                                                 u"salvaPdf"_s, u"salvaLezione"_s, u"apriLezione"_s}));
        QVERIFY2(window_->centralWidget()->isAncestorOf(QApplication::focusWidget()),
                 qPrintable(visited.join(u' ')));
        for (qsizetype i = 2; i < visited.size(); ++i) // back to the table, the second stop
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), view);
        QCOMPARE(view->currentIndex().row(), table()->rowCount() - 1);
        QTest::keyClick(view, Qt::Key_Up);
        QCOMPARE(view->currentIndex().row(), table()->rowCount() - 2);
        QVERIFY(view->viewport()->rect().contains(view->visualRect(view->currentIndex())));
        QVERIFY(view->selectionModel()->isRowSelected(view->currentIndex().row(), QModelIndex()));
        control("in1")->setFocus();
    }

    void otherSettingsGreyRows_data() {
        QTest::addColumn<QString>("selector");
        QTest::addColumn<int>("item"); // -1: a level name is typed
        QTest::newRow("another colour") << u"Combo2"_s << 0;
        QTest::newRow("a level typed into the selector") << u"Combo1"_s << -1;
    }
    void otherSettingsGreyRows() {
        // The notes are the notebook's; here the rows go grey and leave the plot until the settings return.
        QFETCH(QString, selector);
        QFETCH(int, item);
        auto *combo = control<QComboBox>(qPrintable(selector));
        const int before = combo->currentIndex();
        item < 0 ? combo->setEditText(u"Livello2"_s) : choose(qPrintable(selector), item);
        for (int row = 1; row < 4; ++row)
            QCOMPARE(table()->index(row, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(150, 150, 150));
        QVERIFY(dock()->plot()->outputPoints().isEmpty());
        choose(qPrintable(selector), before);
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
        QVERIFY(control<QLineEdit>("modello")->text() == model && table()->rowCount() == 5);
        QCOMPARE(rowText(4), "30|" + minus(30) + u"||"_s + minus(30) + "|✓|previsione");
        QCOMPARE(dock()->plot()->outputPoints().size(), 4);
    }

    void plotNumbersAreWhole_data() {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("notebook"); // its width; 0: the narrowest the window allows
        QTest::newRow("1366x768, the notebook narrowest") << QSize(1366, 740) << 0;
        QTest::newRow("1366x768, the notebook wide") << QSize(1366, 740) << 560;
        QTest::newRow("1280x1024") << QSize(1280, 990) << 400;
        QTest::newRow("a short window") << QSize(1100, 620) << 0;
    }
    void plotNumbersAreWhole() {
        // Every number on the plot's axes is shown whole, on screen and in the picture the PDF takes.
        QFETCH(QSize, window);
        QFETCH(int, notebook);
        const QRect before = window_->geometry();
        window_->resize(window);
        const int width = notebook > 0 ? notebook : 300;
        window_->resizeDocks({dock()}, {width}, Qt::Horizontal);
        QTest::qWait(200);
        NotebookPlot *plot = dock()->plot();
        QStringList labels, cut;
        for (QGraphicsItem *item : plot->scene()->items()) {
            if (item->type() != QGraphicsTextItem::Type || !item->isVisible())
                continue;
            const QString text = static_cast<QGraphicsTextItem *>(item)->toPlainText();
            labels << text;
            if (text.contains(u"..."_s) || text.contains(u'…'))
                cut << text;
        }
        window_->setGeometry(before);
        QVERIFY2(labels.size() >= 6 && cut.isEmpty(), qPrintable(labels.join(u' ')));
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
        QVERIFY2(lines.value(0) == "IX40 Livello1 verde" &&
                     lines.contains(u"Il mio modello: x - %1"_s.arg(k_)) &&
                     lines.contains(u"30 %1 %1 ✓ previsione"_s.arg(minus(30))) &&
                     lines.contains(u"input output mia previsione modello verifica nota"_s) &&
                     lines.contains(kindsText(dock()->notebook().kindsTried())),
                 qPrintable(lines.join(u'\n')));
        // A folder that cannot be written: the notebook says so, calmly.
        dock()->setFileChooser(std::make_unique<FixedChooser>(u"/nonexistent/quaderno"_s));
        QTest::mouseClick(control("salvaPdf"), Qt::LeftButton);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(control<QLabel>("salvaMessaggio")->text().startsWith(u"Non sono riuscito"_s));
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
            QVERIFY(std::isfinite(qobject_cast<QCategoryAxis *>(axis)->min()) &&
                    std::isfinite(qobject_cast<QCategoryAxis *>(axis)->max()));
    }

    void notebookSpeaksAndShowsTheReading() {
        // A comma in the input: the row tells how the machine read it. What changed is announced once the
        // typing pauses, the summary too.
        experiment(u"3,5"_s, true);
        const int last = table()->rowCount() - 1;
        QCOMPARE(table()->index(last, ExperimentTable::InputColumn).data(Qt::ToolTipRole).toString(),
                 u"La macchina ha letto 3: i decimali si scrivono con il punto"_s);
        QVERIFY(table()->index(last - 1, ExperimentTable::InputColumn).data(Qt::ToolTipRole).isNull());
        auto *announcer = dock()->findChild<QWidget *>(u"annunci"_s);
        QTRY_VERIFY_WITH_TIMEOUT(announcer->accessibleName().contains(control<QLabel>("riepilogo")->text()),
                                 5000);
        QTest::keyClicks(control("modello"), u" +"_s);
        QTRY_VERIFY_WITH_TIMEOUT(
            announcer->accessibleName().startsWith(dock()->notebook().model().error()->message), 5000);
        QTest::keyClick(control("modello"), Qt::Key_Backspace);
        QTest::keyClick(control("modello"), Qt::Key_Backspace);
        // The title bar's buttons are named in Italian.
        auto *close = dock()->findChild<QAbstractButton *>(u"qt_dockwidget_closebutton"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(close)->text(QAccessible::Name),
                 u"Chiudi il quaderno"_s);
    }

    // A lesson saved, another game played, the lesson opened: the notebook and the log are back. A file
    // that is not a whole lesson, or a model with a mistake, changes nothing and is told in the notebook.
    void savesAndOpensALesson() {
        auto all = [this] {
            QStringList rows;
            for (int row = 0; row < table()->rowCount(); ++row)
                rows << rowText(row);
            return rows << control<QLineEdit>("modello")->text() << control<QLabel>("riepilogo")->text()
                        << game().experimentLog() << control<QComboBox>("Combo2")->currentText();
        };
        auto message = [this] { return control<QLabel>("lezioneMessaggio")->text(); };
        auto use = [this](const QString &name) {
            dock()->setFileChooser(std::make_unique<FixedChooser>(files_.filePath(name)));
        };
        const QStringList before = all();
        use(u"lezione-prova"_s);
        QTest::mouseClick(control("salvaLezione"), Qt::LeftButton);
        QCOMPARE(message(), u"Lezione salvata in lezione-prova.lezione."_s);

        QTest::mouseClick(control("Command1"), Qt::LeftButton);
        choose("Combo2", 2);
        experiment(u"4"_s, false);
        control<QLineEdit>("modello")->setText(u"x"_s);
        use(u"lezione-prova.lezione"_s);
        QTest::mouseClick(control("apriLezione"), Qt::LeftButton);
        QCOMPARE(message(), u"Lezione aperta: lezione-prova.lezione."_s);
        QCOMPARE(all(), before);

        const QString cut = files_.filePath(u"tagliata.lezione"_s);
        QVERIFY(QFile::copy(files_.filePath(u"lezione-prova.lezione"_s), cut) &&
                QFile::resize(cut, QFileInfo(cut).size() - 40));
        use(u"tagliata.lezione"_s);
        QTest::mouseClick(control("apriLezione"), Qt::LeftButton);
        QCOMPARE(message(), lessonfile::problemText(lessonfile::Problem::Truncated));
        QCOMPARE(all(), before);

        control<QLineEdit>("modello")->setText(u"x -"_s);
        use(u"sbagliata"_s);
        QTest::mouseClick(control("salvaLezione"), Qt::LeftButton);
        QCOMPARE(message(), u"Sistema il modello prima di salvare la lezione."_s);
        QVERIFY(!QFile::exists(files_.filePath(u"sbagliata.lezione"_s)));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // A long lesson keeps every row in the table; the plot keeps a point per small cell of its area.
    void longLessonPlotsLightly() {
        lessonfile::Lesson lesson;
        lesson.saved = QDateTime::currentDateTime();
        lesson.mechanism = {u"Livello1"_s, u"verde"_s, u"verde"_s, 1, {}};
        for (int i = 0; i < 3000; ++i)
            lesson.experiments.push_back(
                {QString::number(i), QString::number(3 * i), u"Livello1"_s, u"verde"_s, 1, {}, false, {}});
        const QString path = files_.filePath(u"lunga.lezione"_s);
        QCOMPARE(lessonfile::save(path, lesson), lessonfile::Problem::None);
        dock()->setFileChooser(std::make_unique<FixedChooser>(path));
        QTest::mouseClick(control("apriLezione"), Qt::LeftButton);
        QCOMPARE(table()->rowCount(), 3000);
        const QList<QPointF> points = dock()->plot()->outputPoints();
        QVERIFY2(points.size() >= 200 && points.size() <= 2000, qPrintable(QString::number(points.size())));
        for (const QPointF &point : points)
            QCOMPARE(point.y(), 3 * point.x());
    }

    // The player's own prediction: a number typed, a prediction beside the model's, Enter in the field.
    void myPredictionBesideTheModel() {
        QTest::mouseClick(control("Command1"), Qt::LeftButton);
        control<QLineEdit>("modello")->clear();
        auto *in1 = control<QLineEdit>("in1");
        auto *mine = control<QLineEdit>("miaPrevisione");
        QStringList expected;
        for (const QString &input : {u"4"_s, u"0"_s}) {
            const QString output = outputFor(input);
            // The first prediction is the machine's output written with a comma where it has a point.
            const QString guess = input == u"4"    ? QString(output).replace(u'.', u',')
                                  : output == u"?" ? u"7"_s
                                                   : u"?"_s;
            QTest::keyClicks(in1, input);
            QTest::mouseClick(mine, Qt::LeftButton);
            QTest::keyClicks(mine, guess);
            QTest::keyClick(mine, Qt::Key_Return);
            QVERIFY(in1->text().isEmpty() && mine->text().isEmpty());
            expected << input + u'|' + output + u'|' + guess + (input == u"4" ? u" ✓"_s : u" ✗"_s) + u"|||"_s;
        }
        QCOMPARE(QStringList({rowText(0), rowText(1)}), expected);
        // The window's own focus: without a window manager, a loaded X server may hand the activation
        // back late or to the guide's window, which is no matter of the game's.
        QTRY_COMPARE(window_->focusWidget(), in1);
        QCOMPARE(control<QLabel>("riepilogo")->text(),
                 u"Scrivi un modello per vedere quanti esperimenti spiega. Hai previsto 1 risultato su 2."_s);
        // The marks of the kinds tried, said as a sentence to a screen reader.
        auto *kinds = control<QLabel>("numeriProvati");
        QVERIFY2(kinds->accessibleName().startsWith(
                     u"Numeri provati: interi positivi, zero. Non ancora: negativi"_s),
                 qPrintable(kinds->accessibleName()));
        QVERIFY(kinds->text().contains(u"✓&nbsp;zero"_s) && kinds->text().contains(u"○&nbsp;negativi"_s));
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

    // Five predictions of the player's own come true in a row, with no model: the guide suggests writing
    // the rule down, in its balloon; not while it is put away, and then at the next chance.
    void coachSpeaksThroughTheGuide() {
        GuideAgent &guide = window_->guide();
        // Put away (an opened lesson brought it out): what was queued passes at once, unseen.
        control<QAction>("Nascondi")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!guide.isBusy(), 20000);
        QStringList spoken;
        connect(&guide, &GuideAgent::requestStarted, this, [&](const QString &kind, const QString &detail) {
            if (kind == u"speak")
                spoken << detail;
        });
        auto predicted = [this](const QString &input) {
            QTest::keyClicks(control("in1"), input);
            QTest::keyClicks(control("miaPrevisione"), outputFor(input));
            QTest::keyClick(control("miaPrevisione"), Qt::Key_Return);
        };
        QVERIFY(!guide.isShownOnScreen());
        for (int i = 6; i <= 10; ++i)
            predicted(QString::number(i));
        QVERIFY(control<QLabel>("riepilogo")->text().endsWith(u"Hai previsto 6 risultati su 7."_s));
        QTest::qWait(200);
        QVERIFY2(spoken.isEmpty() && !guide.isBusy(), qPrintable(spoken.join(u'\n')));
        control<QAction>("Mostra")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(guide.isIdleOnScreen(), 20000);
        predicted(u"11"_s);
        const QString start = u"Per cinque volte di fila"_s;
        QTRY_VERIFY_WITH_TIMEOUT(guide.balloonText().startsWith(start), 10000);
        QVERIFY2(spoken.size() == 1 && spoken[0].startsWith(start), qPrintable(spoken.join(u'\n')));
        disconnect(&guide, nullptr, this, nullptr);
        control<QAction>("Nascondi")->trigger();
    }
};

int main(int argc, char *argv[]) {
    prepareFault();
    QApplication app(argc, argv);
    NotebookTest test;
    test.notebookFactory = notebookBuiltHere;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_notebookwindow.moc"
