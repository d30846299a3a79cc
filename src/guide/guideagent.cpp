#include "guide/guideagent.h"

#include "guide/guidevoice.h"
#include "guide/guidewindows.h"
#include "guide/screenreader.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace ingranix {

namespace {

constexpr int fadeInMs = 300;
constexpr int fadeOutMs = 250;
constexpr int minGlideMs = 150;
constexpr int maxGlideMs = 900;
constexpr int returnToRestMs = 200;
constexpr int lingerMs = 1500;
// A child reads about this fast; no sentence stays less than the shortest time.
constexpr int readingMsPerChar = 60;
constexpr int shortestReadingMs = 1500;
// Poses change 15 times a second, which a cartoon figure needs and no more: every frame shown
// costs a round of requests to the display server. A glide moves the whole window, which the eye
// follows closely, so it ticks faster.
constexpr int tickMs = 66;
constexpr int glideTickMs = 40;
// While nothing moves but the request is not over yet, the guide still looks in now and then.
constexpr int restingTickMs = 1000;

QLocale localeForLanguageId(int languageId) {
    // The few Windows language ids a character might be given; Italian is the game's own.
    switch (languageId) {
    case 0x0410:
        return QLocale(QLocale::Italian, QLocale::Italy);
    case 0x0409:
        return QLocale(QLocale::English, QLocale::UnitedStates);
    case 0x0809:
        return QLocale(QLocale::English, QLocale::UnitedKingdom);
    case 0x040C:
        return QLocale(QLocale::French, QLocale::France);
    case 0x0407:
        return QLocale(QLocale::German, QLocale::Germany);
    case 0x0C0A:
        return QLocale(QLocale::Spanish, QLocale::Spain);
    default:
        return QLocale(QLocale::Italian, QLocale::Italy);
    }
}

double progress(qint64 now, qint64 start, int durationMs) {
    if (durationMs <= 0)
        return 1;
    return std::clamp(double(now - start) / durationMs, 0.0, 1.0);
}

double easeInOut(double t) {
    return t * t * (3 - 2 * t);
}

// Motion is sampled on a fixed grid of ticks from its start, whatever the timer's jitter, so an
// animation played again shows the very same poses and the figure's drawn frames can be reused.
qint64 sampled(qint64 now, qint64 start) {
    return now <= start ? now : start + (now - start) / tickMs * tickMs;
}

} // namespace

GuideAgent::GuideAgent(QObject *parent) : GuideAgent(std::make_unique<TextToSpeechVoice>(), parent) {
    watchesScreenReader_ = true;
}

GuideAgent::GuideAgent(std::unique_ptr<GuideVoice> voice, QObject *parent)
    : QObject(parent), figure_(std::make_unique<FigureWindow>()),
      balloon_(std::make_unique<BalloonWindow>()) {
    clock_.start();
    stepTimer_.setSingleShot(true);
    stepTimer_.setTimerType(Qt::PreciseTimer); // requests last what they promise, not 5% less
    lingerTimer_.setSingleShot(true);
    tickTimer_.setInterval(tickMs);
    tickTimer_.setTimerType(Qt::PreciseTimer); // an even beat keeps the sampled poses even
    connect(&stepTimer_, &QTimer::timeout, this, &GuideAgent::onStepTimeout);
    connect(&lingerTimer_, &QTimer::timeout, this, &GuideAgent::hideBalloon);
    connect(&tickTimer_, &QTimer::timeout, this, &GuideAgent::onTick);
    if (voice) {
        voice_ = voice.release();
        voice_->setParent(this);
        connect(voice_, &GuideVoice::finished, this, &GuideAgent::onVoiceFinished);
        connect(voice_, &GuideVoice::availabilityChanged, this, &GuideAgent::voiceAvailabilityChanged);
    }
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
    stepTimer_.stop();
    tickTimer_.stop();
    lingerTimer_.stop();
    if (voice_ && !screenReader_)
        voice_->stop();
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
    enqueue({Kind::MoveTo, QString(), QPoint(x, y)});
}
void GuideAgent::show() {
    enqueue({Kind::Show, QString(), QPoint()});
}
void GuideAgent::hide() {
    enqueue({Kind::Hide, QString(), QPoint()});
}
void GuideAgent::speak(const QString &text) {
    enqueue({Kind::Speak, text, QPoint()});
}
void GuideAgent::play(const QString &animation) {
    enqueue({Kind::Play, animation, QPoint()});
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
    return balloon_->isVisible() ? balloonShown_ : QString();
}

