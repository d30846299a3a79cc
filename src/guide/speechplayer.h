#pragma once

#include "guide/speechtext.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

namespace ingranix {

class GuideVoice;

namespace guide {

// One Speak at a time, part after part: the words go to the voice and, as it says them, into the
// balloon word by word; pauses are silent. The voice is waited for no longer than a deadline drawn
// from the words' length, because a speech service without a sound device may accept a text and
// never report its end; a voice that misses its deadline twice in a row is not used again. Without a
// voice the balloon keeps its own pace. The whole sentence then stays up long enough to be read,
// and a while more after the speech, unless something takes the balloon down.
// Time is whatever the owner says it is: it calls advance() at wakeAt() and tells of the voice's end.
class SpeechPlayer : public QObject {
    Q_OBJECT
public:
    // Whether a screen reader speaks: while one does (or might), the voice stays quiet and is never
    // told to stop (a speech engine's stop silences every client's speech, the reader's too).
    enum class Reader { Absent, Running, Unknown };

    // `voice` (may be null: the balloon alone) is not owned and must outlive the player.
    explicit SpeechPlayer(GuideVoice *voice, QObject *parent = nullptr);
    void setReaderProbe(std::function<Reader()> probe) { readerProbe_ = std::move(probe); }

    void start(const QString &text, qint64 now);
    // Ends the speech at once, without finished(); the balloon stays until clearBalloon().
    void cut();
    void clearBalloon();
    void advance(qint64 now);
    void voiceFinished(qint64 now);

    // When advance() must next be called; nullopt while nothing is due.
    std::optional<qint64> wakeAt(qint64 now) const;
    bool isTalking() const { return step_ == Step::Words || step_ == Step::Voice; }
    double mouthAt(qint64 now) const; // how far the mouth opens, 0 when not talking
    const QString &shown() const { return shown_; }
    const QString &wholeText() const { return whole_; }
    bool hasVoice() const;

    // How long a piece of speech may take before the player stops waiting for its voice.
    static int deadlineMs(int estimateMs);
    // How long a whole sentence stays in the balloon before the next one or before it goes.
    static int readingMs(const QString &shown);
    static constexpr int voiceMissesBeforeMute = 2;
    static constexpr int lingerMs = 1500; // the balloon after the speech
    static constexpr int stepMs = 66;     // the mouth and the balloon follow the words this often

signals:
    void shownChanged(const QString &text);
    void finished();

private:
    enum class Step {
        None,    // no speech
        Pause,   // a silent pause
        Words,   // words at the balloon's own pace
        Voice,   // words the voice says, until it ends or the deadline passes
        Holding, // the whole sentence stays up to be read
    };

    bool voiceInUse() const;
    void startPart(qint64 now);
    void endStep(qint64 now);
    void endWords(qint64 now);
    void finish(qint64 now);
    void showWordsSoFar(qint64 now);
    void setShown(const QString &text);

    QPointer<GuideVoice> voice_;
    std::function<Reader()> readerProbe_;
    int voiceMisses_ = 0;
    bool voiceMuted_ = false;

    QList<speech::Part> parts_;
    qsizetype partIndex_ = 0;
    Step step_ = Step::None;
    qint64 stepEnd_ = 0;
    qint64 wordsStart_ = 0;
    int wordsEstimate_ = 0;
    QString spokenSoFar_; // the words of the parts already over
    QString whole_;
    QString shown_;
    qint64 wholeSince_ = 0;
    std::optional<qint64> lingerEnd_;
};

} // namespace guide
} // namespace ingranix
