#include "files/mechanismrecord.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace ingranix::mechanismfile {

namespace {

// The record is read from the first line only, and from at most this many bytes of it, so that a
// huge or binary file chosen by mistake costs no more than a normal one.
constexpr qint64 maxRecordBytes = 4096;

QString withReason(const QString &what, const QFile &file) {
    return what + QStringLiteral(": ") + file.errorString();
}

void setError(QString *error, const QString &text) {
    if (error)
        *error = text;
}

// Mid(text, start, length) with 1-based start: what lies beyond the end is simply not there.
QStringView mid(QStringView text, qsizetype start, qsizetype length) {
    const qsizetype from = start - 1;
    if (from >= text.size())
        return {};
    return text.sliced(from, qMin(length, text.size() - from));
}

// The single character at 1-based `position` read as a number; -1 when it is not a digit 0-9.
int digitAt(QStringView record, qsizetype position) {
    const QStringView field = mid(record, position, 1);
    if (field.size() != 1 || field.at(0) < u'0' || field.at(0) > u'9')
        return -1;
    return field.at(0).unicode() - u'0';
}

// Records are written as UTF-8; one written by a program using the Western ANSI code page is not
// valid UTF-8, and Latin-1 reads its level, colour and digits the same way.
QString decode(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    // A multi-byte character cut by the size limit stays pending in the decoder, not an error.
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

} // namespace

QString buildRecord(const MechanismState &state) {
    QString record =
        state.levelText + u'*' + state.gearColour + u'*' + QString::number(state.mechanismIndex) + u'*';
    for (int row = 1; row <= 4; ++row)
        for (int column = 1; column <= 4; ++column)
            record += QString::number(state.constants.at(row, column)) + u'*';
    return record;
}

QString savePath(const QString &chosenName) {
    // A cancelled dialog reports no name: there is nothing to save, not a hidden ".txt" to create.
    if (chosenName.isEmpty())
        return {};
    if (chosenName.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        return chosenName;
    return chosenName + QLatin1String(".txt");
}

bool appendRecord(const QString &path, const MechanismState &state, QString *error) {
    if (path.isEmpty()) {
        setError(error, QStringLiteral("no file name"));
        return false;
    }
    // A pipe or device would block the window or swallow the record.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        setError(error, path + QStringLiteral(" is not a regular file"));
        return false;
    }

    // When the file's last line has no line end, the record must start a line of its own rather than
    // lengthen that line.
    QByteArray line;
    {
        QFile existing(path);
        if (existing.size() > 0 && existing.open(QIODevice::ReadOnly) && existing.seek(existing.size() - 1)) {
            char last = '\n';
            if (existing.getChar(&last) && last != '\n')
                line = "\r\n";
        }
    }
    line += '"' + buildRecord(state).toUtf8() + "\"\r\n";

    // Unbuffered append: the line goes to the system in one write after whatever the file holds, so
    // the lines already there are never rewritten.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        setError(error, withReason(QStringLiteral("cannot open ") + path, file));
        return false;
    }
    const qint64 sizeBefore = file.size();
    const qint64 written = file.write(line);
    bool ok = written == line.size();
    QString reason;
    if (!ok)
        reason = withReason(QStringLiteral("cannot write ") + path, file);
    if (ok && !file.flush()) {
        ok = false;
        reason = withReason(QStringLiteral("cannot flush ") + path, file);
    }
    if (!ok) {
        // A record cut short by a full disk would leave a broken line after the good ones: take the
        // file back to the size it had.
        file.resize(sizeBefore);
    }
    file.close();
    if (ok && file.error() != QFileDevice::NoError) {
        ok = false;
        reason = withReason(QStringLiteral("cannot close ") + path, file);
    }
    if (!ok)
        setError(error, reason);
    return ok;
}

QString readRecordText(const QString &path) {
    // Only regular files: a pipe or a device chosen in the dialog could block or never end.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(maxRecordBytes);
    file.close();

    const qsizetype lineEnd = bytes.indexOf('\n');
    if (lineEnd >= 0)
        bytes.truncate(lineEnd);
    const qsizetype carriageReturn = bytes.indexOf('\r');
    if (carriageReturn >= 0)
        bytes.truncate(carriageReturn);

    const QString line = decode(bytes);
    const qsizetype open = line.indexOf(u'"');
    if (open < 0)
        return line;
    return line.mid(open + 1).section(u'"', 0, 0); // up to the closing quote, if there is one
}

void applyRecord(QStringView record, MechanismState &state) {
    // Every field sits at a fixed position; a step whose field is missing or not a digit is skipped.
    state.levelText = mid(record, 1, 8).toString();

    const qsizetype colourLength = record.size() - 44;
    if (colourLength >= 0) {
        const QString colour = mid(record, 10, colourLength).toString();
        state.colourSelectorText = colour;
        state.gearColour = colour;
    }

    const qsizetype lengths = state.colourSelectorText.size() + state.levelText.size();
    if (const int index = digitAt(record, lengths + 3); index >= 0)
        state.mechanismIndex = qint16(index);

    for (int k = 1; k <= 4; ++k) {
        for (int row = 1; row <= 4; ++row) {
            const qsizetype position = 2 * k + lengths + 3 + 8 * (row - 1);
            if (const int value = digitAt(record, position); value >= 0)
                state.constants.set(row, k, qint16(value));
        }
    }
}

} // namespace ingranix::mechanismfile
