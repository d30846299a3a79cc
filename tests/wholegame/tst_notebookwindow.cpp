// The scientist's notebook on the real window, on a real X server at 1280x1024: the player's keys and
// clicks, the real selectors, the real save dialog, and the saved PDF read back with pdftotext.

#include "filedialog.h"
#include "files/notebookpdf.h"
#include "files/pdftext.h"
#include "mechanisms/mechanisms.h"
#include "play/game.h"
#include "ui/experimenttable.h"
#include "ui/mainwindow.h"
#include "ui/notebookdock.h"
#include "ui/notebookplot.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QCategoryAxis>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

using namespace ingranix;

namespace {

// Answers "Salva PDF" with a fixed name, as a player who picked a folder that cannot be written.
class FixedChooser : public FileChooser {
public:
    explicit FixedChooser(QString path) : path_(std::move(path)) {}
    std::optional<QString> chooseSaveFile(const QString &) override { return path_; }
    std::optional<QString> chooseOpenFile(const QString &) override { return std::nullopt; }

private:
    QString path_;
};

} // namespace

class NotebookWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void opensBesideTheMachine();
    void modelMarksAndPredicts();
    void mistakeIsShownCalmly();
    void otherSettingsGreyRows_data();
    void otherSettingsGreyRows();
    void closingLosesNothing();
    void savesPdfThroughTheDialog();
    void failedSaveIsToldCalmly();
    void newMechanismEmptiesTheTable();
    void narrowWindowMakesRoom();
    void longNotebookTakesSeveralPages();

private:
    template <typename T> T *control(const char *name) {
        T *found = window_->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("control %s is missing", name);
        return found;
    }
    NotebookDock *dock() { return window_->findChild<NotebookDock *>(QStringLiteral("quadernoDock")); }
    QAbstractItemModel *table() { return control<QTableView>("esperimenti")->model(); }
    QString cell(int row, int column) { return table()->index(row, column).data().toString(); }
    void choose(const char *selector, int item);
    QString experiment(const QString &input, bool byEnter);
    QString minus(double x) { return QString::number(x - k_); }

    std::unique_ptr<MainWindow> window_;
    QTemporaryDir files_;
    int k_ = 0; // the constant the current calculation (Level 1, verde: x - C(1,2)) subtracts
};

void NotebookWindowTest::initTestCase() {
    QVERIFY(files_.isValid());
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1280, 1024));
    window_ = std::make_unique<MainWindow>(QCoreApplication::applicationDirPath());
    // No window manager under Xvfb: the window takes the screen's room itself, and is made active so
    // that its keys (F2) reach it.
    window_->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTRY_VERIFY_WITH_TIMEOUT(window_->game().started(), 10000);
    window_->game().setDecimalSeparator(QStringLiteral("."));
    control<QAction>("Nascondi")->trigger();
}

void NotebookWindowTest::cleanupTestCase() {
    window_.reset();
}

void NotebookWindowTest::choose(const char *selector, int item) {
    auto *combo = control<QComboBox>(selector);
    combo->setCurrentIndex(item);
    emit combo->activated(item);
}

// Runs one experiment as the player does; returns the machine's output.
QString NotebookWindowTest::experiment(const QString &input, bool byEnter) {
    auto *in1 = control<QLineEdit>("in1");
    in1->setFocus();
    in1->selectAll();
    QTest::keyClicks(in1, input);
    if (byEnter)
        QTest::keyClick(in1, Qt::Key_Return);
    else
        QTest::mouseClick(control<QPushButton>("exp"), Qt::LeftButton);
    return control<QLabel>("out1")->text();
}

void NotebookWindowTest::opensBesideTheMachine() {
    // Before the notebook exists the game keeps the experiments; the notebook shows them when built.
    experiment(QStringLiteral("5"), true);
    QVERIFY(!dock());
    QTest::keyClick(window_.get(), Qt::Key_F2);
    QVERIFY(dock());
    QTRY_VERIFY(dock()->isVisible());
    QVERIFY(!dock()->isFloating());
    QCOMPARE(table()->rowCount(), 1);
    QCOMPARE(cell(0, ExperimentTable::InputColumn), QStringLiteral("5"));
    QTRY_COMPARE(QApplication::focusWidget(), control<QWidget>("modello"));

    // The machine's controls keep their room at the top left; the notebook lies wholly on screen
    // beside them, over the window's whole height.
    const QRect machine(window_->centralWidget()->mapTo(window_.get(), QPoint(0, 0)),
                        QSize(twipsToPixels(10575), twipsToPixels(8415)));
    QTRY_VERIFY(dock()->width() >= 500);
    const QRect notebook = dock()->geometry();
    QVERIFY2(!notebook.intersects(machine), qPrintable(QStringLiteral("notebook %1,%2 %3x%4")
                                                           .arg(notebook.x())
                                                           .arg(notebook.y())
                                                           .arg(notebook.width())
                                                           .arg(notebook.height())));
    QVERIFY(QRect(QPoint(0, 0), window_->size()).contains(notebook));
    QVERIFY(window_->screen()->geometry().contains(window_->frameGeometry()));
    QCOMPARE(notebook.bottom(), window_->height() - 1);
    QVERIFY(notebook.top() <= window_->menuBar()->height() + 2);
}

