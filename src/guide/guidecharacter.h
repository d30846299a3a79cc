#pragma once

#include <QString>
#include <QtGlobal>

namespace ingranix {

// The animated guide as the game drives it. Every call returns at once: Show, Hide, MoveTo, Speak
// and Play become requests that the character carries out one after another, in the order of the
// calls; the caller never waits for one. StopAll ends the current request and drops the waiting
// ones. A Speak text may hold pause tags "\pau=N\" (any letter case), which are pauses of N ms,
// never spoken or shown; a tag left unterminated at the end of the text is a pause too.
class GuideCharacter {
public:
    virtual ~GuideCharacter() = default;

    // Loads the character `id` from its file; false when the file is missing or unreadable
    // (the guide then still shows its balloon, without a figure).
    virtual bool load(const QString &id, const QString &filePath) = 0;
    virtual void setLanguageId(int languageId) = 0;
    virtual void setBalloonFont(const QString &family, int pointSize) = 0;

    virtual void moveTo(qint16 x, qint16 y) = 0; // top-left corner, screen pixels
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void speak(const QString &text) = 0;
    virtual void play(const QString &animation) = 0;
    virtual void stopAll() = 0;

    // True while the character is on screen with no request running or waiting: an aside may then be
    // said without talking while put away or cutting into a script.
    virtual bool isIdleOnScreen() const = 0;

    // The character's frame size in pixels.
    virtual qint16 width() const = 0;
    virtual qint16 height() const = 0;
};

} // namespace ingranix
