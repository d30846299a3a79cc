#include "guide/guideagent.h"

#include "guide/guidevoice.h"
#include "guide/guidewindows.h"
#include "guide/screenreader.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace ingranix {

using guide::Easing;

namespace {

constexpr int fadeInMs = 300;
constexpr int fadeOutMs = 250;
constexpr int minGlideMs = 150;
constexpr int maxGlideMs = 900;
// A glide moves the whole window, which the eye follows closely, so it is drawn more often than a
// pose; a fade changes no more often than a pose.
constexpr int glideStepMs = 40;
constexpr int fadeStepMs = guide::PoseTimeline::stepMs;

std::optional<qint64> earliest(std::optional<qint64> a, std::optional<qint64> b) {
    if (!a || !b)
        return a ? a : b;
    return std::min(*a, *b);
}

} // namespace

GuideAgent::GuideAgent(QObject *parent) : GuideAgent(std::make_unique<TextToSpeechVoice>(), parent) {
    watchesScreenReader_ = true;
}

GuideAgent::GuideAgent(std::unique_ptr<GuideVoice> voice, QObject *parent,
                       std::unique_ptr<guide::WakeClock> clock)
    : QObject(parent), figure_(std::make_unique<FigureWindow>()), balloon_(std::make_unique<BalloonWindow>()),
      clock_(clock ? std::move(clock) : std::make_unique<guide::TimerClock>()) {
    connect(clock_.get(), &guide::WakeClock::alarm, this, &GuideAgent::update);
    if (voice) {
        voice_ = voice.release();
        voice_->setParent(this);
        connect(voice_, &GuideVoice::finished, this, [this] {
            speech_->voiceFinished(clock_->now());
            update();
        });
        connect(voice_, &GuideVoice::availabilityChanged, this, &GuideAgent::voiceAvailabilityChanged);
    }
    speech_ = std::make_unique<guide::SpeechPlayer>(voice_);
    speech_->setReaderProbe([this] {
        if (screenReader_)
            return guide::SpeechPlayer::Reader::Running;
        if (screenReaderWatch_ && !screenReaderWatch_->hasSettled())
            return guide::SpeechPlayer::Reader::Unknown;
        return guide::SpeechPlayer::Reader::Absent;
    });
    connect(speech_.get(), &guide::SpeechPlayer::shownChanged, this, &GuideAgent::showBalloon);
    connect(speech_.get(), &guide::SpeechPlayer::finished, this, &GuideAgent::finishCurrent);
    font_.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font_.setPointSize(12);

    // The window hints ask the system not to activate the guide; where it does anyway (some window
    // managers, the offscreen platform), the guide hands the focus straight back.
    gameWindow_ = QGuiApplication::focusWindow();
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
        if (window && window != figure_->windowHandle() && window != balloon_->windowHandle())
            gameWindow_ = window;
    });
    figure_->installEventFilter(this);
    balloon_->installEventFilter(this);
    balloon_->setBalloonFont(shownFont());
}

GuideAgent::~GuideAgent() {
    clock_->disconnect(this);
    speech_->disconnect(this);
    if (voice_) {
        voice_->disconnect(this);
        if (!screenReader_)
            voice_->stop();
    }
}

bool GuideAgent::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::WindowActivate && (watched == figure_.get() || watched == balloon_.get()) &&
        gameWindow_ && gameWindow_->isVisible())
        gameWindow_->requestActivate();
    return QObject::eventFilter(watched, event);
}

bool GuideAgent::load(const QString &, const QString &filePath) {
    character::Model model;
    hasFigure_ = character::loadFile(filePath, model);
    model_ = hasFigure_ ? model : character::Model{};
    timeline_.setRest(model_.rest);
    if (hasFigure_) {
        figure_->resize(figureSize());
        figure_->setPose(model_.rest);
        if (shown_)
            figure_->show();
    } else {
        figure_->hide();
    }
    placeWindows();
    return hasFigure_;
}

void GuideAgent::setLanguageId(int languageId) {
    // Asked now, with the voice, rather than as the window is built: the answer comes meanwhile.
    if (watchesScreenReader_ && !screenReaderWatch_) {
        screenReaderWatch_ = new ScreenReaderWatch(this);
        connect(screenReaderWatch_, &ScreenReaderWatch::runningChanged, this,
                &GuideAgent::setScreenReaderRunning);
    }
    if (voice_)
        voice_->setLocale(localeForLanguageId(languageId));
}

void GuideAgent::setBalloonFont(const QString &family, int pointSize) {
    // Where Arial is missing its metric twin keeps the balloon's lines as they were meant.
    font_.setFamilies({family, QStringLiteral("Liberation Sans")});
    font_.setPointSize(std::clamp(pointSize, 6, 48));
    balloon_->setBalloonFont(shownFont());
}

