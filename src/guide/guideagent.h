#pragma once

#include "guide/characterfile.h"
#include "guide/guidecharacter.h"
#include "guide/posetimeline.h"
#include "guide/requestqueue.h"
#include "guide/speechplayer.h"
#include "guide/tween.h"
#include "guide/wakeclock.h"

#include <QFont>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWindow>

#include <memory>
#include <optional>

namespace ingranix {

class BalloonWindow;
class FigureWindow;
class GuideVoice;
class ScreenReaderWatch;

// The guide on the desktop: a wizard in a window of its own, with a word balloon and a voice.
// Requests wait in a queue and run one after another on timers, so no call ever waits. Speak lasts
// as long as its voice, but never longer than a deadline drawn from the text's length, because a
// speech service without a sound device may accept a text and never report its end; with no voice
// the balloon stays up for the estimated time. While the guide is hidden its requests still pass
// through the queue, but at once and unseen and unheard, so that a later Show replays nothing.
class GuideAgent : public QObject, public GuideCharacter {
    Q_OBJECT
public:
    // Speaks through Qt TextToSpeech once setLanguageId names the language.
    explicit GuideAgent(QObject *parent = nullptr);
    // Speaks through `voice` (none: balloon only), on `clock` (none: the real time). Tests hand in
    // their own voice and clock here.
    explicit GuideAgent(std::unique_ptr<GuideVoice> voice, QObject *parent = nullptr,
                        std::unique_ptr<guide::WakeClock> clock = {});
    ~GuideAgent() override;

    bool load(const QString &id, const QString &filePath) override;
    void setLanguageId(int languageId) override;
    void setBalloonFont(const QString &family, int pointSize) override;
    void moveTo(qint16 x, qint16 y) override;
    void show() override;
    void hide() override;
    void speak(const QString &text) override;
    void play(const QString &animation) override;
    void stopAll() override;
    bool isIdleOnScreen() const override { return isShownOnScreen() && !isBusy(); }
    qint16 width() const override;
    qint16 height() const override;

    // What tests and the window may look at.
    const character::Model &model() const { return model_; }
    bool isShownOnScreen() const;
    QString balloonText() const; // what the balloon shows now; empty when it is not up
    bool isBusy() const { return queue_.isBusy(); }
    int pendingRequests() const { return queue_.pending(); }
    QString currentAnimation() const { return timeline_.name(); }
    // True while a voice for the chosen language is ready and keeps its deadlines.
    bool hasVoice() const;
    // While a screen reader runs, the guide's own voice steps aside: the reader speaks the balloon
    // (a notification), so the player hears every sentence once, and the guide never stops speech
    // (Qt's speech-dispatcher engine stops every client's speech, the reader's too). The guide made
    // with its own voice watches the desktop for a reader; tests set it here.
    void setScreenReaderRunning(bool running);
    // The wizard and his balloon's text this many times their designed size (the window's zoom).
    void setScale(double scale);
    bool screenReaderRunning() const { return screenReader_; }
    QWidget *figureWindow() const;
    QWidget *balloonWindow() const;

    // How long a piece of speech may take before the guide stops waiting for its voice.
    static int speechDeadlineMs(int estimateMs) { return guide::SpeechPlayer::deadlineMs(estimateMs); }
    // How long a whole sentence stays in the balloon before the next one or before it goes.
    static int readingMs(const QString &shown) { return guide::SpeechPlayer::readingMs(shown); }
    static constexpr int maxWaitingRequests = guide::RequestQueue::maxWaiting;

signals:
    // kind: "show", "hide", "moveTo", "speak" or "play"; detail: the text, the name or "x,y".
    void requestStarted(const QString &kind, const QString &detail);
    void idle();
    void balloonTextChanged(const QString &text);
    // The speech engine has answered whether it can speak the chosen language.
    void voiceAvailabilityChanged(bool available);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Request = guide::Request;

    void enqueue(Request request);
    void scheduleNext();
    void startNext();
    void finishCurrent();
    void cutCurrent();
    void update(); // brings every part up to now, draws, and sets the timer for the next change
    void endMotion();

    void startShow(qint64 now);
    void startHide(qint64 now);
    void startMoveTo(QPoint target, qint64 now);
    void startPlay(const QString &name, qint64 now);
    void startSpeak(const QString &text, qint64 now);

    void placeWindows();
    void showBalloon(const QString &shown);

    QSize figureSize() const;     // the model's, at the scale
    QRect figureOnScreen() const; // where the figure shows: at its place, kept on the screen
    QFont shownFont() const;

    std::unique_ptr<FigureWindow> figure_;
    std::unique_ptr<BalloonWindow> balloon_;
    GuideVoice *voice_ = nullptr; // child of this object
    bool watchesScreenReader_ = false;
    ScreenReaderWatch *screenReaderWatch_ = nullptr; // child of this object, made with the language
    bool screenReader_ = false;
    QPointer<QWindow> gameWindow_; // the window that last had the focus, other than ours

    character::Model model_;
    bool hasFigure_ = false;
    QFont font_; // as the game asks it; the balloon's is scaled
    double scale_ = 1.0;
    QPoint position_;
    bool shown_ = false;

    guide::RequestQueue queue_;
    bool startScheduled_ = false;
    std::optional<qint64> requestEnd_;        // when a Show, Hide, MoveTo or Play is over
    std::unique_ptr<guide::WakeClock> clock_; // wakes the guide when something is due

    guide::PoseTimeline timeline_;
    std::unique_ptr<guide::SpeechPlayer> speech_;
    std::optional<guide::Tween<QPointF>> glide_;
    std::optional<guide::Tween<double>> fade_;
};

} // namespace ingranix
