#include "adapters.h"

#include "files/logprintout.h"
#include "machinecontrols.h"
#include "machinesurface.h"
#include "mainwindow.h"
#include "movieplayer.h"
#include "twips.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmapCache>
#include <QTime>

namespace ingranix {

QString WidgetBoard::in1Text() const {
    return w_.in1_->text();
}
void WidgetBoard::setIn1Text(const QString &text) {
    w_.in1_->setText(text);
}
void WidgetBoard::focusIn1() {
    w_.in1_->setFocus(Qt::OtherFocusReason);
}
QString WidgetBoard::out1Caption() const {
    return w_.out1_->text();
}
void WidgetBoard::setOut1Caption(const QString &caption) {
    w_.out1_->setCaption(caption);
}
void WidgetBoard::setLabel7(const QString &caption) {
    w_.label7_->setText(caption);
}

void WidgetBoard::setLabel7ColourFromIn1() {
    QPalette palette = w_.label7_->palette();
    palette.setColor(QPalette::WindowText, in1Background_);
    w_.label7_->setPalette(palette);
}

float WidgetBoard::label7Left() const {
    return w_.label7Left_;
}

void WidgetBoard::setLabel7Left(float twips) {
    w_.label7Left_ = twips;
    w_.label7_->move(machineOrigin(w_.label7_).x() + twipsToPixels(twips, w_.zoom_), w_.label7_->y());
}

QString WidgetBoard::levelText() const {
    return w_.combo1_->currentText();
}
void WidgetBoard::setLevelText(const QString &text) {
    w_.combo1_->setEditText(text);
}
QString WidgetBoard::colourText() const {
    return w_.combo2_->currentText();
}
void WidgetBoard::setColourText(const QString &text) {
    w_.combo2_->setEditText(text);
}

void WidgetBoard::setFrameCaptions(const QString &caption) {
    w_.frame1_->setTitle(caption);
    w_.frame2_->setTitle(caption);
}

QColor WidgetBoard::colourOf(BoxColour colour) {
    switch (colour) {
    case BoxColour::Red:
        return QColor(255, 0, 0);
    case BoxColour::Green:
        return QColor(0, 255, 0);
    case BoxColour::Blue:
        return QColor(0, 0, 255);
    case BoxColour::ButtonFace:
        return QApplication::palette().color(QPalette::Button);
    case BoxColour::White:
        break;
    }
    return QColor(255, 255, 255);
}

void WidgetBoard::paintBox(QWidget *box, const QColor &background) {
    box->setStyleSheet(QStringLiteral("background-color: %1; color: black;").arg(background.name()));
}

void WidgetBoard::setBoxColour(BoxColour colour, bool all) {
    const QColor background = colourOf(colour);
    in1Background_ = background;
    paintBox(w_.in1_, background);
    paintBox(w_.out1_, background);
    if (all) {
        paintBox(w_.in2_, background);
        paintBox(w_.out2_, background);
    }
}

void WidgetBoard::appendLogLine(const QString &line) {
    w_.list1_->addItem(line);
}
void WidgetBoard::clearLog() {
    w_.list1_->clear();
}
void WidgetBoard::replaceLog(const QStringList &lines) {
    w_.list1_->clear();
    w_.list1_->addItems(lines); // one insertion for the whole list, not one per line
}

void WidgetBoard::setLightPicture(int light, const QString &path) {
    if (light < 1 || light > 6)
        return;
    // The lights swap between four small pictures five times a second: decode each file once.
    QPixmap picture;
    if (!QPixmapCache::find(path, &picture)) {
        picture.load(path);
        QPixmapCache::insert(path, picture);
    }
    // A picture file gone missing leaves the light as it was rather than blank.
    if (!picture.isNull())
        w_.showLight(light - 1, picture, path);
}

void MovieControl::setMovie(const QString &path) {
    w_.shock1_->setMovie(path);
}
void MovieControl::setBackgroundColor(qint32 bgr) {
    w_.shock1_->setBackgroundColor(bgr);
}
void MovieControl::gotoFrame(int frame) {
    w_.shock1_->gotoFrame(frame);
}
void MovieControl::play() {
    w_.shock1_->play();
}
float MovieControl::left() const {
    return float(pixelsToTwips(w_.shock1_->x() - machineOrigin(w_.shock1_).x(), w_.zoom_));
}

int SystemClock::seconds() const {
    return QTime::currentTime().second();
}

bool DefaultLogPrinter::print(const QStringList &lines) {
    return logprintout::printOnDefaultPrinter(lines, QStringLiteral("Ingranix"));
}

} // namespace ingranix
