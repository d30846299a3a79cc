#pragma once

#include "guide/coaching.h"

#include <optional>

namespace ingranix::notebook {

class Notebook;

// What just happened in the notebook.
enum class CoachEvent {
    Experiment,   // the newest row was just logged
    ModelChanged, // the player's model just changed
};

// The scientist's coach: after each event, the remark on the method to make, or none. It reads only
// what the notebook holds (the inputs typed, the outputs seen, the player's model and predictions),
// never the machine's calculation or its constants, so it can never give the secret away. At most one
// remark per event, and each kind of remark (a number to try, a surprise, writing the rule down) at most
// once per mechanism. Whether the guide can speak now is the caller's to know: a remark counts as made
// only once the caller says it was spoken, so one that could not be spoken may come at a later event.
class Coach {
public:
    std::optional<guidescript::Coaching> remark(const Notebook &notebook, CoachEvent event) const;
    void spoken(const Notebook &notebook, guidescript::Coaching remark);

    // The run lengths the rules wait for.
    static constexpr int enoughExperiments = 3; // counted, all explained, before suggesting a number
    static constexpr int streakBeforeSurprise = 3;
    static constexpr int myRunBeforeModel = 5;

private:
    enum Kind : unsigned { TryNumber = 1, Surprise = 2, WriteRule = 4 };
    static Kind kindOf(guidescript::Coaching remark);
    bool isSpoken(const Notebook &notebook, Kind kind) const;

    int generation_ = -1; // the notebook's mechanism the spoken remarks belong to
    unsigned spoken_ = 0;
};

} // namespace ingranix::notebook