void GuideAgent::moveTo(qint16 x, qint16 y) {
    enqueue({Request::Kind::MoveTo, QString(), QPoint(x, y)});
}
void GuideAgent::show() {
    enqueue({Request::Kind::Show, QString(), QPoint()});
}
void GuideAgent::hide() {
    enqueue({Request::Kind::Hide, QString(), QPoint()});
}
void GuideAgent::speak(const QString &text) {
    enqueue({Request::Kind::Speak, text, QPoint()});
}
void GuideAgent::play(const QString &animation) {
    enqueue({Request::Kind::Play, animation, QPoint()});
}

qint16 GuideAgent::width() const {
    return qint16(figureSize().width());
}
qint16 GuideAgent::height() const {
    return qint16(figureSize().height());
}

QSize GuideAgent::figureSize() const {
    return QSize(int(std::lround(model_.width * scale_)), int(std::lround(model_.height * scale_)));
}

QFont GuideAgent::shownFont() const {
    QFont font = font_;
    font.setPointSizeF(font_.pointSizeF() * scale_);
    return font;
}

void GuideAgent::setScale(double scale) {
    if (scale <= 0 || scale == scale_)
        return;
    scale_ = scale;
    balloon_->setBalloonFont(shownFont());
    if (hasFigure_)
        figure_->resize(figureSize());
    placeWindows();
}

bool GuideAgent::isShownOnScreen() const {
    return hasFigure_ ? figure_->isVisible() : shown_;
}

QString GuideAgent::balloonText() const {
    return balloon_->isVisible() ? speech_->shown() : QString();
}

bool GuideAgent::hasVoice() const {
    return speech_->hasVoice();
}

void GuideAgent::setScreenReaderRunning(bool running) {
    // A sentence the voice has begun ends by itself: stopping it would silence the reader too.
    screenReader_ = running;
}

QWidget *GuideAgent::figureWindow() const {
    return figure_.get();
}
QWidget *GuideAgent::balloonWindow() const {
    return balloon_.get();
}

void GuideAgent::enqueue(Request request) {
    if (queue_.add(std::move(request)) && !queue_.current())
        scheduleNext();
}

void GuideAgent::scheduleNext() {
    // Every call only queues its request: the caller never waits, not even for the first.
    if (startScheduled_)
        return;
    startScheduled_ = true;
    QMetaObject::invokeMethod(this, &GuideAgent::startNext, Qt::QueuedConnection);
}

void GuideAgent::startNext() {
    startScheduled_ = false;
    const Request *next = queue_.startNext();
    if (!next)
        return;
    const Request request = *next;
    emit requestStarted(request.kindName(), request.detail());
    const qint64 now = clock_->now();
    switch (request.kind) {
    case Request::Kind::Show:
        startShow(now);
        break;
    case Request::Kind::Hide:
        startHide(now);
        break;
    case Request::Kind::MoveTo:
        startMoveTo(request.target, now);
        break;
    case Request::Kind::Speak:
        startSpeak(request.text, now);
        break;
    case Request::Kind::Play:
        startPlay(request.text, now);
        break;
    }
    update();
}

void GuideAgent::finishCurrent() {
    requestEnd_.reset();
    if (!queue_.endCurrent())
        return;
    if (queue_.hasWaiting())
        scheduleNext();
    else
        emit idle();
}

void GuideAgent::stopAll() {
    const bool wasBusy = isBusy();
    queue_.dropWaiting();
    if (queue_.current()) {
        cutCurrent();
        queue_.endCurrent();
    }
    speech_->clearBalloon();
    update();
    if (wasBusy)
        emit idle();
}

void GuideAgent::cutCurrent() {
    requestEnd_.reset();
    switch (queue_.current()->kind) {
    case Request::Kind::Speak:
        speech_->cut();
        break;
    case Request::Kind::Play:
        timeline_.cutToRest(clock_->now());
        break;
    case Request::Kind::Show:
    case Request::Kind::Hide:
    case Request::Kind::MoveTo:
        // Requests that change where and whether the guide stands take effect at once, so that what
        // follows a StopAll starts from a settled guide.
        endMotion();
        break;
    }
}

void GuideAgent::startShow(qint64 now) {
    if (shown_) {
        finishCurrent();
        return;
    }
    shown_ = true;
    placeWindows();
    if (!hasFigure_) {
        finishCurrent();
        return;
    }
    figure_->setFade(0);
    figure_->show();
    fade_.emplace(0.0, 1.0, now, fadeInMs, Easing::Linear);
    requestEnd_ = fade_->end();
}

