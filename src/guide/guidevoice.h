#pragma once

#include <QLocale>
#include <QObject>
#include <QString>

class QThread;

namespace ingranix {

// The locale of a Windows language id as a character names it; Italian for any other.
QLocale localeForLanguageId(int languageId);

// What the guide needs from a speech engine. say() and stop() return at once; finished() follows
// the end of the last say(), whether it was spoken, stopped or failed. The guide never relies on
// finished() coming: it gives every speech a deadline of its own.
class GuideVoice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setLocale(const QLocale &locale) = 0;
    // True once an engine with a voice for the chosen language is ready.
    virtual bool isAvailable() const = 0;
    virtual void say(const QString &text) = 0;
    virtual void stop() = 0;

signals:
    void finished();
    void availabilityChanged(bool available);
};

class SpeechWorker;

// Qt TextToSpeech on a thread of its own. Connecting to the speech service can take seconds, or
// hang when the service is stuck, so it must never happen on the window's thread.
class TextToSpeechVoice : public GuideVoice {
    Q_OBJECT
public:
    explicit TextToSpeechVoice(QObject *parent = nullptr);
    ~TextToSpeechVoice() override;

    void setLocale(const QLocale &locale) override;
    bool isAvailable() const override { return available_; }
    void say(const QString &text) override;
    void stop() override;

private:
    void start();
    void onEngineReady(bool available);
    void onDone(quint64 serial);

    QThread *thread_ = nullptr;
    SpeechWorker *worker_ = nullptr;
    bool available_ = false;
    quint64 serial_ = 0;
};

} // namespace ingranix
