#pragma once

#include <QString>

#include <array>

namespace ingranix {

class GuideCharacter;

namespace guidescript {

// The guide's remarks on the scientist's method, never on the answer: what to try next, what a
// surprise is worth, when to write a rule down. The notebook's coach chooses one; these are its words.
enum class Coaching {
    // The model explains every experiment: try a kind of number not yet tried. (No even number: zero
    // is one, and zero is suggested first.)
    TryNegative,
    TryZero,
    TryFraction,
    TryLarge,
    TryOdd,
    TryPositiveWhole,
    // An experiment contradicted a model that had predicted several in a row.
    SurpriseIsNews,
    // The player's own predictions came true several times in a row, without a model that explains them.
    WriteYourRule,
};
inline constexpr std::array allCoachings{
    Coaching::TryNegative, Coaching::TryZero,          Coaching::TryFraction,    Coaching::TryLarge,
    Coaching::TryOdd,      Coaching::TryPositiveWhole, Coaching::SurpriseIsNews, Coaching::WriteYourRule};

// What the guide says, pause tags included.
QString coachingText(Coaching remark);
// The remark as one request on the guide: spoken only, so a guide put away stays away.
void coach(GuideCharacter &guide, Coaching remark);

} // namespace guidescript
} // namespace ingranix