bool GuideAgent::hasVoice() const {
    return voice_ && voice_->isAvailable() && !voiceMuted_;
}

bool GuideAgent::voiceInUse() const {
    // Until the desktop has said whether a reader runs, the balloon speaks alone.
    const bool known = !screenReaderWatch_ || screenReaderWatch_->hasSettled();
    return hasVoice() && !screenReader_ && known;
}

void GuideAgent::setScreenReaderRunning(bool running) {
    // A sentence the voice has begun ends by itself: stopping it would silence the reader too.
    screenReader_ = running;
}

int GuideAgent::readingMs(const QString &shown) {
    // Runs of blanks (the scripts' pauses) take no reading.
    const qsizetype letters = std::min<qsizetype>(shown.simplified().size(), 100000);
    return std::max(shortestReadingMs, int(letters) * readingMsPerChar);
}

QWidget *GuideAgent::figureWindow() const {
    return figure_.get();
}
QWidget *GuideAgent::balloonWindow() const {
    return balloon_.get();
}

int GuideAgent::speechDeadlineMs(int estimateMs) {
    // Real voices differ in pace; half as long again and a second of slack covers them.
    return estimateMs + estimateMs / 2 + 1000;
}

void GuideAgent::enqueue(Request request) {
    // A player hammering Enter on an empty box must not line up an hour of warnings.
    if (queue_.size() >= maxWaitingRequests)
        return;
    queue_.append(std::move(request));
    if (!current_ && !startScheduled_) {
        startScheduled_ = true;
        QMetaObject::invokeMethod(this, &GuideAgent::startNext, Qt::QueuedConnection);
    }
}

void GuideAgent::startNext() {
    startScheduled_ = false;
    if (current_ || queue_.isEmpty())
        return;
    current_ = queue_.takeFirst();
    const Request request = *current_;
    emit requestStarted(kindName(request.kind), detailOf(request));
    switch (request.kind) {
    case Kind::Show:
        startShow();
        break;
    case Kind::Hide:
        startHide();
        break;
    case Kind::MoveTo:
        startMoveTo(request.target);
        break;
    case Kind::Speak:
        startSpeak(request.text);
        break;
    case Kind::Play:
        startPlay(request.text);
        break;
    }
}

void GuideAgent::finishCurrent() {
    if (!current_)
        return;
    stepTimer_.stop();
    const Request done = *current_;
    current_.reset();
    if (done.kind == Kind::Speak) {
        speakingWords_ = false;
        if (!balloonShown_.isEmpty())
            lingerTimer_.start(lingerMs);
    }
    emit requestFinished(kindName(done.kind), detailOf(done));
    if (current_) // a slot connected above may have queued and started more
        return;
    if (queue_.isEmpty()) {
        emit idle();
    } else if (!startScheduled_) {
        startScheduled_ = true;
        QMetaObject::invokeMethod(this, &GuideAgent::startNext, Qt::QueuedConnection);
    }
}

void GuideAgent::stopAll() {
    const bool wasBusy = isBusy();
    queue_.clear();
    if (current_) {
        cutCurrent();
        const Request cut = *current_;
        current_.reset();
        emit requestFinished(kindName(cut.kind), detailOf(cut));
    }
    hideBalloon();
    if (wasBusy && !current_ && queue_.isEmpty())
        emit idle();
}

