// The guide with its real voice, heard: speech-dispatcher speaks into a PulseAudio null sink whose
// monitor is recorded and measured with sox. Run through with_null_sink.sh, which sets the stack up.

#include "guide/guideagent.h"
#include "guide/scripts.h"
#include "guide/speechtext.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace ingranix;

class TestRealVoice : public QObject {
    Q_OBJECT
    QTemporaryDir files_;
    std::unique_ptr<GuideAgent> guide_;
    QProcess recorder_;

    void record() {
        recorder_.start("parecord", {"--device=" + qEnvironmentVariable("INGRANIX_NULL_SINK") + ".monitor",
                                     "--file-format=wav", files_.filePath("heard.wav")});
        QVERIFY(recorder_.waitForStarted(5000));
        QTest::qWait(300); // the stream is set up; what follows is heard
    }
    // Ends the recording: the seconds from its first sound to its last.
    double heard() {
        recorder_.terminate(); // parecord closes its file properly on SIGTERM
        recorder_.waitForFinished(5000);
        const QStringList trim{"silence", "1", "0.02", "1%", "reverse"};
        QProcess sox;
        sox.start("sox", QStringList{files_.filePath("heard.wav"), "-n"} + trim + trim + QStringList{"stat"});
        sox.waitForFinished(20000);
        const auto length =
            QRegularExpression(R"(Length \(seconds\):\s+(\S+))").match(sox.readAllStandardError());
        return length.hasMatch() ? length.captured(1).toDouble() : -1;
    }

private slots:
    void initTestCase() {
        if (!qEnvironmentVariableIsSet("INGRANIX_NULL_SINK"))
            QSKIP("needs the sound stack of with_null_sink.sh");
        guide_ = std::make_unique<GuideAgent>();
        QSignalSpy answer(guide_.get(), &GuideAgent::voiceAvailabilityChanged);
        guidescript::LoadGuide(*guide_, QCoreApplication::applicationDirPath());
        QVERIFY2(answer.wait(20000), "the speech service never answered");
        QVERIFY2(guide_->hasVoice(), "speech-dispatcher has no Italian voice");
        guide_->show();
        QTRY_VERIFY(!guide_->isBusy());
    }

    // Spoken faster than the guide's estimate from its length, so an end taken from the estimate, or
    // from the deadline a silent voice runs into, would show.
    void speechEndsWithItsSound() {
        const QString text =
            "Il tuo modello è valido se con esso riesci a indovinare il risultato di ogni esperimento.";
        QSignalSpy finished(guide_.get(), &GuideAgent::requestFinished);
        record();
        QElapsedTimer took;
        took.start();
        guide_->speak(text);
        QVERIFY(finished.wait(GuideAgent::speechDeadlineMs(speech::estimateMs(text)) + 3000));
        const double seconds = double(took.elapsed()) / 1000;
        QTest::qWait(300);
        const double sound = heard();
        qInfo("heard for %.2f s, the request took %.2f s, its estimate %.2f s", sound, seconds,
              speech::estimateMs(text) / 1000.0);
        QVERIFY2(sound > 1.0, "the speech was not heard");
        // It ends with the sound, give or take the service's own delays (a third of a second here).
        QVERIFY(seconds > sound - 0.2 && seconds < sound + 0.8);
        QVERIFY(seconds < speech::estimateMs(text) / 1000.0 - 0.5);
        QVERIFY(guide_->hasVoice());
    }

    void nascondiSilencesAtOnce() {
        record();
        QElapsedTimer clock;
        clock.start();
        guide_->speak(
            "Prova a inventare un calcolo che dia lo stesso output della macchina, e poi verifica se "
            "è giusto, mettendo nuovi input e cliccando sempre su esperimento.");
        QTest::qWait(1500); // well into the sentence
        const double hidden = double(clock.elapsed()) / 1000;
        guidescript::hideGuide(*guide_);
        QTest::qWait(1000);
        const double sound = heard();
        qInfo("heard for %.2f s, of which %.2f s after the hide", sound, sound - hidden);
        QVERIFY2(sound > 1.0, "the speech was not heard before the hide");
        QVERIFY2(sound - hidden < 0.5, "the voice went on speaking after Nascondi");
        QCOMPARE(guide_->balloonText(), QString());
    }
};

QTEST_MAIN(TestRealVoice)
#include "tst_realvoice.moc"