void NotebookWindowTest::modelMarksAndPredicts() {
    choose("Combo1", 0); // Livello1
    choose("Combo2", 1); // verde: x - C(1,2), "?" where x <= C(1,2)
    k_ = window_->game().mechanismConstants().at(1, 2);
    QCOMPARE(cell(0, ExperimentTable::NoteColumn), QStringLiteral("altro meccanismo"));

    auto *model = control<QLineEdit>("modello");
    model->setFocus();
    QTest::keyClicks(model, QStringLiteral("x - %1").arg(k_));
    QCOMPARE(experiment(QStringLiteral("0"), false), QStringLiteral("?"));
    QCOMPARE(experiment(QStringLiteral("12"), true), minus(12));
    QCOMPARE(experiment(QStringLiteral("20.5"), false), minus(20.5));

    const QStringList expected[] = {
        {"0", "?", minus(0), "✗", "previsione"},
        {"12", minus(12), minus(12), "✓", "previsione"},
        {"20.5", minus(20.5), minus(20.5), "✓", "previsione"},
    };
    QCOMPARE(table()->rowCount(), 4);
    for (int row = 1; row < 4; ++row)
        for (int column = 0; column < ExperimentTable::ColumnCount; ++column)
            QCOMPARE(cell(row, column), expected[row - 1].at(column));
    const QString summary = control<QLabel>("riepilogo")->text();
    QVERIFY2(summary.startsWith(QStringLiteral("Il tuo modello spiega 2 esperimenti su 3")),
             qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("ha previsto 2 esperimenti nuovi di fila")),
             qPrintable(summary));

    QTest::keyClicks(control<QLineEdit>("in1"), QStringLiteral("7"));
    QCOMPARE(control<QLabel>("previsione")->text(), QStringLiteral("Il tuo modello prevede: ") + minus(7));
    control<QLineEdit>("in1")->clear();

    // The plot: the three counted experiments, "?" on its band, the model's value beside each.
    NotebookPlot *plot = dock()->plot();
    QVERIFY(plot->showsBand());
    const QList<QPointF> outputs = plot->outputPoints();
    QCOMPARE(outputs.size(), 3);
    QVERIFY(outputs.contains(QPointF(0, plot->bandValue())));
    QVERIFY(outputs.contains(QPointF(12, 12 - k_)));
    QVERIFY(plot->modelPoints().contains(QPointF(0, -k_)));
    QVERIFY(plot->bandValue() > 20.5 - k_);
    auto *outputAxis = qobject_cast<QCategoryAxis *>(plot->chart()->axes(Qt::Vertical).constFirst());
    QVERIFY(outputAxis->categoriesLabels().contains(QStringLiteral("?")));
    QCOMPARE(outputAxis->titleText(), QStringLiteral("output"));
    QCOMPARE(plot->chart()->axes(Qt::Horizontal).constFirst()->titleText(), QStringLiteral("input"));
}

