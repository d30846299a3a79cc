#include "notebookdock.h"

#include "announcer.h"
#include "experimenttable.h"
#include "filedialogs.h"
#include "files/lessonfile.h"
#include "files/logprintout.h"
#include "files/notebookpdf.h"
#include "notebook/notebooklesson.h"
#include "notebookplot.h"
#include "play/game.h"
#include "twips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace ingranix {

namespace {

constexpr int narrowest = 300;      // pixels: the table's columns still read
constexpr int widestAtDesign = 760; // pixels: beyond this the notebook only adds blank room
constexpr int modelSettleMs = 1500; // a pause in the typing that makes a model worth a remark
constexpr int typingPauseMs = 1200; // a pause this long ends a burst of typing

// The notebook's dialogs: the PDF's, or the lesson's, told apart by their filter.
FileDialogs notebookFileDialogs(const QString &filter) {
    const bool lesson = filter == QLatin1String(lessonfile::dialogFilter);
    return {lesson ? QStringLiteral("Salva lezione") : QStringLiteral("Salva PDF"),
            QStringLiteral("Apri lezione"),
            lesson ? QStringLiteral("lezione-%1.lezione").arg(QDate::currentDate().toString(Qt::ISODate))
                   : QStringLiteral("quaderno.pdf")};
}

// A few characters either side of a mistake, the mistake itself marked, so the player sees where it is.
QString markedExcerpt(const QString &text, int position, int length) {
    constexpr int around = 28;
    position = std::clamp(position, 0, int(text.size()));
    length = std::clamp(length, 0, std::min(around, int(text.size()) - position));
    const int from = std::max(0, position - around);
    const int to = std::min(int(text.size()), position + length + around);
    QString html = QStringLiteral("<span style=\"white-space:pre-wrap\">");
    if (from > 0)
        html += QStringLiteral("…");
    html += text.mid(from, position - from).toHtmlEscaped();
    // An empty place (a missing parenthesis at the end, say) is marked by a small coloured gap.
    const QString marked =
        length > 0 ? text.mid(position, length).toHtmlEscaped() : QStringLiteral("&nbsp;&nbsp;");
    html += QStringLiteral(
                "<span style=\"background-color:#ffd6c8; color:#a02000; text-decoration:underline\">") +
            marked + QStringLiteral("</span>");
    html += text.mid(position + length, to - position - length).toHtmlEscaped();
    if (to < text.size())
        html += QStringLiteral("…");
    return html + QStringLiteral("</span>");
}

} // namespace