void GuideAgent::cutCurrent() {
    stepTimer_.stop();
    switch (current_->kind) {
    case Kind::Speak:
        if (waitingForVoice_ && voice_ && !screenReader_)
            voice_->stop();
        waitingForVoice_ = false;
        holdingWhole_ = false;
        speakingWords_ = false;
        break;
    case Kind::Play:
        if (frameIndex_ >= 0) {
            returnFrom_ = currentBasePose(clock_.elapsed());
            returningToRest_ = true;
            returnStart_ = clock_.elapsed();
            frameIndex_ = -1;
            animationName_.clear();
            ensureTicking();
        }
        break;
    case Kind::Show:
    case Kind::Hide:
    case Kind::MoveTo:
        // Requests that change where and whether the guide stands take effect at once, so that what
        // follows a StopAll starts from a settled guide.
        endMotion();
        break;
    }
}

void GuideAgent::onStepTimeout() {
    if (!current_)
        return;
    switch (current_->kind) {
    case Kind::Speak:
        if (holdingWhole_) {
            holdingWhole_ = false;
            finishCurrent();
            break;
        }
        if (waitingForVoice_) {
            // The voice let the deadline pass: stop it and go on without it.
            waitingForVoice_ = false;
            if (voice_ && !screenReader_)
                voice_->stop();
            if (++voiceMisses_ >= voiceMissesBeforeMute)
                voiceMuted_ = true;
        }
        endSpeechPart();
        break;
    case Kind::Play:
        returnFrom_ = currentBasePose(clock_.elapsed());
        returningToRest_ = true;
        returnStart_ = clock_.elapsed();
        frameIndex_ = -1;
        animationName_.clear();
        ensureTicking();
        finishCurrent();
        break;
    case Kind::Show:
    case Kind::Hide:
    case Kind::MoveTo:
        endMotion();
        finishCurrent();
        break;
    }
}

void GuideAgent::onVoiceFinished() {
    if (!current_ || current_->kind != Kind::Speak || !waitingForVoice_)
        return;
    waitingForVoice_ = false;
    voiceMisses_ = 0;
    stepTimer_.stop();
    endSpeechPart();
}

void GuideAgent::startShow() {
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
    fading_ = true;
    fadeFrom_ = 0;
    fadeTo_ = 1;
    motionStart_ = clock_.elapsed();
    motionMs_ = fadeInMs;
    ensureTicking();
    stepTimer_.start(fadeInMs);
}

void GuideAgent::startHide() {
    lingerTimer_.stop();
    hideBalloon();
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
    fading_ = true;
    fadeFrom_ = figure_->fade();
    fadeTo_ = 0;
    motionStart_ = clock_.elapsed();
    motionMs_ = fadeOutMs;
    ensureTicking();
    stepTimer_.start(fadeOutMs);
}

void GuideAgent::startMoveTo(QPoint target) {
    if (!shown_ || target == position_) {
        position_ = target;
        placeWindows();
        finishCurrent();
        return;
    }
    moving_ = true;
    moveFrom_ = position_;
    moveTo_ = target;
    const double distance =
        std::hypot(double(target.x() - position_.x()), double(target.y() - position_.y()));
    motionStart_ = clock_.elapsed();
    motionMs_ = std::clamp(int(distance * 1.2), minGlideMs, maxGlideMs);
    ensureTicking();
    stepTimer_.start(motionMs_);
}

void GuideAgent::endMotion() {
    if (moving_) {
        moving_ = false;
        position_ = moveTo_;
        placeWindows();
    }
    if (fading_) {
        fading_ = false;
        figure_->setFade(fadeTo_);
        if (fadeTo_ <= 0)
            figure_->hide();
    }
    // A Show or Hide cut short still ends in its own state.
    if (current_ && current_->kind == Kind::Hide && !shown_)
        figure_->hide();
}