void NotebookWindowTest::mistakeIsShownCalmly() {
    auto *model = control<QLineEdit>("modello");
    auto *message = control<QLabel>("modelloMessaggio");
    model->setFocus();
    model->end(false);
    QTest::keyClicks(model, QStringLiteral(" * (2"));
    QTRY_VERIFY(!message->text().isEmpty());
    // Under the field: the message, then the text around the mistake with its place underlined.
    const auto &error = dock()->notebook().model().error();
    QVERIFY(error);
    QTextDocument shown;
    shown.setHtml(message->text());
    QVERIFY(shown.toPlainText().startsWith(error->message + u'\n'));
    QVERIFY(shown.toPlainText().endsWith(QStringLiteral(" * (2")));
    QString underlined;
    for (QTextBlock block = shown.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            if (fragment.fragment().charFormat().fontUnderline())
                underlined += fragment.fragment().text();
    QCOMPARE(underlined, model->text().mid(error->position, std::max(error->length, 1)));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(cell(2, ExperimentTable::MarkColumn), QString());
    QVERIFY(dock()->plot()->modelPoints().isEmpty());

    for (int i = 0; i < 5; ++i)
        QTest::keyClick(model, Qt::Key_Backspace);
    QCOMPARE(model->text(), QStringLiteral("x - %1").arg(k_));
    QCOMPARE(message->text(), QString());
    QCOMPARE(cell(2, ExperimentTable::MarkColumn), QStringLiteral("✓"));
    // The model changed: what was run before it no longer counts as predicted.
    QCOMPARE(cell(2, ExperimentTable::NoteColumn), QString());
}

void NotebookWindowTest::otherSettingsGreyRows_data() {
    QTest::addColumn<QString>("selector");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("note");
    QTest::newRow("another colour") << "Combo2" << 0 << QString() << "altro colore";
    QTest::newRow("a level typed into the selector") << "Combo1" << -1 << "Livello2"
                                                     << "altro meccanismo";
}

void NotebookWindowTest::otherSettingsGreyRows() {
    QFETCH(QString, selector);
    QFETCH(int, item);
    QFETCH(QString, typed);
    QFETCH(QString, note);
    auto *combo = window_->findChild<QComboBox *>(selector);
    const QString before = combo->currentText();
    if (typed.isEmpty())
        choose(qPrintable(selector), item);
    else
        combo->setEditText(typed);
    for (int row = 1; row < 4; ++row) {
        QCOMPARE(cell(row, ExperimentTable::NoteColumn), note);
        QCOMPARE(table()->index(row, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(150, 150, 150));
    }
    QVERIFY(dock()->plot()->outputPoints().isEmpty());

    choose(qPrintable(selector), combo->findText(before));
    QCOMPARE(cell(3, ExperimentTable::NoteColumn), QString());
    QCOMPARE(dock()->plot()->outputPoints().size(), 3);
}

void NotebookWindowTest::closingLosesNothing() {
    const QString model = control<QLineEdit>("modello")->text();
    auto reopen = [this] {
        QVERIFY(!dock()->isVisible());
        QTest::keyClick(window_.get(), Qt::Key_F2);
        QTRY_VERIFY(dock()->isVisible());
    };
    QTest::mouseClick(dock()->findChild<QAbstractButton *>(QStringLiteral("qt_dockwidget_closebutton")),
                      Qt::LeftButton);
    reopen();
    QTest::keyClick(window_.get(), Qt::Key_F2);
    reopen();
    QMenuBar *bar = window_->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(control<QAction>("quaderno")).center());
    QTRY_VERIFY(!dock()->isVisible());
    // An experiment while the notebook is closed is there when it opens.
    experiment(QStringLiteral("30"), true);
    reopen();
    QCOMPARE(control<QLineEdit>("modello")->text(), model);
    QCOMPARE(table()->rowCount(), 5);
    QCOMPARE(cell(4, ExperimentTable::MarkColumn), QStringLiteral("✓"));
    QCOMPARE(cell(4, ExperimentTable::NoteColumn), QStringLiteral("previsione"));
    QCOMPARE(dock()->plot()->outputPoints().size(), 4);
}

void NotebookWindowTest::savesPdfThroughTheDialog() {
    const QString chosen = files_.filePath(QStringLiteral("quaderno-prova"));
    bool answered = false;
    answerFileDialog(this, chosen, &answered);
    QTest::mouseClick(control<QPushButton>("salvaPdf"), Qt::LeftButton);
    QVERIFY(answered);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    const QString saved = chosen + QStringLiteral(".pdf");
    QVERIFY2(QFileInfo::exists(saved), "the name gets .pdf");
    QVERIFY(control<QLabel>("salvaMessaggio")->text().contains(QStringLiteral("quaderno-prova.pdf")));

    const QStringList lines = visibleLines(pdfTextLines(saved));
    auto hasLine = [&lines](const QString &start, const QString &end) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString &line) { return line.startsWith(start) && line.endsWith(end); });
    };
    const struct {
        QString start, end;
    } wanted[] = {
        {QStringLiteral("IX40 Livello1 verde"), QString()},
        {QStringLiteral("Data: "), QString::number(QDate::currentDate().year())},
        {QStringLiteral("Il mio modello: x - %1").arg(k_), QString()},
        {QStringLiteral("input output modello verifica nota"), QString()},
        {QStringLiteral("5 "), QStringLiteral("altro meccanismo")},
        {QStringLiteral("0 ? %1 ✗").arg(minus(0)), QStringLiteral("✗")},
        {QStringLiteral("20.5 %1 %1 ✓").arg(minus(20.5)), QStringLiteral("✓")},
        {QStringLiteral("30 %1 %1 ✓ previsione").arg(minus(30)), QString()},
    };
    for (const auto &line : wanted)
        QVERIFY2(hasLine(line.start, line.end),
                 qPrintable(line.start + QStringLiteral(" not in:\n") + lines.join(u'\n')));
}