NotebookDock::NotebookDock(Game &game, Board &board, QWidget *parent)
    : QDockWidget(QStringLiteral("Quaderno"), parent), game_(game), board_(board), input_(board.in1Text()),
      notebook_(game.decimalSeparator()),
      chooser_(std::make_unique<DialogFileChooser>(this, notebookFileDialogs)) {
    setObjectName(QStringLiteral("quadernoDock"));
    // Docked at the right and never floating, so it cannot cover the machine.
    setFeatures(QDockWidget::DockWidgetClosable);
    setAllowedAreas(Qt::RightDockWidgetArea);

    // The title bar's buttons speak the player's language too.
    const struct {
        const char *name;
        const char *text;
    } titleButtons[] = {{"qt_dockwidget_closebutton", "Chiudi il quaderno"},
                        {"qt_dockwidget_floatbutton", "Stacca il quaderno"}};
    for (const auto &button : titleButtons)
        if (auto *found = findChild<QAbstractButton *>(QString::fromLatin1(button.name))) {
            found->setAccessibleName(QString::fromUtf8(button.text));
            found->setToolTip(QString::fromUtf8(button.text));
        }

    notebook_.setCurrentSettings(game.settings());
    for (const LoggedExperiment &experiment : game.experiments())
        notebook_.addExperiment(experiment);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("quaderno"));
    panel->setMinimumWidth(narrowest);
    auto *layout = new QVBoxLayout(panel);

    auto *modelTitle =
        new QLabel(QStringLiteral("<b>Il mio modello</b>  (x è il numero dato alla macchina)"), panel);
    modelField_ = new QLineEdit(panel);
    modelField_->setObjectName(QStringLiteral("modello"));
    modelField_->setPlaceholderText(QStringLiteral("per esempio: 2 * x + 1"));
    modelField_->setAccessibleName(QStringLiteral("modello"));
    modelTitle->setBuddy(modelField_);
    modelMessage_ = new QLabel(panel);
    modelMessage_->setObjectName(QStringLiteral("modelloMessaggio"));
    modelMessage_->setTextFormat(Qt::RichText);
    modelMessage_->setWordWrap(true);
    // Room for the message is kept, so the table does not jump while the player types.
    modelMessage_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    summary_ = new QLabel(panel);
    summary_->setObjectName(QStringLiteral("riepilogo"));
    summary_->setWordWrap(true);
    kinds_ = new QLabel(panel);
    kinds_->setObjectName(QStringLiteral("numeriProvati"));
    kinds_->setTextFormat(Qt::RichText);
    kinds_->setWordWrap(true);
    prediction_ = new QLabel(panel);
    prediction_->setObjectName(QStringLiteral("previsione"));
    // Beside the model's prediction, the player's own: for a child who cannot yet write a formula.
    auto *myTitle = new QLabel(QStringLiteral("La mia previsione"), panel);
    myPrediction_ = new QLineEdit(panel);
    myPrediction_->setObjectName(QStringLiteral("miaPrevisione"));
    myPrediction_->setAccessibleName(QStringLiteral("la mia previsione"));
    myPrediction_->setAccessibleDescription(
        QStringLiteral("Il risultato che ti aspetti dalla macchina per il numero nella casella input: un "
                       "numero, oppure ? se pensi che non possa fare il calcolo. Invio fa l'esperimento."));
    myPrediction_->setPlaceholderText(QStringLiteral("un numero o ?"));
    myPrediction_->setMaxLength(24); // a number or "?": a runaway paste stays short
    myTitle->setBuddy(myPrediction_);
    auto *predictionRow = new QHBoxLayout;
    predictionRow->addWidget(prediction_, 1);
    predictionRow->addWidget(myTitle);
    predictionRow->addWidget(myPrediction_);

    table_ = new ExperimentTable(notebook_, this);
    tableView_ = new QTableView(panel);
    tableView_->setObjectName(QStringLiteral("esperimenti"));
    tableView_->setAccessibleName(QStringLiteral("tabella degli esperimenti"));
    tableView_->setModel(table_);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes on to the next control; the arrows move inside the table.
    tableView_->setTabKeyNavigation(false);
    tableView_->installEventFilter(this);
    tableView_->setWordWrap(false);
    // Fixed row heights and column widths: a thousand rows cost no measuring.
    tableView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tableView_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    tableView_->horizontalHeader()->setStretchLastSection(true);

    auto *plotTitle = new QLabel(QStringLiteral("<b>Grafico</b>"), panel);
    plot_ = new NotebookPlot(panel);
    plot_->setObjectName(QStringLiteral("grafico"));
    plot_->setAccessibleName(QStringLiteral("grafico"));
    plot_->setAccessibleDescription(QStringLiteral(
        "Gli output degli esperimenti che contano, secondo l'input, e i valori del tuo modello"));

    saveButton_ = new QPushButton(QStringLiteral("Salva PDF"), panel);
    saveButton_->setObjectName(QStringLiteral("salvaPdf"));
    saveButton_->setAccessibleName(QStringLiteral("Salva PDF"));
    saveButton_->setAccessibleDescription(QStringLiteral("Salva il quaderno in un documento PDF"));
    saveMessage_ = new QLabel(panel);
    saveMessage_->setObjectName(QStringLiteral("salvaMessaggio"));
    saveMessage_->setWordWrap(true);
    auto *saveRow = new QHBoxLayout;
    saveRow->addWidget(saveButton_);
    saveRow->addWidget(saveMessage_, 1);

    saveLessonButton_ = new QPushButton(QStringLiteral("Salva lezione..."), panel);
    saveLessonButton_->setObjectName(QStringLiteral("salvaLezione"));
    saveLessonButton_->setAccessibleName(QStringLiteral("Salva lezione"));
    saveLessonButton_->setAccessibleDescription(
        QStringLiteral("Salva la macchina, gli esperimenti e il modello, per continuare un'altra volta"));
    openLessonButton_ = new QPushButton(QStringLiteral("Apri lezione..."), panel);
    openLessonButton_->setObjectName(QStringLiteral("apriLezione"));
    openLessonButton_->setAccessibleName(QStringLiteral("Apri lezione"));
    openLessonButton_->setAccessibleDescription(
        QStringLiteral("Riprende una lezione salvata: la macchina, gli esperimenti e il modello"));
    lessonMessage_ = new QLabel(panel);
    lessonMessage_->setObjectName(QStringLiteral("lezioneMessaggio"));
    lessonMessage_->setWordWrap(true);
    auto *lessonRow = new QHBoxLayout;
    lessonRow->addWidget(saveLessonButton_);
    lessonRow->addWidget(openLessonButton_);
    lessonRow->addWidget(lessonMessage_, 1);

    layout->addWidget(modelTitle);
    layout->addWidget(modelField_);
    layout->addWidget(modelMessage_);
    layout->addWidget(summary_);
    layout->addWidget(kinds_);
    layout->addLayout(predictionRow);
    layout->addWidget(tableView_, 3);
    layout->addWidget(plotTitle);
    layout->addWidget(plot_, 2);
    layout->addLayout(saveRow);
    layout->addLayout(lessonRow);
    setWidget(panel);
    // The plot takes the focus too, so that a screen reader reaches its description.
    plot_->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(modelField_, myPrediction_);
    setTabOrder(myPrediction_, tableView_);
    setTabOrder(tableView_, plot_);
    setTabOrder(plot_, saveButton_);
    setTabOrder(saveButton_, saveLessonButton_);
    setTabOrder(saveLessonButton_, openLessonButton_);

    // What changes as the player types is told to screen readers once the typing pauses.
    announcer_ = new Announcer(panel);
    speakTimer_.setSingleShot(true);
    speakTimer_.setInterval(typingPauseMs);
    connect(&speakTimer_, &QTimer::timeout, this, &NotebookDock::announceChanges);

    connect(modelField_, &QLineEdit::textChanged, this, &NotebookDock::modelTextChanged);
    // Not at every keystroke: "x" on the way to "x - 3" is not the player's model yet.
    modelSettled_ = new QTimer(this);
    modelSettled_->setSingleShot(true);
    modelSettled_->setInterval(modelSettleMs);
    connect(modelSettled_, &QTimer::timeout, this, [this] { coach(notebook::CoachEvent::ModelChanged); });
    connect(saveButton_, &QPushButton::clicked, this, &NotebookDock::savePdf);
    connect(saveLessonButton_, &QPushButton::clicked, this, &NotebookDock::saveLesson);
    connect(openLessonButton_, &QPushButton::clicked, this, &NotebookDock::openLesson);
    // Enter here runs the experiment as Enter in the input box does, through the game.
    connect(myPrediction_, &QLineEdit::returnPressed, this, [this] { game_.in1_KeyPress(13); });

    panelPoints_ = panel->font().pointSizeF();
    applySizes();
    refreshSummary();
    showPrediction();
    plot_->showExperiments(notebook_, game_.decimalSeparator());
    game_.setObserver(this);
}