void GuideAgent::startHide(qint64 now) {
    speech_->clearBalloon();
    if (!shown_) {
        finishCurrent();
        return;
    }
    shown_ = false;
    if (!hasFigure_ || !figure_->isVisible()) {
        figure_->hide();
        finishCurrent();
        return;
    }
    fade_.emplace(figure_->fade(), 0.0, now, fadeOutMs, Easing::Linear);
    requestEnd_ = fade_->end();
}

void GuideAgent::startMoveTo(QPoint target, qint64 now) {
    if (!shown_ || target == position_) {
        position_ = target;
        placeWindows();
        finishCurrent();
        return;
    }
    const double distance =
        std::hypot(double(target.x() - position_.x()), double(target.y() - position_.y()));
    glide_.emplace(QPointF(position_), QPointF(target), now,
                   std::clamp(int(distance * 1.2), minGlideMs, maxGlideMs), Easing::InOut);
    requestEnd_ = glide_->end();
}

void GuideAgent::endMotion() {
    if (glide_) {
        position_ = glide_->to().toPoint();
        glide_.reset();
        placeWindows();
    }
    if (fade_) {
        figure_->setFade(fade_->to());
        if (fade_->to() <= 0)
            figure_->hide();
        fade_.reset();
    }
    // A Show or Hide cut short still ends in its own state.
    if (queue_.current() && queue_.current()->kind == Request::Kind::Hide && !shown_)
        figure_->hide();
}

void GuideAgent::startPlay(const QString &name, qint64 now) {
    const auto it = model_.animations.constFind(name);
    if (!shown_ || !hasFigure_ || it == model_.animations.cend()) {
        // Nothing to see: hidden, no figure, or a name the character does not know.
        finishCurrent();
        return;
    }
    timeline_.start(name, it->frames, now);
    requestEnd_ = now + it->durationMs();
}

void GuideAgent::startSpeak(const QString &text, qint64 now) {
    if (!shown_) {
        // Unseen and unheard; it still passes through the queue in its turn.
        finishCurrent();
        return;
    }
    speech_->start(text, now);
}

void GuideAgent::update() {
    const qint64 now = clock_->now();
    speech_->advance(now); // may end the current Speak
    if (requestEnd_ && now >= *requestEnd_) {
        timeline_.cutToRest(now); // a Play: its last pose back to rest
        endMotion();
        finishCurrent();
    }
    if (glide_) {
        const QPointF at = glide_->at(now);
        position_ = QPoint(int(std::lround(at.x())), int(std::lround(at.y())));
        placeWindows();
    }
    if (fade_)
        figure_->setFade(fade_->at(now));
    if (hasFigure_) {
        character::Pose pose = timeline_.poseAt(now);
        if (shown_ && speech_->isTalking())
            pose.mouth = std::max(pose.mouth, speech_->mouthAt(now));
        figure_->setPose(pose);
    }

    // At rest the guide costs nothing: the timer sleeps until something is due.
    std::optional<qint64> wake = earliest(requestEnd_, earliest(speech_->wakeAt(now), timeline_.wakeAt(now)));
    if (glide_)
        wake = earliest(wake, guide::nextSample(now, glide_->start(), glideStepMs));
    if (fade_)
        wake = earliest(wake, guide::nextSample(now, fade_->start(), fadeStepMs));
    clock_->wakeAt(wake);
}

void GuideAgent::showBalloon(const QString &shown) {
    const bool visible = shown_ && !shown.isEmpty();
    balloon_->setText(shown, speech_->wholeText());
    if (visible) {
        if (!balloon_->isVisible()) {
            balloon_->placeBeside(figureOnScreen());
            balloon_->show();
        }
    } else {
        balloon_->hide();
    }
    emit balloonTextChanged(visible ? shown : QString());
}

QRect GuideAgent::figureOnScreen() const {
    // The scripts place the wizard by a screen's edges as if he were of his designed size: zoomed for a
    // whiteboard he would stand partly off the screen, so he is kept wholly on it.
    QRect shown(position_, figureSize());
    const QScreen *screen = QGuiApplication::screenAt(shown.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect room = screen->availableGeometry();
        shown.moveLeft(
            std::clamp(shown.left(), room.left(), std::max(room.left(), room.right() + 1 - shown.width())));
        shown.moveTop(
            std::clamp(shown.top(), room.top(), std::max(room.top(), room.bottom() + 1 - shown.height())));
    }
    return shown;
}

void GuideAgent::placeWindows() {
    const QRect shown = figureOnScreen();
    figure_->move(shown.topLeft());
    if (balloon_->isVisible())
        balloon_->placeBeside(shown);
}

} // namespace ingranix
