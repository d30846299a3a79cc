#pragma once

#include <QImage>

#include <array>

// The desktop icon: the about panel's emblem reduced to what still reads in a menu, an orange machine
// with a red gear in its round window and the four gear colours as lights, on a blue tile.
namespace icon {

// The sizes icon themes look for in hicolor/<size>x<size>/apps.
inline constexpr std::array<int, 6> sizes{16, 32, 48, 64, 128, 256};

// The icon `size` pixels square with a transparent ground. Small sizes leave out the parts that
// would only blur (the gear behind the machine, the chimney). Pure: same size, same pixels.
QImage draw(int size);

} // namespace icon