void NotebookDock::setZoom(double zoom) {
    if (zoom <= 0 || zoom == zoom_)
        return;
    zoom_ = zoom;
    applySizes();
}

void NotebookDock::applySizes() {
    // The whole notebook's text grows with the machine's zoom; what is measured in characters follows.
    QWidget *panel = widget();
    if (panelPoints_ > 0 && (zoom_ != 1.0 || panel->testAttribute(Qt::WA_SetFont))) {
        QFont font = panel->font();
        font.setPointSizeF(panelPoints_ * zoom_);
        panel->setFont(font);
    }
    QFont bigger = panel->font();
    bigger.setBold(true);
    prediction_->setFont(bigger);
    modelMessage_->setMinimumHeight(2 * modelMessage_->fontMetrics().lineSpacing());
    // Room for what a child types ("-1234.5", or the hint), however long the model's prediction beside
    // it: fitted beside the machine, the notebook is narrow.
    const int fieldDigit = myPrediction_->fontMetrics().horizontalAdvance(QStringLiteral("0"));
    myPrediction_->setMinimumWidth(10 * fieldDigit);
    myPrediction_->setMaximumWidth(14 * fieldDigit);
    const QFontMetrics metrics = tableView_->fontMetrics();
    tableView_->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    const int digit = metrics.horizontalAdvance(QStringLiteral("0"));
    for (int column :
         {ExperimentTable::InputColumn, ExperimentTable::OutputColumn, ExperimentTable::ModelColumn})
        tableView_->setColumnWidth(column, 9 * digit);
    tableView_->setColumnWidth(ExperimentTable::MarkColumn,
                               metrics.horizontalAdvance(QStringLiteral("verifica")) + 2 * digit);
    tableView_->setColumnWidth(ExperimentTable::MyPredictionColumn,
                               metrics.horizontalAdvance(QStringLiteral("mia previsione")) + 2 * digit);
    plot_->setMinimumHeight(int(std::lround(220 * zoom_)));
    plot_->setZoom(zoom_);
}

