#include "notebook/coach.h"

#include "notebook/notebook.h"

#include <utility>

namespace ingranix::notebook {

using guidescript::Coaching;

namespace {

// The kinds a scientist is pointed to, in this order: those likeliest to refute a model built on a
// child's first numbers (small positive whole numbers) come first. Even numbers need no suggestion of
// their own: zero is even, and comes before.
constexpr std::pair<NumberKind, Coaching> suggestions[] = {
    {NumberKind::Negative, Coaching::TryNegative}, {NumberKind::Zero, Coaching::TryZero},
    {NumberKind::Fraction, Coaching::TryFraction}, {NumberKind::Large, Coaching::TryLarge},
    {NumberKind::Odd, Coaching::TryOdd},           {NumberKind::PositiveWhole, Coaching::TryPositiveWhole},
};

bool explainsAll(const Notebook &notebook) {
    return notebook.model().isValid() && notebook.countedCount() > 0 &&
           notebook.explainedCount() == notebook.countedCount();
}

} // namespace

std::optional<Coaching> Coach::remark(const Notebook &notebook, CoachEvent event) const {
    if (event == CoachEvent::Experiment) {
        if (!isSpoken(notebook, Surprise) && notebook.streakBrokenByNewest() >= streakBeforeSurprise)
            return Coaching::SurpriseIsNews;
        if (!isSpoken(notebook, WriteRule) && notebook.myMatchedInARow() >= myRunBeforeModel &&
            !explainsAll(notebook))
            return Coaching::WriteYourRule;
    }
    if (isSpoken(notebook, TryNumber) || notebook.countedCount() < enoughExperiments ||
        !explainsAll(notebook))
        return std::nullopt;
    for (const auto &[kind, suggestion] : suggestions)
        if ((notebook.kindsTried() & kindBit(kind)) == 0)
            return suggestion;
    return std::nullopt;
}

void Coach::spoken(const Notebook &notebook, Coaching remark) {
    if (notebook.mechanismGeneration() != generation_) {
        generation_ = notebook.mechanismGeneration();
        spoken_ = 0;
    }
    spoken_ |= kindOf(remark);
}

Coach::Kind Coach::kindOf(Coaching remark) {
    switch (remark) {
    case Coaching::SurpriseIsNews:
        return Surprise;
    case Coaching::WriteYourRule:
        return WriteRule;
    default:
        return TryNumber;
    }
}

bool Coach::isSpoken(const Notebook &notebook, Kind kind) const {
    return notebook.mechanismGeneration() == generation_ && (spoken_ & kind) != 0;
}

} // namespace ingranix::notebook
