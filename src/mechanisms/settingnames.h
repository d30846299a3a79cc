#pragma once

#include <QStringList>
#include <QStringView>

#include <array>

// The names the machine's settings go by: the selectors list them, the calculations are chosen by them,
// the game checks a typed text against them and the files keep them. Written here once.
namespace ingranix {

// The level selector's entries; level n is named levelNames[n - 1].
inline constexpr std::array<QStringView, 4> levelNames{u"Livello1", u"Livello2", u"Livello3", u"Livello4"};

// The gear colours, in the order of the colour selector and of the calculation tables' columns.
enum class GearColour { Rosso, Verde, Blu, Grigio };
inline constexpr std::array<QStringView, 4> gearColourNames{u"rosso", u"verde", u"blu", u"grigio"};

constexpr QStringView nameOf(GearColour colour) {
    return gearColourNames[std::size_t(colour)];
}

// The level number 1..4 named exactly by a level text, or 0 when it names none.
inline int levelNumber(QStringView levelText) {
    for (std::size_t i = 0; i < levelNames.size(); ++i) {
        if (levelText == levelNames[i])
            return int(i) + 1;
    }
    return 0;
}

// The position of the colour named exactly by a text in gearColourNames, or -1 when it names none.
inline int gearColourIndex(QStringView colourName) {
    for (std::size_t i = 0; i < gearColourNames.size(); ++i) {
        if (colourName == gearColourNames[i])
            return int(i);
    }
    return -1;
}

// A list of names as a selector's entries.
template <std::size_t N> QStringList textsOf(const std::array<QStringView, N> &names) {
    QStringList texts;
    for (QStringView name : names)
        texts << name.toString();
    return texts;
}

} // namespace ingranix
