#include "movieplayer.h"

#include "largerpicture.h"

#include <QFileInfo>
#include <QMovie>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace ingranix {
namespace {

// Browsers show frames that ask for 10 ms or less for 100 ms; a stalled frame must not keep the
// player busy for minutes either.
int frameDelayMs(int asked) {
    if (asked <= 10)
        return 100;
    return std::min(asked, 5000);
}

} // namespace

MoviePlayer::MoviePlayer(QWidget *parent) : QWidget(parent), stepTimer_(new QTimer(this)) {
    stepTimer_->setSingleShot(true);
    connect(stepTimer_, &QTimer::timeout, this, &MoviePlayer::advance);
    // Every pixel is painted by paintEvent, so nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

MoviePlayer::~MoviePlayer() = default;

void MoviePlayer::setMovie(const QString &path) {
    stepTimer_->stop();
    delete own_;
    delete largerMovie_;
    own_ = largerMovie_ = movie_ = nullptr;
    frameCount_ = 0;
    shownFrame_ = QPixmap();
    path_ = path;
    shown_.clear();
    larger_.clear();
    designed_ = QSize();
    if (path.isEmpty()) {
        update();
        return;
    }
    movie_ = own_ = open(path);
    if (movie_) {
        shown_ = path;
        designed_ = movie_->currentPixmap().size();
        frameCount_ = std::max(movie_->frameCount(), 0);
        if (const QString larger = largerPicturePath(path); QFileInfo::exists(larger))
            larger_ = larger;
        chooseFile();
    }
    update();
}

QMovie *MoviePlayer::open(const QString &file) {
    auto *candidate = new QMovie(file, QByteArray(), this);
    // Frames are read one at a time as they are shown: a cached movie would hold every frame in
    // memory for the whole game.
    candidate->setCacheMode(QMovie::CacheNone);
    if (!candidate->isValid() || !candidate->jumpToFrame(0) || candidate->currentPixmap().isNull()) {
        delete candidate;
        return nullptr;
    }
    connect(candidate, &QMovie::frameChanged, this, qOverload<>(&QWidget::update));
    return candidate;
}

void MoviePlayer::chooseFile() {
    if (!movie_ || larger_.isEmpty())
        return;
    // Larger when the frame, fitted whole into the player, is drawn larger than its own pixels.
    const QSize fitted = designed_.scaled(size(), Qt::KeepAspectRatio);
    const bool shownLarger = fitted.width() > designed_.width() || fitted.height() > designed_.height();
    const QString wanted = shownLarger ? larger_ : path_;
    if (wanted == shown_)
        return;
    // Both files stay open once read, so that a zoom going back and forth across 100% only switches.
    // A larger file that cannot be read leaves the movie as it is: the same frames, only softer.
    if (shownLarger && !largerMovie_)
        largerMovie_ = open(larger_);
    QMovie *next = shownLarger ? largerMovie_ : own_;
    if (!next) {
        larger_.clear();
        return;
    }
    const int frame = movie_->currentFrameNumber();
    movie_ = next;
    shown_ = wanted;
    shownFrame_ = QPixmap();
    // The play goes on from the same frame: its timer steps whichever file is shown.
    showFrame(frame);
    update();
}

void MoviePlayer::resizeEvent(QResizeEvent *) {
    chooseFile();
}

void MoviePlayer::setBackgroundColor(qint32 bgr) {
    const auto value = quint32(bgr);
    background_ = QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
    shownFrame_ = QPixmap();
    update();
}

void MoviePlayer::gotoFrame(int frame) {
    stepTimer_->stop();
    if (!movie_)
        return;
    int index = std::max(frame, 1) - 1;
    if (frameCount_ > 0)
        index = std::min(index, frameCount_ - 1);
    showFrame(index);
}

void MoviePlayer::play() {
    if (!movie_ || stepTimer_->isActive())
        return;
    stepTimer_->start(frameDelayMs(movie_->nextFrameDelay()));
}

bool MoviePlayer::isPlaying() const {
    return stepTimer_->isActive();
}

int MoviePlayer::currentFrame() const {
    return movie_ ? movie_->currentFrameNumber() + 1 : 0;
}

bool MoviePlayer::hasMovie() const {
    return movie_ != nullptr;
}

void MoviePlayer::showFrame(int index) {
    // Animated formats are read forward only; going back means starting again from frame 0.
    if (index < movie_->currentFrameNumber())
        movie_->jumpToFrame(0);
    while (movie_->currentFrameNumber() < index) {
        const int before = movie_->currentFrameNumber();
        movie_->jumpToNextFrame();
        if (movie_->currentFrameNumber() != before + 1)
            break; // the file ends earlier than it said, or broke: stay on the last good frame
    }
}

void MoviePlayer::advance() {
    if (!movie_)
        return;
    const int before = movie_->currentFrameNumber();
    const bool last = frameCount_ > 0 && before + 1 >= frameCount_;
    if (!last) {
        movie_->jumpToNextFrame();
        if (movie_->currentFrameNumber() == before + 1) {
            stepTimer_->start(frameDelayMs(movie_->nextFrameDelay()));
            return;
        }
    }
    rest();
}

void MoviePlayer::rest() {
    stepTimer_->stop();
    if (movie_)
        showFrame(0);
}

void MoviePlayer::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (!movie_) {
        painter.fillRect(rect(), background_);
        return;
    }
    const QPixmap frame = shownFrame();
    if (frame.isNull() || width() <= 0 || height() <= 0) {
        painter.fillRect(rect(), background_);
        return;
    }
    // Scaled to fit whole, keeping its proportions, centred on the background colour, which fills
    // only what the frame leaves: on a whiteboard the frame covers a million pixels.
    const QSize fitted = frame.size().scaled(size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), fitted);
    target.moveCenter(rect().center());
    for (const QRect &band : QRegion(rect()).subtracted(target))
        painter.fillRect(band, background_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, frame);
}

QPixmap MoviePlayer::shownFrame() {
    // The frames come with an alpha channel (the parts a frame leaves unchanged are transparent in
    // the file); drawn scaled, a frame already laid on the background needs no blending. Made once a
    // frame, not at every paint.
    const int number = movie_->currentFrameNumber();
    if (shownFrame_.isNull() || shownFrameNumber_ != number) {
        const QPixmap frame = movie_->currentPixmap();
        if (frame.hasAlphaChannel()) {
            QImage laid(frame.size(), QImage::Format_RGB32);
            laid.fill(background_);
            QPainter(&laid).drawPixmap(0, 0, frame);
            shownFrame_ = QPixmap::fromImage(std::move(laid));
        } else {
            shownFrame_ = frame;
        }
        shownFrameNumber_ = number;
    }
    return shownFrame_;
}

} // namespace ingranix
