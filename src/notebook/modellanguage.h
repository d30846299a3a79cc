#pragma once

#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace ingranix::notebook {

// A mistake in a model's text: where it is (a range of the text, in QChar positions) and what to
// tell the player, in Italian, calmly ("manca una parentesi chiusa").
struct ModelError {
    int position = 0;
    int length = 0;
    QString message;
};

// The player's model: a calculation of x in school notation, compiled once and evaluated many
// times. x is the typed input read as the machine reads it; "?" (a value that is not a number) is
// the model saying the calculation is impossible. Copying is cheap; a default model is empty.
// Copies share one compiled parser, so a model and its copies are evaluated on one thread.
class Model {
public:
    Model();
    ~Model();
    Model(const Model &);
    Model &operator=(const Model &);

    // Any text at all: a mistake gives a model with an error, never an exception or a crash.
    static Model compile(const QString &text);

    bool isEmpty() const; // blank text: no model yet
    bool isValid() const; // compiled without error
    const std::optional<ModelError> &error() const;
    const QString &text() const;

    // The model's value for x; NaN for "?" (and for an empty or faulty model).
    double value(double x) const;
    // The model's caption for a typed input: the input read as the machine reads it, the value
    // written as the machine writes numbers, "?" where the model says impossible. Empty when the
    // model is empty or faulty.
    QString caption(QStringView inputText, QStringView decimalSeparator) const;

private:
    struct Compiled;
    std::shared_ptr<const Compiled> compiled_;
};

} // namespace ingranix::notebook
