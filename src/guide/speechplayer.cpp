#include "guide/speechplayer.h"

#include "guide/guidevoice.h"
#include "guide/tween.h"

#include <cmath>

namespace ingranix::guide {

namespace {

// A child reads about this fast; no sentence stays less than the shortest time.
constexpr int readingMsPerChar = 60;
constexpr int shortestReadingMs = 1500;

} // namespace

SpeechPlayer::SpeechPlayer(GuideVoice *voice, QObject *parent) : QObject(parent), voice_(voice) {}

int SpeechPlayer::deadlineMs(int estimateMs) {
    // Real voices differ in pace; half as long again and a second of slack covers them.
    return estimateMs + estimateMs / 2 + 1000;
}

int SpeechPlayer::readingMs(const QString &shown) {
    // Runs of blanks (the scripts' pauses) take no reading.
    const qsizetype letters = std::min<qsizetype>(shown.simplified().size(), 100000);
    return std::max(shortestReadingMs, int(letters) * readingMsPerChar);
}

bool SpeechPlayer::hasVoice() const {
    return voice_ && voice_->isAvailable() && !voiceMuted_;
}

bool SpeechPlayer::voiceInUse() const {
    // Until the desktop has said whether a reader runs, the balloon speaks alone.
    return hasVoice() && (!readerProbe_ || readerProbe_() == Reader::Absent);
}

void SpeechPlayer::start(const QString &text, qint64 now) {
    cut();
    lingerEnd_.reset();
    parts_ = speech::parse(text);
    partIndex_ = 0;
    whole_ = speech::displayText(text);
    spokenSoFar_.clear();
    setShown(QString());
    startPart(now);
}

void SpeechPlayer::cut() {
    // A sentence the voice has begun ends by itself while a reader runs: stopping it would
    // silence the reader too.
    if (step_ == Step::Voice && voice_ && (!readerProbe_ || readerProbe_() != Reader::Running))
        voice_->stop();
    step_ = Step::None;
}

void SpeechPlayer::clearBalloon() {
    lingerEnd_.reset();
    whole_.clear();
    setShown(QString());
}

void SpeechPlayer::startPart(qint64 now) {
    if (partIndex_ >= parts_.size()) {
        // The whole sentence stays up long enough to be read before anything takes it down.
        const qint64 left = shown_.isEmpty() ? 0 : wholeSince_ + readingMs(shown_) - now;
        if (left > 0) {
            step_ = Step::Holding;
            stepEnd_ = now + left;
            return;
        }
        finish(now);
        return;
    }
    const speech::Part &part = parts_.at(partIndex_);
    if (part.kind == speech::Part::Pause) {
        step_ = Step::Pause;
        stepEnd_ = now + part.pauseMs;
        return;
    }
    wordsStart_ = now;
    wordsEstimate_ = speech::estimateMs(part.text);
    if (voiceInUse()) {
        step_ = Step::Voice;
        stepEnd_ = now + deadlineMs(wordsEstimate_);
        voice_->say(part.text.trimmed()); // last: a voice may answer at once
    } else {
        step_ = Step::Words;
        stepEnd_ = now + wordsEstimate_;
    }
}

void SpeechPlayer::endStep(qint64 now) {
    switch (step_) {
    case Step::None:
        break;
    case Step::Holding:
        finish(now);
        break;
    case Step::Voice:
        // The voice let the deadline pass: stop it and go on without it.
        cut();
        if (++voiceMisses_ >= voiceMissesBeforeMute)
            voiceMuted_ = true;
        endWords(now);
        break;
    case Step::Words:
        endWords(now);
        break;
    case Step::Pause:
        ++partIndex_;
        startPart(now);
        break;
    }
}

void SpeechPlayer::finish(qint64 now) {
    step_ = Step::None;
    if (!shown_.isEmpty())
        lingerEnd_ = now + lingerMs;
    emit finished();
}

void SpeechPlayer::endWords(qint64 now) {
    speech::appendShown(spokenSoFar_, parts_.value(partIndex_).text);
    setShown(spokenSoFar_.trimmed());
    wholeSince_ = now;
    ++partIndex_;
    startPart(now);
}

void SpeechPlayer::voiceFinished(qint64 now) {
    if (step_ != Step::Voice)
        return;
    voiceMisses_ = 0;
    endWords(now);
}

void SpeechPlayer::advance(qint64 now) {
    // Every step lasts a while, so each round moves on by a part at least.
    while (step_ != Step::None && now >= stepEnd_)
        endStep(now);
    if (isTalking())
        showWordsSoFar(now);
    if (step_ == Step::None && lingerEnd_ && now >= *lingerEnd_)
        clearBalloon();
}

void SpeechPlayer::showWordsSoFar(qint64 now) {
    // The balloon follows the voice word by word, by the estimated pace.
    const QString words = parts_.value(partIndex_).text;
    const double share = progress(now, wordsStart_, wordsEstimate_);
    qsizetype cut = qsizetype(std::floor(share * double(words.size())));
    while (cut < words.size() && cut > 0 && !words.at(cut).isSpace())
        ++cut;
    QString shown = spokenSoFar_;
    speech::appendShown(shown, words.left(cut));
    setShown(shown.trimmed());
}

std::optional<qint64> SpeechPlayer::wakeAt(qint64 now) const {
    if (step_ == Step::None)
        return lingerEnd_;
    if (isTalking())
        return std::min(stepEnd_, nextSample(now, wordsStart_, stepMs));
    return stepEnd_;
}

double SpeechPlayer::mouthAt(qint64 now) const {
    if (!isTalking())
        return 0;
    const double since = double(sampled(now, wordsStart_, stepMs) - wordsStart_);
    return 0.15 + 0.6 * std::abs(std::sin(since * M_PI / 130.0));
}

void SpeechPlayer::setShown(const QString &text) {
    if (text == shown_)
        return;
    shown_ = text;
    emit shownChanged(text);
}

} // namespace ingranix::guide