void GuideAgent::startPlay(const QString &name) {
    const auto it = model_.animations.constFind(name);
    if (!shown_ || !hasFigure_ || it == model_.animations.cend()) {
        // Nothing to see: hidden, no figure, or a name the character does not know.
        finishCurrent();
        return;
    }
    animationName_ = name;
    frames_ = it->frames;
    frameIndex_ = 0;
    frameStart_ = clock_.elapsed();
    frameFrom_ = currentBasePose(clock_.elapsed());
    returningToRest_ = false;
    ensureTicking();
    stepTimer_.start(it->durationMs());
}

void GuideAgent::startSpeak(const QString &text) {
    lingerTimer_.stop();
    if (!shown_) {
        // Unseen and unheard; it still passes through the queue in its turn.
        finishCurrent();
        return;
    }
    parts_ = speech::parse(text);
    partIndex_ = 0;
    wholeText_ = speech::displayText(text);
    spokenSoFar_.clear();
    setBalloon(QString());
    startSpeechPart();
}

void GuideAgent::startSpeechPart() {
    if (partIndex_ >= parts_.size()) {
        // The whole sentence stays up long enough to be read before anything takes it down.
        const qint64 left =
            balloonShown_.isEmpty() ? 0 : wholeSince_ + readingMs(balloonShown_) - clock_.elapsed();
        if (left > 0) {
            holdingWhole_ = true;
            speakingWords_ = false;
            stepTimer_.start(int(left));
            return;
        }
        finishCurrent();
        return;
    }
    const speech::Part &part = parts_.at(partIndex_);
    if (part.kind == speech::Part::Pause) {
        speakingWords_ = false;
        stepTimer_.start(part.pauseMs);
        return;
    }
    speakingWords_ = true;
    wordsStart_ = clock_.elapsed();
    wordsEstimate_ = speech::estimateMs(part.text);
    ensureTicking();
    if (voiceInUse()) {
        waitingForVoice_ = true;
        stepTimer_.start(speechDeadlineMs(wordsEstimate_));
        voice_->say(part.text.trimmed());
    } else {
        stepTimer_.start(wordsEstimate_);
    }
}

void GuideAgent::endSpeechPart() {
    const speech::Part &part = parts_.at(partIndex_);
    if (part.kind == speech::Part::Words) {
        speech::appendShown(spokenSoFar_, part.text);
        speakingWords_ = false;
        setBalloon(spokenSoFar_.trimmed());
        wholeSince_ = clock_.elapsed();
    }
    ++partIndex_;
    startSpeechPart();
}

void GuideAgent::setBalloon(const QString &shown) {
    const bool visible = shown_ && !shown.isEmpty();
    balloon_->setText(shown, wholeText_);
    if (visible) {
        if (!balloon_->isVisible()) {
            balloon_->placeBeside(QRect(position_, figureSize()));
            balloon_->show();
        }
    } else {
        balloon_->hide();
    }
    const QString now = visible ? shown : QString();
    if (now != balloonShown_) {
        balloonShown_ = now;
        emit balloonTextChanged(now);
    }
}

void GuideAgent::hideBalloon() {
    lingerTimer_.stop();
    wholeText_.clear();
    setBalloon(QString());
}

void GuideAgent::placeWindows() {
    figure_->move(position_);
    if (balloon_->isVisible())
        balloon_->placeBeside(QRect(position_, figureSize()));
}

void GuideAgent::ensureTicking() {
    // The timer may be sleeping through a still pose: whatever starts now wakes it.
    const int interval = moving_ ? glideTickMs : tickMs;
    if (!tickTimer_.isActive() || tickTimer_.interval() != interval)
        tickTimer_.start(interval);
}

character::Pose GuideAgent::currentBasePose(qint64 now) const {
    if (frameIndex_ >= 0 && frameIndex_ < frames_.size()) {
        const character::Frame &frame = frames_.at(frameIndex_);
        return character::blend(
            frameFrom_, frame.pose,
            easeInOut(progress(sampled(now, frameStart_), frameStart_, frame.durationMs)));
    }
    if (returningToRest_)
        return character::blend(
            returnFrom_, model_.rest,
            easeInOut(progress(sampled(now, returnStart_), returnStart_, returnToRestMs)));
    return model_.rest;
}

