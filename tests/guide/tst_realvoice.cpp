// The guide with its real voice, heard: speech-dispatcher speaks into a PulseAudio null sink whose
// monitor is recorded and measured with sox. Run through with_null_sink.sh, which sets the stack up.

#include "guide/guideagent.h"
#include "guide/scripts.h"
#include "guide/speechtext.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;

namespace {

// The monitor of the null sink, recorded into a WAV file while the object lives.
class Recording {
public:
    explicit Recording(const QString &path) : path_(path) {
        recorder_.start(
            QStringLiteral("parecord"),
            {QStringLiteral("--device=%1.monitor").arg(qEnvironmentVariable("INGRANIX_NULL_SINK")),
             QStringLiteral("--rate=16000"), QStringLiteral("--channels=1"), QStringLiteral("--format=s16le"),
             QStringLiteral("--file-format=wav"), path});
        recorder_.waitForStarted(5000);
        clock_.start();
        QTest::qWait(300); // the stream is set up; what follows is heard
    }
    ~Recording() { stop(); }
    // Seconds since recording began, on the test's clock.
    double now() const { return double(clock_.elapsed()) / 1000; }
    bool stop() {
        if (recorder_.state() == QProcess::NotRunning)
            return recorder_.exitStatus() == QProcess::NormalExit;
        recorder_.terminate(); // parecord closes its file properly on SIGTERM
        return recorder_.waitForFinished(5000);
    }

    // sox's figures for the whole file, or after dropping silence at its start ("front") or end.
    double stat(const QString &figure, const QString &trim = QString()) const {
        QStringList args{path_, QStringLiteral("-n")};
        if (trim == u"end")
            args << QStringLiteral("reverse");
        if (!trim.isEmpty())
            args << QStringLiteral("silence") << QStringLiteral("1") << QStringLiteral("0.02")
                 << QStringLiteral("1%");
        args << QStringLiteral("stat");
        QProcess sox;
        sox.start(QStringLiteral("sox"), args);
        if (!sox.waitForFinished(20000))
            return -1;
        const QString text = QString::fromUtf8(sox.readAllStandardError());
        const auto match = QRegularExpression(figure + QStringLiteral(":\\s+(\\S+)")).match(text);
        return match.hasMatch() ? match.captured(1).toDouble() : -1;
    }
    double length() const { return stat(QStringLiteral("Length \\(seconds\\)")); }
    // Where sound begins and ends in the recording, in seconds.
    double soundStart() const {
        return length() - stat(QStringLiteral("Length \\(seconds\\)"), QStringLiteral("front"));
    }
    double soundEnd() const { return stat(QStringLiteral("Length \\(seconds\\)"), QStringLiteral("end")); }

private:
    QString path_;
    QProcess recorder_;
    QElapsedTimer clock_;
};

} // namespace

class TestRealVoice : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void welcomeIsHeard();
    void speechEndsWithItsSound();
    void nascondiSilencesAtOnce();

private:
    // Speaks `text` and returns when its request started and finished, on the recording's clock.
    QPair<double, double> speakAndTime(const QString &text, const Recording &recording, int timeoutMs);

    QTemporaryDir files_;
    std::unique_ptr<GuideAgent> guide_;
};

void TestRealVoice::initTestCase() {
    if (!qEnvironmentVariableIsSet("INGRANIX_NULL_SINK"))
        QSKIP("needs the sound stack of with_null_sink.sh");
    QVERIFY(files_.isValid());
    guide_ = std::make_unique<GuideAgent>();
    QSignalSpy answer(guide_.get(), &GuideAgent::voiceAvailabilityChanged);
    guidescript::LoadGuide(*guide_, QCoreApplication::applicationDirPath());
    QVERIFY2(answer.wait(20000), "the speech service never answered");
    QVERIFY2(guide_->hasVoice(), "speech-dispatcher has no Italian voice");
}

