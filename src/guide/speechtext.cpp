#include "guide/speechtext.h"

#include <algorithm>

namespace ingranix::speech {

namespace {

const QString tagStart = QStringLiteral("\\pau=");
// A terminated tag is short: its closing backslash, if any, is looked for this far only.
constexpr int maxTagArgument = 12;

constexpr int msPerChar = 70;
constexpr int minWordsMs = 400;
constexpr int maxWordsMs = 60000;

// Reads the number of a tag's argument; -1 when it is not a plain (optionally signed) number.
int readPause(QStringView argument) {
    argument = argument.trimmed();
    if (argument.startsWith(u'+') || argument.startsWith(u'-')) {
        const bool negative = argument.startsWith(u'-');
        argument = argument.mid(1);
        if (argument.isEmpty() ||
            !std::all_of(argument.begin(), argument.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return -1;
        if (negative)
            return 0;
    }
    if (argument.isEmpty())
        return -1;
    long long value = 0;
    for (QChar c : argument) {
        if (c < u'0' || c > u'9')
            return -1;
        value = std::min<long long>(value * 10 + (c.unicode() - u'0'), maxPauseMs);
    }
    return int(value);
}

void addWords(QList<Part> &parts, const QString &words, int &spoken) {
    if (words.trimmed().isEmpty() || spoken >= maxSpokenChars)
        return;
    const qsizetype room = maxSpokenChars - spoken;
    QString kept = words.left(room);
    spoken = words.size() >= room ? maxSpokenChars : spoken + int(kept.size());
    // Never leave half of a surrogate pair at the cut.
    if (!kept.isEmpty() && kept.back().isHighSurrogate())
        kept.chop(1);
    if (!parts.isEmpty() && parts.back().kind == Part::Words)
        appendShown(parts.back().text, kept); // a dropped tag still parts two words
    else
        parts.append(Part{Part::Words, kept, 0});
}

void addPause(QList<Part> &parts, int ms) {
    if (ms <= 0)
        return;
    if (!parts.isEmpty() && parts.back().kind == Part::Pause)
        parts.back().pauseMs = std::min(parts.back().pauseMs + ms, maxPauseMs);
    else
        parts.append(Part{Part::Pause, QString(), ms});
}

} // namespace

QList<Part> parse(const QString &text) {
    QList<Part> parts;
    int spoken = 0;
    qsizetype done = 0; // start of the words not yet taken
    qsizetype at = 0;
    while ((at = text.indexOf(tagStart, at, Qt::CaseInsensitive)) >= 0) {
        addWords(parts, text.mid(done, at - done), spoken);
        const qsizetype argumentStart = at + tagStart.size();
        const qsizetype close = text.indexOf(u'\\', argumentStart);
        int pause = 0;
        if (close >= 0 && close - argumentStart <= maxTagArgument) {
            pause = std::max(0, readPause(QStringView(text).mid(argumentStart, close - argumentStart)));
            done = close + 1;
        } else {
            // Unterminated, or a runaway number: the digits that follow are the pause, whatever comes
            // after them is text again.
            qsizetype end = argumentStart;
            while (end < text.size() && text.at(end) >= u'0' && text.at(end) <= u'9')
                ++end;
            pause = std::max(0, readPause(QStringView(text).mid(argumentStart, end - argumentStart)));
            done = end < text.size() && text.at(end) == u'\\' ? end + 1 : end;
        }
        addPause(parts, pause);
        at = done;
    }
    addWords(parts, text.mid(done), spoken);
    return parts;
}

void appendShown(QString &shown, const QString &words) {
    // A pause between two words separates them on screen as it does in the voice.
    if (!shown.isEmpty() && !shown.back().isSpace() && !words.isEmpty() && !words.front().isSpace())
        shown += u' ';
    shown += words;
}

QString displayText(const QString &text) {
    QString shown;
    for (const Part &part : parse(text)) {
        if (part.kind == Part::Words)
            appendShown(shown, part.text);
    }
    return shown.trimmed();
}

int estimateMs(const QString &words) {
    const QString trimmed = words.trimmed();
    if (trimmed.isEmpty())
        return 0;
    const long long ms = (long long)trimmed.size() * msPerChar;
    return int(std::clamp<long long>(ms, minWordsMs, maxWordsMs));
}

} // namespace ingranix::speech