void GuideAgent::onTick() {
    const qint64 now = clock_.elapsed();

    // Step through the animation's frames; the request itself ends on stepTimer_.
    while (frameIndex_ >= 0 && frameIndex_ < frames_.size() &&
           now - frameStart_ >= frames_.at(frameIndex_).durationMs) {
        frameFrom_ = frames_.at(frameIndex_).pose;
        frameStart_ += frames_.at(frameIndex_).durationMs;
        ++frameIndex_;
    }
    if (frameIndex_ >= frames_.size() && frameIndex_ >= 0) {
        frameIndex_ = int(frames_.size()) - 1; // hold the last pose until the request ends
        frameStart_ = now - frames_.back().durationMs;
    }
    if (returningToRest_ && now - returnStart_ >= returnToRestMs)
        returningToRest_ = false;

    character::Pose pose = currentBasePose(now);
    const bool talking = speakingWords_ && shown_;
    if (talking) {
        const double open =
            0.15 + 0.6 * std::abs(std::sin(double(sampled(now, wordsStart_) - wordsStart_) * M_PI / 130.0));
        pose.mouth = std::max(pose.mouth, open);
        // The balloon follows the voice word by word, by the estimated pace.
        const QString &words = parts_.at(partIndex_).text;
        const double share = progress(now, wordsStart_, wordsEstimate_);
        qsizetype cut = qsizetype(std::floor(share * double(words.size())));
        while (cut < words.size() && cut > 0 && !words.at(cut).isSpace())
            ++cut;
        QString shown = spokenSoFar_;
        speech::appendShown(shown, words.left(cut));
        setBalloon(shown.trimmed());
    }
    if (hasFigure_)
        figure_->setPose(pose);

    if (moving_) {
        const double t = easeInOut(progress(now, motionStart_, motionMs_));
        position_ = QPoint(int(std::lround(moveFrom_.x() + (moveTo_.x() - moveFrom_.x()) * t)),
                           int(std::lround(moveFrom_.y() + (moveTo_.y() - moveFrom_.y()) * t)));
        placeWindows();
    }
    if (fading_)
        figure_->setFade(fadeFrom_ + (fadeTo_ - fadeFrom_) * progress(now, motionStart_, motionMs_));

    const bool animating = frameIndex_ >= 0 || returningToRest_;
    if (!animating && !talking && !moving_ && !fading_) {
        tickTimer_.stop(); // at rest the guide costs nothing
        return;
    }
    // A pose held still (a frame that holds its pose, or the last one until the request ends)
    // needs no ticks until the next frame begins; anything else that starts wakes the timer.
    int nextMs = moving_ ? glideTickMs : tickMs;
    if (frameIndex_ >= 0 && !returningToRest_ && !talking && !moving_ && !fading_) {
        const character::Frame &frame = frames_.at(frameIndex_);
        const qint64 left = frameStart_ + frame.durationMs - now;
        if (left <= 0 && frameIndex_ == frames_.size() - 1)
            nextMs = restingTickMs;
        else if (frame.pose == frameFrom_)
            nextMs = int(std::clamp<qint64>(left, tickMs, restingTickMs));
    }
    if (tickTimer_.interval() != nextMs)
        tickTimer_.start(nextMs);
}

QString GuideAgent::kindName(Kind kind) {
    switch (kind) {
    case Kind::Show:
        return QStringLiteral("show");
    case Kind::Hide:
        return QStringLiteral("hide");
    case Kind::MoveTo:
        return QStringLiteral("moveTo");
    case Kind::Speak:
        return QStringLiteral("speak");
    case Kind::Play:
        return QStringLiteral("play");
    }
    return QString();
}

QString GuideAgent::detailOf(const Request &request) {
    if (request.kind == Kind::MoveTo)
        return QStringLiteral("%1,%2").arg(request.target.x()).arg(request.target.y());
    return request.text;
}

} // namespace ingranix
