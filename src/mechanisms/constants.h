#pragma once

#include <QtGlobal>

#include <array>

namespace ingranix {

// The machine's hidden 4 x 4 table of small constants. Rows and columns are numbered 1 to 4,
// as the game's rules name them: C(r, c).
class ConstantsTable {
public:
    ConstantsTable() { clear(); }

    qint16 at(int row, int column) const { return cells_[index(row, column)]; }
    void set(int row, int column, qint16 value) { cells_[index(row, column)] = value; }
    void clear() { cells_.fill(0); }

    friend bool operator==(const ConstantsTable &, const ConstantsTable &) = default;

private:
    static std::size_t index(int row, int column) {
        Q_ASSERT(row >= 1 && row <= 4 && column >= 1 && column <= 4);
        return std::size_t((row - 1) * 4 + (column - 1));
    }
    std::array<qint16, 16> cells_{};
};

} // namespace ingranix
