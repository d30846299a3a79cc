#include "guide/scripts.h"

#include "guide/guidecharacter.h"

#include <QRegularExpression>

#include <cfenv>
#include <cmath>

namespace ingranix::guidescript {

namespace {

constexpr int italian = 1040;

// Screen positions are worked out in floating point and rounded to the nearest 16-bit value,
// ties to even; a screen too large for 16 bits pins the guide to the edge of the range.
qint16 toPixel(double value) {
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value); // the default rounding mode: ties to even
    if (rounded <= -32768.0)
        return -32768;
    if (rounded >= 32767.0)
        return 32767;
    return qint16(rounded);
}

// The place the guide returns to for the welcome's end and the controls.
void moveToCorner(GuideCharacter &guide, double dx, double dy) {
    const double x = double(guide.width()) / 2 + dx;
    const double y = double(guide.height()) / 2 + dy;
    guide.moveTo(toPixel(x), toPixel(y));
}

} // namespace

QString characterFileName(const QString &id) {
    return id + QStringLiteral(".json");
}

void LoadGuide(GuideCharacter &guide, const QString &resourceFolder) {
    const QString id = QStringLiteral("merlin");
    guide.load(id, resourceFolder + QLatin1Char('/') + characterFileName(id));
    guide.setLanguageId(italian);
    guide.setBalloonFont(QStringLiteral("Arial"), 12);
}

void GreetPlayer(GuideCharacter &guide, QSize screenPixels) {
    guide.moveTo(toPixel(double(screenPixels.width()) - 200),
                 toPixel(double(screenPixels.height()) / 2 - 10));
    guide.show();
    guide.speak(QStringLiteral("Benvenuti alla ingranix1 1\\Pau=500\\ "));
    guide.speak(
        QStringLiteral("\\Pau=200\\la prima cosa da fare è scegliere il tipo di livello....... livello1 .... "
                       "livello2 ....eccetera"));
    guide.speak(QStringLiteral("\\Pau=300"));
    moveToCorner(guide, 100, 400);
    guide.play(QStringLiteral("getattention"));
    guide.play(QStringLiteral("getattention"));
    guide.play(QStringLiteral("gestureleft"));
}

void CoachAfterLevel(GuideCharacter &guide) {
    guide.speak(QStringLiteral("Bene\\pau=200\\ adesso scegli un  colore dal menù ingranaggi ....\\pau=200\\ "
                               "ricorda per ogni colore\\pau=200\\la macchina esegue un calcolo diverso "));
}

void CoachAfterColour(GuideCharacter &guide) {
    moveToCorner(guide, 150, 200);
    guide.play(QStringLiteral("gestureright"));
    guide.speak(
        QStringLiteral("Bravo\\pau=1000\\Adesso inserisci ,un numero, e clicca su esperimento.\\pau=1000\\ "
                       "Oppure usa il tasto invio della tua tastiera "));
}

void explainGoal(GuideCharacter &guide) {
    guide.stopAll();
    guide.play(QStringLiteral("search"));
    guide.speak(QStringLiteral("Dunque. il gioco è semplice.\\pau=550\\......Tu sei lo scienziato.......devi "
                               "scoprire il calcolo.....eseguito dalla macchina."));
    guide.speak(QStringLiteral("\\pau=500\\Ricorda!Giammai avrai conferme da me.....o dalla macchina "
                               "dell'esatezza del tuo modello."));
    guide.speak(QStringLiteral("\\pau=500\\Solo più verifiche possono assicurare una buona affidabilità del "
                               "modello!"));
}

void explainControls(GuideCharacter &guide) {
    guide.stopAll();
    moveToCorner(guide, 100, 400);
    guide.play(QStringLiteral("announce"));
    guide.speak(QStringLiteral("\\pau=500\\La macchina esegue la stessa operazione con i vari dati che "
                               "inseriamo,fino a quando non si decide di cambiare."));
    guide.play(QStringLiteral("gestureleft"));
    guide.speak(
        QStringLiteral("\\pau=500\\Questo puo' essere fatto. Cliccando sul bottone.....Nuovo meccanismo "
                       "di calcolo."));
}

