#pragma once

#include <QList>
#include <QString>

// A guide speech split into what is said and the pauses between. Pure text work, no Qt GUI.
namespace ingranix::speech {

struct Part {
    enum Kind { Words, Pause };
    Kind kind = Words;
    QString text; // Words: what is said and shown
    int pauseMs = 0;

    friend bool operator==(const Part &, const Part &) = default;
};

// Longest single pause a tag may ask for: a stray digit run must not silence the guide for hours.
inline constexpr int maxPauseMs = 10000;
// Longest text the guide says in one request; the rest of a runaway text is left out.
inline constexpr int maxSpokenChars = 2000;

// Splits on pause tags "\pau=N\" in any letter case. A tag cut short by the end of the text, or
// by text that is not a digit, still counts as the pause it names. A tag whose number cannot be
// read is dropped as a pause of 0. Blank-only stretches of words are dropped.
QList<Part> parse(const QString &text);

// Appends one part's words to a balloon text, keeping words on both sides of a pause apart.
void appendShown(QString &shown, const QString &words);

// The text without its pause tags, as the balloon shows it.
QString displayText(const QString &text);

// How long a voice takes to say `words`, for a balloon without a voice and as the base of the
// deadline given to a real voice.
int estimateMs(const QString &words);

} // namespace ingranix::speech