QPair<double, double> TestRealVoice::speakAndTime(const QString &text, const Recording &recording,
                                                  int timeoutMs) {
    double started = -1;
    double finished = -1;
    const auto onStart = connect(guide_.get(), &GuideAgent::requestStarted, this,
                                 [&](const QString &kind, const QString &detail) {
                                     if (kind == u"speak" && detail == text)
                                         started = recording.now();
                                 });
    const auto onFinish = connect(guide_.get(), &GuideAgent::requestFinished, this,
                                  [&](const QString &kind, const QString &detail) {
                                      if (kind == u"speak" && detail == text)
                                          finished = recording.now();
                                  });
    guide_->speak(text);
    if (!QTest::qWaitFor([&] { return finished >= 0; }, timeoutMs))
        return {started, -1};
    disconnect(onStart);
    disconnect(onFinish);
    return {started, finished};
}

void TestRealVoice::welcomeIsHeard() {
    Recording recording(files_.filePath(QStringLiteral("welcome.wav")));
    QSignalSpy finished(guide_.get(), &GuideAgent::requestFinished);
    guidescript::GreetPlayer(*guide_, QSize(1280, 1024));
    // moveTo, show, then the two spoken sentences of the welcome.
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() >= 4, 30000);
    guide_->stopAll();
    QVERIFY(recording.stop());
    const double rms = recording.stat(QStringLiteral("RMS\\s+amplitude"));
    const double peak = recording.stat(QStringLiteral("Maximum amplitude"));
    qInfo("welcome: %.1f s recorded, RMS %.3f, peak %.3f", recording.length(), rms, peak);
    QVERIFY2(rms > 0.01 && peak > 0.1, "the welcome was not heard");
    QVERIFY(guide_->hasVoice()); // and the voice kept its deadlines
}

void TestRealVoice::speechEndsWithItsSound() {
    // Spoken faster than the guide's estimate from its length, so an end taken from the estimate shows.
    const QString text =
        QStringLiteral("Il tuo modello è valido se con esso riesci a indovinare il risultato di "
                       "ogni esperimento.");
    const int deadlineMs = GuideAgent::speechDeadlineMs(speech::estimateMs(text));
    Recording recording(files_.filePath(QStringLiteral("speech.wav")));
    const auto [started, finished] = speakAndTime(text, recording, deadlineMs + 3000);
    QTest::qWait(800); // silence after the speech, so that its end shows in the recording
    QVERIFY(recording.stop());
    QVERIFY(started >= 0 && finished > started);
    const double heard = recording.soundEnd() - recording.soundStart();
    const double took = finished - started;
    qInfo("speech heard for %.2f s, the request took %.2f s, its estimate %.2f s, deadline %.2f s", heard,
          took, speech::estimateMs(text) / 1000.0, deadlineMs / 1000.0);
    QVERIFY2(heard > 1.0, "the speech was not heard");
    // The request ends when the sound does, give or take the service's own delays (a third of a
    // second here): neither at the estimate nor at the deadline a silent voice would run into.
    QVERIFY(took > heard - 0.2);
    QVERIFY(took < heard + 0.8);
    QVERIFY(took < speech::estimateMs(text) / 1000.0 - 0.5);
}

void TestRealVoice::nascondiSilencesAtOnce() {
    const QString text =
        QStringLiteral("Prova a inventare un calcolo che dia lo stesso output della macchina, e poi "
                       "verifica se è giusto, mettendo nuovi input e cliccando sempre su "
                       "esperimento.");
    Recording recording(files_.filePath(QStringLiteral("hidden.wav")));
    double started = -1;
    connect(guide_.get(), &GuideAgent::requestStarted, this, [&](const QString &kind, const QString &) {
        if (kind == u"speak" && started < 0)
            started = recording.now();
    });
    guide_->speak(text);
    QTRY_VERIFY_WITH_TIMEOUT(started >= 0, 5000);
    QTest::qWait(2500); // well into the sentence
    const double hidden = recording.now();
    guidescript::hideGuide(*guide_); // what "Nascondi" does
    QTest::qWait(1500);
    QVERIFY(recording.stop());
    // Heard from the speech's start until the hide, and not much longer.
    const double heard = recording.soundEnd() - recording.soundStart();
    const double afterHide = heard - (hidden - started);
    qInfo("sound went on %.2f s after the hide", afterHide);
    QVERIFY2(heard > 1.5, "the speech was not heard before the hide");
    QVERIFY2(afterHide < 0.5, "the voice went on speaking after Nascondi");
    QCOMPARE(guide_->balloonText(), QString());
}

QTEST_MAIN(TestRealVoice)
#include "tst_realvoice.moc"
