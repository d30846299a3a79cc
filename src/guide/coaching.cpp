#include "guide/coaching.h"

#include "guide/guidecharacter.h"

namespace ingranix::guidescript {

using namespace Qt::Literals::StringLiterals;

namespace {

// The start of every suggestion: what the model does so far, and why a scientist goes on.
const QString lookForRefutation =
    u"Il tuo modello spiega tutti i tuoi esperimenti. Uno scienziato cerca l'esperimento che potrebbe "
    "smentirlo: "_s;

} // namespace

QString coachingText(Coaching remark) {
    switch (remark) {
    case Coaching::TryNegative:
        return lookForRefutation + u"prova con un numero negativo."_s;
    case Coaching::TryZero:
        return lookForRefutation + u"prova con lo zero."_s;
    case Coaching::TryFraction:
        return lookForRefutation +
               u"prova con un numero con la virgola; nella casella input scrivila con il punto, come in 2.5."_s;
    case Coaching::TryLarge:
        return lookForRefutation + u"prova con un numero grande, oltre 1000."_s;
    case Coaching::TryOdd:
        return lookForRefutation + u"prova con un numero dispari."_s;
    case Coaching::TryPositiveWhole:
        return lookForRefutation + u"prova con un numero intero positivo, come 7."_s;
    case Coaching::SurpriseIsNews:
        return u"Il tuo modello non aveva previsto questo risultato. È una buona notizia!\\pau=300\\ "
               "Adesso sai qualcosa di più sulla macchina: uno scienziato impara proprio dagli esperimenti "
               "che lo sorprendono."_s;
    case Coaching::WriteYourRule:
        return u"Per cinque volte di fila la macchina ha dato il risultato che ti aspettavi.\\pau=300\\ "
               "Uno scienziato scrive la sua regola come modello, per metterla alla prova con ogni "
               "esperimento: scrivila nel quaderno, sotto «Il mio modello»."_s;
    }
    return {};
}

void coach(GuideCharacter &guide, Coaching remark) {
    guide.speak(coachingText(remark));
}

} // namespace ingranix::guidescript
