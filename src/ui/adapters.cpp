#include "adapters.h"

#include "files/logprintout.h"
#include "machinecontrols.h"
#include "machinesurface.h"
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
    return w_.in1->text();
}
void WidgetBoard::setIn1Text(const QString &text) {
    w_.in1->setText(text);
}
void WidgetBoard::focusIn1() {
    w_.in1->setFocus(Qt::OtherFocusReason);
}
QString WidgetBoard::out1Caption() const {
    return w_.out1->text();
}
void WidgetBoard::setOut1Caption(const QString &caption) {
    w_.out1->setCaption(caption);
}
void WidgetBoard::setLabel7(const QString &caption) {
    w_.label7->setText(caption);
}

void WidgetBoard::setLabel7ColourFromIn1() {
    QPalette palette = w_.label7->palette();
    palette.setColor(QPalette::WindowText, in1Background_);
    w_.label7->setPalette(palette);
}

float WidgetBoard::label7Left() const {
    return label7Left_;
}

void WidgetBoard::setLabel7Left(float twips) {
    label7Left_ = twips;
    w_.label7->move(machineOrigin(w_.label7).x() + twipsToPixels(twips, view_.zoom()), w_.label7->y());
}

QString WidgetBoard::levelText() const {
    return w_.combo1->currentText();
}
void WidgetBoard::setLevelText(const QString &text) {
    w_.combo1->setEditText(text);
}
QString WidgetBoard::colourText() const {
    return w_.combo2->currentText();
}
void WidgetBoard::setColourText(const QString &text) {
    w_.combo2->setEditText(text);
}

void WidgetBoard::setFrameCaptions(const QString &caption) {
    w_.frame1->setTitle(caption);
    w_.frame2->setTitle(caption);
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
    paintBox(w_.in1, background);
    paintBox(w_.out1, background);
    if (all) {
        paintBox(w_.in2, background);
        paintBox(w_.out2, background);
    }
}

void WidgetBoard::appendLogLine(const QString &line) {
    w_.list1->addItem(line);
}
void WidgetBoard::clearLog() {
    w_.list1->clear();
}
void WidgetBoard::replaceLog(const QStringList &lines) {
    w_.list1->clear();
    w_.list1->addItems(lines); // one insertion for the whole list, not one per line
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
        view_.showLight(light - 1, picture, path);
}

void MovieControl::setMovie(const QString &path) {
    shock1_.setMovie(path);
}
void MovieControl::setBackgroundColor(qint32 bgr) {
    shock1_.setBackgroundColor(bgr);
}
void MovieControl::gotoFrame(int frame) {
    shock1_.gotoFrame(frame);
}
void MovieControl::play() {
    shock1_.play();
}
float MovieControl::left() const {
    return float(pixelsToTwips(shock1_.x() - machineOrigin(&shock1_).x(), view_.zoom()));
}

int SystemClock::seconds() const {
    return QTime::currentTime().second();
}

bool DefaultLogPrinter::print(const QStringList &lines) {
    return logprintout::printOnDefaultPrinter(lines, QStringLiteral("Ingranix"));
}

} // namespace ingranix
