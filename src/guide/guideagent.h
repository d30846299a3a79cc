#pragma once

#include "guide/characterfile.h"
#include "guide/guidecharacter.h"
#include "guide/speechtext.h"

#include <QElapsedTimer>
#include <QFont>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
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
    // Speaks through `voice` (none: balloon only). Tests hand in their own voice here.
    explicit GuideAgent(std::unique_ptr<GuideVoice> voice, QObject *parent = nullptr);
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
    bool hasFigure() const { return hasFigure_; }
    const character::Model &model() const { return model_; }
    bool isShownOnScreen() const;
    QString balloonText() const; // what the balloon shows now; empty when it is not up
    QPoint position() const { return position_; }
    bool isBusy() const { return current_.has_value() || !queue_.isEmpty(); }
    int pendingRequests() const { return int(queue_.size()) + (current_ ? 1 : 0); }
    QString currentAnimation() const { return animationName_; }
    QFont balloonFont() const { return font_; }
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
    static int speechDeadlineMs(int estimateMs);
    // How long a whole sentence stays in the balloon before the next one or before it goes.
    static int readingMs(const QString &shown);
    // A voice that misses this many deadlines in a row is not used again.
    static constexpr int voiceMissesBeforeMute = 2;
    // Requests beyond this many waiting are dropped: twice the longest script run of a busy start.
    static constexpr int maxWaitingRequests = 40;

signals:
    // kind: "show", "hide", "moveTo", "speak" or "play"; detail: the text, the name or "x,y".
    void requestStarted(const QString &kind, const QString &detail);
    void requestFinished(const QString &kind, const QString &detail);
    void idle();
    void balloonTextChanged(const QString &text);
    // The speech engine has answered whether it can speak the chosen language.
    void voiceAvailabilityChanged(bool available);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Kind { Show, Hide, MoveTo, Speak, Play };
    struct Request {
        Kind kind;
        QString text;
        QPoint target;
    };

    void enqueue(Request request);
    void startNext();
    void finishCurrent();
    void cutCurrent();
    void onStepTimeout();
    void onVoiceFinished();
    bool voiceInUse() const; // the voice speaks now, rather than the balloon alone
    void onTick();
    void ensureTicking();

    void startShow();
    void startHide();
    void startMoveTo(QPoint target);
    void startPlay(const QString &name);
    void startSpeak(const QString &text);
    void startSpeechPart();
    void endSpeechPart();
    void endMotion();

    void placeWindows();
    void setBalloon(const QString &shown);
    void hideBalloon();
    character::Pose currentBasePose(qint64 now) const;
    static QString kindName(Kind kind);
    static QString detailOf(const Request &request);

    QSize figureSize() const; // the model's, at the scale
    QFont shownFont() const;

    std::unique_ptr<FigureWindow> figure_;
    std::unique_ptr<BalloonWindow> balloon_;
    GuideVoice *voice_ = nullptr; // child of this object
    bool voiceMuted_ = false;
    bool watchesScreenReader_ = false;
    ScreenReaderWatch *screenReaderWatch_ = nullptr; // child of this object, made with the language
    bool screenReader_ = false;
    QPointer<QWindow> gameWindow_; // the window that last had the focus, other than ours
    int voiceMisses_ = 0;

    character::Model model_;
    bool hasFigure_ = false;
    QFont font_; // as the game asks it; the balloon's is scaled
    double scale_ = 1.0;

    QPoint position_;
    bool shown_ = false;

    QList<Request> queue_;
    std::optional<Request> current_;
    bool startScheduled_ = false;
    QTimer stepTimer_;   // ends the current step of the current request
    QTimer lingerTimer_; // takes the balloon down a while after the speech
    QTimer tickTimer_;   // drives the drawing while something moves
    QElapsedTimer clock_;

    // Speech in progress.
    QList<speech::Part> parts_;
    int partIndex_ = 0;
    QString wholeText_;
    QString spokenSoFar_;
    QString balloonShown_;
    bool waitingForVoice_ = false;
    bool speakingWords_ = false;
    bool holdingWhole_ = false; // the whole sentence stays up to be read before the request ends
    qint64 wholeSince_ = 0;
    qint64 wordsStart_ = 0;
    int wordsEstimate_ = 0;

    // Animation in progress.
    QString animationName_;
    QList<character::Frame> frames_;
    int frameIndex_ = -1;
    qint64 frameStart_ = 0;
    character::Pose frameFrom_;
    bool returningToRest_ = false;
    qint64 returnStart_ = 0;
    character::Pose returnFrom_;

    // Glide or fade in progress.
    bool moving_ = false;
    QPoint moveFrom_;
    QPoint moveTo_;
    bool fading_ = false;
    double fadeFrom_ = 0;
    double fadeTo_ = 1;
    qint64 motionStart_ = 0;
    int motionMs_ = 0;
};

} // namespace ingranix