NotebookDock::~NotebookDock() {
    game_.setObserver(nullptr);
}

bool NotebookDock::eventFilter(QObject *watched, QEvent *event) {
    // Entering the table, the keyboard lands on a row that shows: the newest one, unless the player
    // has already moved inside the table.
    if (watched == tableView_ && event->type() == QEvent::FocusIn && table_->rowCount() > 0) {
        QModelIndex current = tableView_->currentIndex();
        if (!current.isValid())
            current = table_->index(table_->rowCount() - 1, 0);
        tableView_->setCurrentIndex(current);
        tableView_->scrollTo(current);
    }
    return QDockWidget::eventFilter(watched, event);
}

void NotebookDock::setFileChooser(std::unique_ptr<FileChooser> chooser) {
    chooser_ = chooser ? std::move(chooser) : std::make_unique<DialogFileChooser>(this, notebookFileDialogs);
}

void NotebookDock::toggle() {
    auto *window = qobject_cast<QMainWindow *>(parentWidget());
    if (!window)
        return;
    if (!placed_) {
        placed_ = true;
        // The machine keeps its room; the notebook takes what is left beside it.
        window->centralWidget()->setMinimumWidth(window->property("machineMinimumWidth").toInt() > 0
                                                     ? window->property("machineMinimumWidth").toInt()
                                                     : twipsToPixels(machineWidthTwips));
        windowMinimumWidth_ = window->minimumWidth();
        window->addDockWidget(Qt::RightDockWidgetArea, this);
        hide();
    }
    if (isVisible()) {
        const bool hadFocus = isAncestorOf(QApplication::focusWidget());
        hide();
        if (hadFocus)
            board_.focusIn1();
        return;
    }
    show();
    const int machine = machineWidth();
    if (window->width() < machine + narrowest) {
        const QScreen *screen = window->screen();
        const int room = screen ? screen->availableGeometry().right() + 1 - window->x() : 0;
        window->resize(std::max(machine + narrowest, std::min(room, machine + widest())), window->height());
    }
    // The notebook takes the room beside the machine; once more when the window system has resized the
    // window and the layout has caught up.
    // A width the player chose at an earlier start is taken the first time.
    auto fit = [this, window, remembered = std::exchange(rememberedWidth_, 0)] {
        const int wanted = remembered > 0 ? remembered : window->width() - machineWidth();
        window->resizeDocks({this}, {std::clamp(wanted, narrowest, std::max(narrowest, widest()))},
                            Qt::Horizontal);
    };
    fit();
    QTimer::singleShot(0, this, fit);
    modelField_->setFocus(Qt::OtherFocusReason);
}

int NotebookDock::machineWidth() const {
    // The window says how wide its machine is drawn now; a window that does not, the designed size.
    const int machine = parentWidget() ? parentWidget()->property("machineWidth").toInt() : 0;
    return (machine > 0 ? machine : twipsToPixels(machineWidthTwips)) +
           style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent);
}

int NotebookDock::widest() const {
    return int(std::lround(widestAtDesign * zoom_));
}

void NotebookDock::experimentLogged(const LoggedExperiment &experiment) {
    // The player's prediction belongs to this experiment only while they can see the field; it empties
    // for the next number.
    QString mine;
    if (isVisible()) {
        mine = myPrediction_->text();
        myPrediction_->clear();
    }
    notebook_.addExperiment(experiment, mine);
    table_->rowsAdded();
    // A Level 1 threshold may have moved during the run: the notebook compares with the settings now.
    if (notebook_.setCurrentSettings(game_.settings()))
        table_->standingsChanged();
    tableView_->scrollToBottom();
    refreshSummary();
    refreshPlot();
    coach(notebook::CoachEvent::Experiment);
}

void NotebookDock::logCleared() {
    notebook_.clear();
    notebook_.setCurrentSettings(game_.settings());
    table_->reset();
    refreshSummary();
    refreshPlot();
}