void explainOperations(GuideCharacter &guide) {
    guide.stopAll();
    guide.play(QStringLiteral("read"));
    guide.speak(
        QStringLiteral("Allora......\\pau=500\\ Le macchine operano solo con numeri naturali.\\pau=500\\ e "
                       "producono numeri naturali come risultati."));
    guide.speak(
        QStringLiteral("\\pau=500\\Nel caso di divisioni con risultato non intero, si considera solo la "
                       "parte intera."));
    guide.speak(
        QStringLiteral("\\pau=500\\ Se la macchina non è in grado di effettuare l'operazione "
                       "\\pau=500\\(es. divisione per zero o sottraendo maggiore del minuendo) fornisce "
                       "'?', come risultato."));
    guide.speak(QStringLiteral("\\pau=500\\? punto interrogativo = calcolo impossibile per quell'input."));
}

void showGuide(GuideCharacter &guide) {
    guide.show();
}

void hideGuide(GuideCharacter &guide) {
    guide.stopAll();
    guide.hide();
}

void WarnEmptyInput(GuideCharacter &guide) {
    guide.play(QStringLiteral("StopListening"));
    guide.speak(QStringLiteral("agisci con piu' attenzione!\\pau=500\\Devi inserire il dato"));
}

void tellDecimalPoint(GuideCharacter &guide, const QString &typed) {
    // Only a plain number is said back: anything else (several commas, letters, a long text) would
    // make a strange example, so the usual one is given.
    static const QRegularExpression decimalComma(QStringLiteral("^\\s*[-+]?\\d{1,9},\\d{1,9}\\s*$"));
    const QString example =
        decimalComma.match(typed).hasMatch() ? typed.trimmed().replace(u',', u'.') : QStringLiteral("3.5");
    guide.speak(QStringLiteral("La macchina legge i decimali con il punto: scrivi ") + example);
}

void reactToExperiment(GuideCharacter &guide, int count) {
    switch (count) {
    case 1:
        guide.play(QStringLiteral("gestureleft"));
        guide.speak(QStringLiteral("La macchina ha eseguito un calcolo e lo ripeterà sempre uguale, anche se "
                                   "cambierai i numeri in input."));
        break;
    case 2:
        guide.speak(
            QStringLiteral("Prova a inventare un calcolo che dia lo stesso output della macchina, e poi "
                           "verifica se è giusto,mettendo nuovi input e cliccando sempre su "
                           "esperimento."));
        break;
    case 3:
        guide.speak(
            QStringLiteral("Il tuo modello è valido se con esso riesci a indovinare il risultato di ogni "
                           "esperimento."));
        guide.speak(QStringLiteral("\\pau=500\\Quando hai trovato un modello valido puoi cambiare colore o "
                                   "meccanismo di calcolo."));
        guide.play(QStringLiteral("processing"));
        break;
    default:
        break;
    }
}

void announceOpenedFile(GuideCharacter &guide, const QString &chosenName) {
    guide.show();
    guide.play(QStringLiteral("search"));
    if (chosenName.size() < 4)
        return;
    QString name = chosenName.chopped(4);
    // Cutting four code units may split a character in two; its lone half would not be spoken.
    if (!name.isEmpty() && name.back().isHighSurrogate())
        name.chop(1);
    guide.speak(QStringLiteral("è stato aperto il meccanismo di calcolo che hai salvato con il nome ") +
                name + QStringLiteral(".\\pau=1000\\In questo caso devi inserire solo i dati "));
}

void announceOpenedLesson(GuideCharacter &guide, const QString &lessonName) {
    guide.show();
    guide.speak(
        QStringLiteral("Ho aperto la lezione ") + lessonName +
        QStringLiteral(".\\pau=500\\Ci sono i tuoi esperimenti e il tuo modello: puoi continuare da dove "
                       "eri rimasto."));
}

// The player must hear about these even with the guide put away, so it comes out first.
void reportSaveFailed(GuideCharacter &guide) {
    guide.show();
    guide.speak(QStringLiteral("Non sono riuscito a salvare il meccanismo: prova con un altro nome o in "
                               "un'altra cartella."));
}

void reportPrintFailed(GuideCharacter &guide) {
    guide.show();
    guide.speak(QStringLiteral("Non sono riuscito a stampare: chiedi a un adulto di controllare la "
                               "stampante."));
}

} // namespace ingranix::guidescript
