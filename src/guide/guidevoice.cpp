#include "guide/guidevoice.h"

#include <QDebug>
#include <QTextToSpeech>
#include <QThread>

#include <mutex>
#include <vector>

namespace ingranix {

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

// Lives on the speech thread; every slot runs there.
class SpeechWorker : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

public slots:
    void init(const QLocale &locale) {
        if (!engine_) {
            if (QTextToSpeech::availableEngines().isEmpty()) {
                emit ready(false);
                return;
            }
            engine_ = new QTextToSpeech(this);
            connect(engine_, &QTextToSpeech::stateChanged, this, &SpeechWorker::onState);
        }
        if (engine_->state() == QTextToSpeech::Error) {
            emit ready(false);
            return;
        }
        // Only a voice that speaks the requested language will do; a foreign accent reading
        // Italian would be worse than the balloon alone.
        bool found = false;
        for (const QLocale &candidate : engine_->availableLocales()) {
            if (candidate.language() == locale.language()) {
                found = true;
                break;
            }
        }
        if (!found) {
            emit ready(false);
            return;
        }
        engine_->setLocale(locale);
        emit ready(engine_->locale().language() == locale.language());
    }

    void say(const QString &text, quint64 serial) {
        if (!engine_) {
            emit done(serial);
            return;
        }
        serial_ = serial;
        heardSpeaking_ = false;
        engine_->say(text);
        if (engine_->state() == QTextToSpeech::Error)
            emit done(serial);
    }

    void stop() {
        // Qt's speech-dispatcher engine stops with spd_cancel_all, which silences every client of the
        // service, a screen reader too: only speech of ours still going is worth that.
        if (engine_ &&
            (engine_->state() == QTextToSpeech::Speaking || engine_->state() == QTextToSpeech::Paused))
            engine_->stop();
    }

signals:
    void ready(bool available);
    void done(quint64 serial);

private:
    void onState(QTextToSpeech::State state) {
        if (state == QTextToSpeech::Speaking) {
            heardSpeaking_ = true;
        } else if (state == QTextToSpeech::Error || (state == QTextToSpeech::Ready && heardSpeaking_)) {
            heardSpeaking_ = false;
            emit done(serial_);
        }
    }

    QTextToSpeech *engine_ = nullptr;
    quint64 serial_ = 0;
    bool heardSpeaking_ = false;
};

namespace {

// A speech thread stuck inside the speech service cannot be joined or destroyed; it is kept here
// (still referenced, so leak checkers do not flag it) and ends with the process.
std::mutex abandonedMutex;
std::vector<QThread *> abandonedThreads;

} // namespace

TextToSpeechVoice::TextToSpeechVoice(QObject *parent) : GuideVoice(parent) {}

TextToSpeechVoice::~TextToSpeechVoice() {
    if (!thread_)
        return;
    QMetaObject::invokeMethod(worker_, &SpeechWorker::stop, Qt::QueuedConnection);
    thread_->quit();
    if (thread_->wait(QDeadlineTimer(1500))) {
        delete thread_;
    } else {
        thread_->disconnect();
        const std::lock_guard lock(abandonedMutex);
        abandonedThreads.push_back(thread_);
    }
}

void TextToSpeechVoice::start() {
    if (thread_)
        return;
    thread_ = new QThread; // no parent: its life may have to outlast ours, see the destructor
    thread_->setObjectName(QStringLiteral("guide speech"));
    worker_ = new SpeechWorker;
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &SpeechWorker::ready, this, &TextToSpeechVoice::onEngineReady);
    connect(worker_, &SpeechWorker::done, this, &TextToSpeechVoice::onDone);
    thread_->start(QThread::LowPriority);
}

void TextToSpeechVoice::setLocale(const QLocale &locale) {
    start();
    available_ = false;
    QMetaObject::invokeMethod(
        worker_, [worker = worker_, locale] { worker->init(locale); }, Qt::QueuedConnection);
}

void TextToSpeechVoice::say(const QString &text) {
    if (!available_) {
        QMetaObject::invokeMethod(this, &GuideVoice::finished, Qt::QueuedConnection);
        return;
    }
    const quint64 serial = ++serial_;
    QMetaObject::invokeMethod(
        worker_, [worker = worker_, text, serial] { worker->say(text, serial); }, Qt::QueuedConnection);
}

void TextToSpeechVoice::stop() {
    ++serial_; // whatever the engine reports about the stopped speech is stale now
    if (worker_)
        QMetaObject::invokeMethod(worker_, &SpeechWorker::stop, Qt::QueuedConnection);
}

void TextToSpeechVoice::onEngineReady(bool available) {
    if (available_ != available) {
        available_ = available;
        emit availabilityChanged(available);
    } else if (!available) {
        emit availabilityChanged(false); // tell whoever waits that the answer is in
    }
}

void TextToSpeechVoice::onDone(quint64 serial) {
    if (serial == serial_)
        emit finished();
}

} // namespace ingranix

#include "guidevoice.moc"