void NotebookWindowTest::failedSaveIsToldCalmly() {
    dock()->setFileChooser(std::make_unique<FixedChooser>(QStringLiteral("/nonexistent/folder/quaderno")));
    QTest::mouseClick(control<QPushButton>("salvaPdf"), Qt::LeftButton);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(control<QLabel>("salvaMessaggio")->text().startsWith(QStringLiteral("Non sono riuscito")));
}

void NotebookWindowTest::newMechanismEmptiesTheTable() {
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(table()->rowCount(), 0);
    QVERIFY(dock()->plot()->outputPoints().isEmpty());
    experiment(QStringLiteral("3"), true);
    QCOMPARE(table()->rowCount(), 1);
    QCOMPARE(cell(0, ExperimentTable::InputColumn), QStringLiteral("3"));

    // The newest experiment stays in sight however long the log grows.
    auto *view = control<QTableView>("esperimenti");
    for (int i = 0; i < 40; ++i)
        experiment(QString::number(i), i % 2 == 0);
    const QModelIndex newest = table()->index(40, ExperimentTable::InputColumn);
    QCOMPARE(newest.data().toString(), QStringLiteral("39"));
    QVERIFY(view->viewport()->rect().contains(view->visualRect(newest)));

    // Numbers near the double's limits stay in the table but off the plot, whose axes stay finite.
    experiment(QStringLiteral("1E+308"), true);
    experiment(QStringLiteral("-1E+308"), true);
    QCOMPARE(table()->rowCount(), 43);
    QCOMPARE(dock()->plot()->outputPoints().size(), 41);
    for (QAbstractAxis *axis : dock()->plot()->chart()->axes()) {
        auto *range = qobject_cast<QCategoryAxis *>(axis);
        QVERIFY(range && std::isfinite(range->min()) && std::isfinite(range->max()));
    }
}

void NotebookWindowTest::narrowWindowMakesRoom() {
    QAction *toggle = control<QAction>("quaderno");
    toggle->trigger();
    QVERIFY(!dock()->isVisible());
    const int narrowest = window_->minimumWidth();
    window_->resize(narrowest, window_->height());
    QTRY_COMPARE(window_->width(), narrowest);
    // Opening the notebook widens the window, and keeps it wide enough while the notebook is open.
    toggle->trigger();
    QTRY_VERIFY(dock()->isVisible() && dock()->width() >= 300);
    QVERIFY(window_->minimumWidth() > narrowest);
    QVERIFY(window_->screen()->geometry().contains(window_->frameGeometry()));
    QVERIFY(dock()->x() >= window_->centralWidget()->x() + twipsToPixels(10575));
    toggle->trigger();
    QCOMPARE(window_->minimumWidth(), narrowest);
}

void NotebookWindowTest::longNotebookTakesSeveralPages() {
    notebookpdf::Content content;
    content.titleLine = QStringLiteral("IX40\tLivello2\tblu");
    content.date = QDate(2024, 3, 5);
    content.model = QStringLiteral("x * 2");
    for (int i = 0; i < 200; ++i)
        content.rows.append({QString::number(i), QString::number(2 * i), QString::number(2 * i),
                             QStringLiteral("✓"), QString(), true});
    const QString path = files_.filePath(QStringLiteral("lungo.pdf"));
    QVERIFY(notebookpdf::write(path, content));
    const QStringList lines = visibleLines(pdfTextLines(path));
    QCOMPARE(lines.at(2), QStringLiteral("Data: martedì 5 marzo 2024"));
    const qsizetype pages = lines.count(QStringLiteral("\f")) + 1;
    QVERIFY(pages > 1);
    // Every page starts its part of the table with the column titles.
    QCOMPARE(lines.count(QStringLiteral("input output modello verifica nota")), pages);
    QVERIFY(lines.contains(QStringLiteral("199 398 398 ✓")));
}

QTEST_MAIN(NotebookWindowTest)
#include "tst_notebookwindow.moc"
