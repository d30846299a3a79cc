#pragma once

#include "constants.h"
#include "settingnames.h"

#include <QString>
#include <QStringView>

namespace ingranix {

// What one calculation reads: the input box's text, the gear colour and the constants.
// Level 1's threshold calculations adjust C(1,4) in the table itself, hence the reference.
struct MechanismInput {
    QStringView inputText;
    QStringView gearColour;
    ConstantsTable &constants;
    QStringView decimalSeparator;
};

// Runs Mechanism<L>_<I> selected by the level selector's text ("Livello1".."Livello4", exact) and
// mechanismIndex (1..9), on the current gear colour, and returns the caption for out1.
// Every call returns a caption: where no calculation runs (unknown level text, index outside 1..9,
// unknown colour) or the calculation cannot give a result (rounded input out of range, zero divisor,
// 16-bit step out of range, a double that is not finite) the caption is "?".
QString runMechanism(QStringView levelText, int mechanismIndex, const MechanismInput &in);

} // namespace ingranix