void NotebookDock::settingsChanged() {
    if (!notebook_.setCurrentSettings(game_.settings()))
        return;
    table_->standingsChanged();
    refreshSummary();
    refreshPlot();
}

void NotebookDock::logRestored(const std::vector<LoggedExperiment> &experiments) {
    notebook_.clear();
    notebook_.setCurrentSettings(game_.settings());
    notebook_.addExperiments(experiments, openingLesson_ ? lessonPredictions_ : QStringList());
    table_->reset();
    refreshSummary();
    // A lesson opened here brings its model next: the plot is drawn once, with both.
    if (openingLesson_)
        plotStale_ = true;
    else
        refreshPlot();
}

void NotebookDock::modelTextChanged(const QString &text) {
    const bool changed = notebook_.setModelText(text);
    showModelError(); // blanks move a mistake's place even when the model stays the same
    if (!changed)
        return;
    table_->modelChanged();
    refreshSummary();
    showPrediction();
    modelSettled_->start();
    if (isVisible())
        plot_->showModel(notebook_);
    else
        plotStale_ = true;
}

void NotebookDock::refreshSummary() {
    summary_->setText(notebook_.summaryText());
    refreshKinds();
    speakTimer_.start();
}

void NotebookDock::refreshKinds() {
    const notebook::NumberKinds tried = notebook_.kindsTried();
    QStringList marks;
    for (int i = 0; i < notebook::kindMarkCount; ++i) {
        const auto mark = notebook::KindMark(i);
        const bool done = notebook::isTried(tried, mark);
        // Blanks that do not break: the line wraps between marks, never inside one.
        QString name = notebook::kindMarkName(mark).toHtmlEscaped();
        name.replace(u' ', QStringLiteral("&nbsp;"));
        marks << (done ? QStringLiteral("<span style=\"color:#007800\">✓&nbsp;") + name
                       : QStringLiteral("<span style=\"color:#8c8c8c\">○&nbsp;") + name) +
                     QStringLiteral("</span>");
    }
    kinds_->setText(marks.join(QStringLiteral(" &nbsp; ")));
    // A screen reader hears the marks as a sentence rather than their symbols.
    kinds_->setAccessibleName(notebook::kindsText(tried));
}

void NotebookDock::coach(notebook::CoachEvent event) {
    // The remarks speak of what the notebook shows: none while it is closed. One the guide could not
    // say now is not spent, and may come at a later event while it still holds.
    if (!isVisible())
        return;
    if (const auto remark = coach_.remark(notebook_, event); remark && game_.offerCoaching(*remark))
        coach_.spoken(notebook_, *remark);
}

void NotebookDock::announceChanges() {
    // Only what is new since the last announcement; a mistake first, as it is what the player must fix.
    const auto &error = notebook_.model().error();
    const QStringList now = {error ? error->message : QString(), summary_->text(), prediction_->text()};
    QStringList news;
    for (qsizetype i = 0; i < now.size(); ++i)
        if (!now[i].isEmpty() && now[i] != spoken_.value(i))
            news << now[i];
    spoken_ = now;
    if (!news.isEmpty() && isVisible())
        announcer_->announce(news.join(QStringLiteral(". ")), Announcer::Politeness::Polite);
}

void NotebookDock::refreshPlot() {
    if (!isVisible()) {
        plotStale_ = true;
        return;
    }
    plotStale_ = false;
    plot_->showExperiments(notebook_, game_.decimalSeparator());
}

void NotebookDock::showModelError() {
    const auto &error = notebook_.model().error();
    // Screen readers hear the mistake through announceChanges(): a changed description of the field
    // being typed in is an event Orca 43 cannot speak.
    speakTimer_.start();
    if (!error) {
        modelMessage_->clear();
        return;
    }
    modelMessage_->setText(error->message.toHtmlEscaped() + QStringLiteral("<br>") +
                           markedExcerpt(notebook_.model().text(), error->position, error->length));
}

void NotebookDock::setInputText(const QString &text) {
    input_ = text;
    showPrediction();
}

void NotebookDock::showPrediction() {
    prediction_->setText(notebook_.predictionText(input_));
    speakTimer_.start();
}

void NotebookDock::showEvent(QShowEvent *event) {
    QDockWidget::showEvent(event);
    // While the notebook is open the window cannot become so narrow that it would cover the machine.
    if (auto *window = parentWidget(); window && !event->spontaneous())
        window->setMinimumWidth(machineWidth() + narrowest);
    if (plotStale_)
        refreshPlot();
}

