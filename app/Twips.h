#pragma once

#include <QRect>

// The window layouts are given in twips: 1/1440 inch, 15 twips to a pixel at 96 dots per inch.
// Qt's high-DPI scaling takes care of other densities.
constexpr int Twips(int twips) {
    return (twips * 2 + 15) / 30; // rounded to the nearest pixel
}

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}
