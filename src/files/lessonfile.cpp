#include "files/lessonfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace ingranix::lessonfile {

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray magic = "Ingranix lezione "_ba;
const QByteArray endLine = "fine"_ba;
constexpr int experimentFields = 8;
// The shortest experiment line: eight fields, seven tabs, sixteen constants.
constexpr qint64 shortestExperimentBytes = 46;

QString escaped(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += u"\\\\"_s;
            break;
        case u'\t':
            out += u"\\t"_s;
            break;
        case u'\n':
            out += u"\\n"_s;
            break;
        case u'\r':
            out += u"\\r"_s;
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<QString> unescaped(QStringView text) {
    if (!text.contains(u'\\'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case u'\\':
            out += u'\\';
            break;
        case u't':
            out += u'\t';
            break;
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

QString constantsText(const ConstantsTable &table) {
    QString text;
    text.reserve(31);
    for (int e = 0; e < 16; ++e) {
        if (e > 0)
            text += u' ';
        text += QString::number(table.at(e / 4 + 1, e % 4 + 1));
    }
    return text;
}

// The machine only ever holds single digits: the game draws 1 to 9, a Level 1 threshold adds 4 to a
// 0, 1 or 2, and a mechanism file gives digits.
bool inRange(int value) {
    return value >= 0 && value <= 9;
}

enum class Field { Ok, Damaged, OutOfRange };

Field readNumber(QStringView text, int *value) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok)
        return Field::Damaged;
    *value = number;
    return inRange(number) ? Field::Ok : Field::OutOfRange;
}

Field readIndex(QStringView text, qint16 *index) {
    int value = 0;
    const Field field = readNumber(text, &value);
    if (field == Field::Ok)
        *index = qint16(value);
    return field;
}

Field readConstants(QStringView text, ConstantsTable *table) {
    // As written: sixteen digits with a blank between each.
    bool plain = text.size() == 31;
    for (qsizetype i = 0; plain && i < 31; ++i)
        plain = i % 2 ? text[i] == u' ' : text[i] >= u'0' && text[i] <= u'9';
    if (plain) {
        for (int e = 0; e < 16; ++e)
            table->set(e / 4 + 1, e % 4 + 1, qint16(text[2 * e].unicode() - u'0'));
        return Field::Ok;
    }
    const auto parts = text.split(u' ');
    if (parts.size() != 16)
        return Field::Damaged;
    Field worst = Field::Ok;
    for (int e = 0; e < 16; ++e) {
        int value = 0;
        const Field field = readNumber(parts[e], &value);
        if (field == Field::Damaged)
            return field;
        if (field == Field::OutOfRange)
            worst = field;
        else
            table->set(e / 4 + 1, e % 4 + 1, qint16(value));
    }
    return worst;
}

// Lines of the text, one at a time, their ends ("\n" or "\r\n") taken off.
class Lines {
public:
    explicit Lines(QByteArrayView text) : text_(text) {
        if (text_.startsWith("\xEF\xBB\xBF")) // an editor's byte order mark
            text_ = text_.sliced(3);
    }
    bool next(QByteArrayView *line) {
        if (pos_ >= text_.size())
            return false;
        const qsizetype end = text_.indexOf('\n', pos_);
        const qsizetype stop = end < 0 ? text_.size() : end;
        *line = text_.sliced(pos_, stop - pos_);
        if (line->endsWith('\r'))
            line->chop(1);
        pos_ = end < 0 ? text_.size() : end + 1;
        unterminated_ = end < 0;
        ++number_;
        return true;
    }
    // The next line that is neither blank nor a comment.
    bool nextRecord(QByteArrayView *line) {
        while (next(line)) {
            if (!line->isEmpty() && !line->startsWith('#'))
                return true;
        }
        return false;
    }
    int number() const { return number_; }
    // The last line read has no line end: the text stops inside it.
    bool unterminated() const { return unterminated_; }

private:
    QByteArrayView text_;
    qsizetype pos_ = 0;
    int number_ = 0;
    bool unterminated_ = false;
};

// Only a line that is there but does not read has a place worth telling.
ReadResult failure(Problem problem, int line = 0) {
    ReadResult result;
    result.problem = problem;
    result.line = problem == Problem::Damaged || problem == Problem::OutOfRange ? line : 0;
    return result;
}

std::optional<QString> decoded(QByteArrayView bytes) {
    // Most lines are plain ASCII: they need no decoder.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

// Reads the experiment line into `experiment`.
Field readExperiment(QStringView line, Experiment *experiment) {
    const auto fields = line.split(u'\t');
    if (fields.size() != experimentFields)
        return Field::Damaged;
    const auto input = unescaped(fields[0]), output = unescaped(fields[1]), level = unescaped(fields[2]),
               colour = unescaped(fields[3]), own = unescaped(fields[7]);
    if (!input || !output || !level || !colour || !own)
        return Field::Damaged;
    experiment->input = *input;
    experiment->output = *output;
    experiment->levelText = *level;
    experiment->gearColour = *colour;
    experiment->ownPrediction = *own;
    if (fields[6] == u"sì")
        experiment->afterModel = true;
    else if (fields[6] == u"no")
        experiment->afterModel = false;
    else
        return Field::Damaged;
    const Field index = readIndex(fields[4], &experiment->mechanismIndex);
    if (index == Field::Damaged)
        return index;
    const Field constants = readConstants(fields[5], &experiment->constants);
    if (constants == Field::Damaged)
        return constants;
    return index == Field::Ok && constants == Field::Ok ? Field::Ok : Field::OutOfRange;
}

} // namespace

int Lesson::firstAfterModel() const {
    const auto first = std::find_if(experiments.begin(), experiments.end(),
                                    [](const Experiment &experiment) { return experiment.afterModel; });
    return int(first - experiments.begin());
}

QByteArray toText(const Lesson &lesson) {
    QString text;
    text.reserve(256 + qsizetype(lesson.experiments.size()) * 64);
    text += QString::fromLatin1(magic) + QString::number(version) + u'\n';
    text += u"# Una lezione di Ingranix: il meccanismo della macchina, il modello e gli esperimenti.\n"_s;
    // With the offset from UTC written out, so the date reads the same in another time zone.
    const QDateTime saved = lesson.saved.toOffsetFromUtc(lesson.saved.offsetFromUtc());
    text += u"data\t"_s + saved.toString(Qt::ISODate) + u'\n';
    const MechanismState &m = lesson.mechanism;
    text += u"livello\t"_s + escaped(m.levelText) + u'\n';
    text += u"ingranaggi\t"_s + escaped(m.colourSelectorText) + u'\n';
    text += u"colore\t"_s + escaped(m.gearColour) + u'\n';
    text += u"meccanismo\t"_s + QString::number(m.mechanismIndex) + u'\n';
    text += u"costanti\t"_s + constantsText(m.constants) + u'\n';
    text += u"modello\t"_s + escaped(lesson.model) + u'\n';
    text += u"esperimenti\t"_s + QString::number(lesson.experiments.size()) + u'\n';
    text += u"# input\toutput\tlivello\tcolore\tmeccanismo\tcostanti\tdopo il modello\tla mia previsione\n"_s;
    for (const Experiment &e : lesson.experiments) {
        text += escaped(e.input) + u'\t' + escaped(e.output) + u'\t' + escaped(e.levelText) + u'\t' +
                escaped(e.gearColour) + u'\t' + QString::number(e.mechanismIndex) + u'\t' +
                constantsText(e.constants) + u'\t' + (e.afterModel ? u"sì"_s : u"no"_s) + u'\t' +
                escaped(e.ownPrediction) + u'\n';
    }
    text += QString::fromLatin1(endLine) + u'\n';
    return text.toUtf8();
}

ReadResult parse(QByteArrayView text) {
    if (text.size() > maxFileBytes)
        return failure(Problem::TooLarge);
    Lines lines(text);
    QByteArrayView line;
    if (!lines.next(&line) || !line.startsWith(magic))
        return failure(Problem::NotALesson);
    {
        bool ok = false;
        const int fileVersion = line.sliced(magic.size()).toByteArray().toInt(&ok);
        if (!ok || fileVersion < 1)
            return failure(Problem::NotALesson);
        if (fileVersion > version)
            return failure(Problem::NewerVersion);
    }

    // The header: "key TAB value" lines in any order, each once; keys of a later revision are passed over.
    static const QStringList required = {u"data"_s,       u"livello"_s,  u"ingranaggi"_s, u"colore"_s,
                                         u"meccanismo"_s, u"costanti"_s, u"modello"_s};
    QStringList seen;
    Lesson lesson;
    bool outOfRange = false;
    int outOfRangeLine = 0;
    int declared = -1;
    while (declared < 0) {
        if (!lines.nextRecord(&line))
            return failure(Problem::Truncated);
        const auto value = decoded(line);
        if (!value)
            return failure(lines.unterminated() ? Problem::Truncated : Problem::Damaged, lines.number());
        if (lines.unterminated())
            return failure(Problem::Truncated);
        const qsizetype tab = value->indexOf(u'\t');
        if (tab < 0)
            return failure(Problem::Damaged, lines.number());
        const QString key = value->left(tab);
        const QStringView field = QStringView(*value).sliced(tab + 1);
        if (seen.contains(key))
            return failure(Problem::Damaged, lines.number());
        seen << key;
        Field read = Field::Ok;
        MechanismState &m = lesson.mechanism;
        if (key == u"esperimenti") {
            bool ok = false;
            const qlonglong count = field.toLongLong(&ok);
            if (!ok || count < 0)
                return failure(Problem::Damaged, lines.number());
            if (count > maxExperiments)
                return failure(Problem::TooLarge);
            declared = int(count);
            for (const QString &name : required) {
                if (!seen.contains(name))
                    return failure(Problem::Damaged, lines.number());
            }
        } else if (key == u"data") {
            lesson.saved = QDateTime::fromString(field.toString(), Qt::ISODate);
            // Whole seconds, as they are written: a lesson saved again reads the same.
            lesson.saved = lesson.saved.addMSecs(-lesson.saved.time().msec());
            read = lesson.saved.isValid() ? Field::Ok : Field::Damaged;
        } else if (key == u"meccanismo") {
            read = readIndex(field, &m.mechanismIndex);
        } else if (key == u"costanti") {
            read = readConstants(field, &m.constants);
        } else if (key == u"livello" || key == u"ingranaggi" || key == u"colore" || key == u"modello") {
            const auto text = unescaped(field);
            if (!text)
                return failure(Problem::Damaged, lines.number());
            (key == u"livello"      ? m.levelText
             : key == u"ingranaggi" ? m.colourSelectorText
             : key == u"colore"     ? m.gearColour
                                    : lesson.model) = *text;
        }
        if (read == Field::Damaged)
            return failure(Problem::Damaged, lines.number());
        if (read == Field::OutOfRange && !outOfRange) {
            outOfRange = true;
            outOfRangeLine = lines.number();
        }
    }

    // No more room is taken than the text can hold, whatever the count says.
    lesson.experiments.reserve(
        std::size_t(std::min<qint64>(declared, text.size() / shortestExperimentBytes + 1)));
    bool afterModel = false;
    for (int k = 0; k < declared; ++k) {
        if (!lines.nextRecord(&line))
            return failure(Problem::Truncated);
        const auto value = decoded(line);
        if (!value)
            return failure(lines.unterminated() ? Problem::Truncated : Problem::Damaged, lines.number());
        if (line == endLine)
            return failure(Problem::Truncated, lines.number());
        Experiment experiment;
        const Field read = readExperiment(*value, &experiment);
        // A line that stops short at the very end is a file cut while it was written or copied.
        if (read == Field::Damaged && lines.unterminated())
            return failure(Problem::Truncated);
        // Only the newest experiments can have been run after the model last changed.
        if (read == Field::Damaged || (afterModel && !experiment.afterModel))
            return failure(Problem::Damaged, lines.number());
        if (read == Field::OutOfRange && !outOfRange) {
            outOfRange = true;
            outOfRangeLine = lines.number();
        }
        afterModel = experiment.afterModel;
        // Most experiments share their level and colour with the one before: one copy of each text.
        if (!lesson.experiments.empty()) {
            const Experiment &before = lesson.experiments.back();
            if (experiment.levelText == before.levelText)
                experiment.levelText = before.levelText;
            if (experiment.gearColour == before.gearColour)
                experiment.gearColour = before.gearColour;
        }
        lesson.experiments.push_back(std::move(experiment));
    }
    if (!lines.nextRecord(&line))
        return failure(Problem::Truncated);
    if (line != endLine)
        return failure(endLine.startsWith(line) ? Problem::Truncated : Problem::Damaged, lines.number());
    // Nothing but blanks and comments after the end: anything else means the file is not what it says.
    if (lines.nextRecord(&line))
        return failure(Problem::Damaged, lines.number());
    if (outOfRange)
        return failure(Problem::OutOfRange, outOfRangeLine);

    ReadResult result;
    result.lesson = std::move(lesson);
    return result;
}

ReadResult read(const QString &path) {
    // Only regular files: a pipe or a device chosen in the dialog could block or never end.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return failure(Problem::Unreadable);
    if (info.size() > maxFileBytes)
        return failure(Problem::TooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(Problem::Unreadable);
    // Read as far as it was measured, and a byte more: a file that keeps growing cannot hold the reader, and
    // read() sets aside no more room than that.
    const QByteArray bytes = file.read(std::min(info.size(), maxFileBytes) + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(Problem::Unreadable);
    return parse(bytes);
}

Problem save(const QString &path, const Lesson &lesson, QString *error) {
    if (lesson.experiments.size() > std::size_t(maxExperiments))
        return Problem::TooLarge;
    const QByteArray text = toText(lesson);
    if (text.size() > maxFileBytes)
        return Problem::TooLarge;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return Problem::Unreadable;
    }
    // commit() replaces the earlier file only when every byte is written and flushed; otherwise the
    // temporary file is removed and the earlier one stays as it was.
    if (file.write(text) != text.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return Problem::Unreadable;
    }
    return Problem::None;
}

QString savePath(const QString &chosenName) {
    if (chosenName.isEmpty())
        return {};
    if (chosenName.endsWith(u".lezione"_s, Qt::CaseInsensitive))
        return chosenName;
    return chosenName + u".lezione"_s;
}

QString problemText(Problem problem) {
    const QString unchanged = u" La partita resta com'era."_s;
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::Unreadable:
        return u"Non riesco a leggere questo file."_s + unchanged;
    case Problem::NotALesson:
        return u"Questo file non è una lezione di Ingranix."_s + unchanged;
    case Problem::NewerVersion:
        return u"Questa lezione è stata salvata da una versione più nuova di Ingranix."_s + unchanged;
    case Problem::Truncated:
        return u"Questa lezione è incompleta: forse il file è stato tagliato."_s + unchanged;
    case Problem::TooLarge:
        return u"Questa lezione è troppo grande per aprirla."_s + unchanged;
    case Problem::Damaged:
        return u"Questa lezione è rovinata: una riga non si legge."_s + unchanged;
    case Problem::OutOfRange:
        return u"Questa lezione ha dei numeri che la macchina non conosce."_s + unchanged;
    case Problem::ModelMistake:
        return u"Il modello di questa lezione ha un errore."_s + unchanged;
    }
    return {};
}

} // namespace ingranix::lessonfile