void NotebookDock::hideEvent(QHideEvent *event) {
    QDockWidget::hideEvent(event);
    if (auto *window = parentWidget(); window && !event->spontaneous() && windowMinimumWidth_ >= 0)
        window->setMinimumWidth(windowMinimumWidth_);
}

void NotebookDock::savePdf() {
    const auto chosen = chooser_->chooseSaveFile(QString::fromLatin1(notebookpdf::dialogFilter));
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = notebookpdf::pdfPath(*chosen);

    notebookpdf::Content content;
    content.titleLine = logprintout::titleLine(board_.levelText(), board_.colourText());
    content.date = QDate::currentDate();
    content.model = notebook_.model().text();
    content.summary = notebook_.summaryText();
    content.kinds = notebook::kindsText(notebook_.kindsTried());
    content.rows.reserve(notebook_.rowCount());
    for (int i = 0; i < notebook_.rowCount(); ++i) {
        const notebook::RowView row = notebook_.row(i);
        content.rows.append({row.input, row.output, row.modelCaption, notebook::markText(row.mark),
                             notebook::noteText(row), row.standing == notebook::Standing::Counted,
                             notebook::myPredictionText(row)});
    }
    if (plotStale_)
        refreshPlot();
    content.plot = plot_->picture(3);

    if (notebookpdf::write(path, content))
        saveMessage_->setText(QStringLiteral("Quaderno salvato in %1.").arg(QFileInfo(path).fileName()));
    else
        saveMessage_->setText(
            QStringLiteral("Non sono riuscito a salvare il quaderno qui: prova un'altra cartella."));
}

void NotebookDock::saveLesson() {
    // A model with a mistake would make a lesson that does not open again: the child mends it first.
    if (notebook_.model().error()) {
        lessonMessage_->setText(QStringLiteral("Sistema il modello prima di salvare la lezione."));
        return;
    }
    const auto chosen = chooser_->chooseSaveFile(QString::fromLatin1(lessonfile::dialogFilter));
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = lessonfile::savePath(*chosen);
    const lessonfile::Problem problem = lessonfile::save(
        path, notebook::lessonOf(notebook_, game_.mechanismState(), QDateTime::currentDateTime()));
    if (problem == lessonfile::Problem::None)
        lessonMessage_->setText(QStringLiteral("Lezione salvata in %1.").arg(QFileInfo(path).fileName()));
    else if (problem == lessonfile::Problem::TooLarge)
        lessonMessage_->setText(QStringLiteral("La lezione è troppo grande per salvarla: prova con un nuovo "
                                               "meccanismo di calcolo."));
    else
        lessonMessage_->setText(
            QStringLiteral("Non sono riuscito a salvare la lezione qui: prova un'altra cartella."));
}

void NotebookDock::openLesson() {
    const auto chosen = chooser_->chooseOpenFile(QString::fromLatin1(lessonfile::dialogFilter));
    if (!chosen || chosen->isEmpty())
        return;
    const lessonfile::ReadResult read = lessonfile::read(*chosen);
    lessonfile::Problem problem = read.problem;
    if (problem == lessonfile::Problem::None)
        problem = notebook::checkLesson(read.lesson);
    if (problem != lessonfile::Problem::None) {
        lessonMessage_->setText(lessonfile::problemText(problem));
        return;
    }

    // The player's own predictions go with the rows the game hands back (logRestored).
    lessonPredictions_.clear();
    for (const lessonfile::Experiment &experiment : read.lesson.experiments)
        lessonPredictions_ << experiment.ownPrediction;
    openingLesson_ = true;
    game_.restoreLesson(read.lesson, *chosen);
    openingLesson_ = false;
    lessonPredictions_.clear();
    {
        // The model comes with the rows that were its predictions, not as a change typed now.
        const QSignalBlocker quiet(modelField_);
        modelField_->setText(read.lesson.model);
    }
    notebook_.restoreModel(read.lesson.model, read.lesson.firstAfterModel());
    showModelError();
    table_->modelChanged();
    refreshSummary();
    showPrediction();
    refreshPlot();
    lessonMessage_->setText(QStringLiteral("Lezione aperta: %1.").arg(QFileInfo(*chosen).fileName()));
}

} // namespace ingranix
