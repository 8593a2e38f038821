#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The windows are laid out in twips (1/1440 inch), 15 to a pixel at 96 dots
// per inch. Every figure divides exactly; Qt's high-DPI scaling takes the
// pixels on to larger screens.

namespace corvanta::ui {

inline constexpr int kTwipsPerPixel = 15;

constexpr int Px(int twips) { return twips / kTwipsPerPixel; }

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return {Px(left), Px(top), Px(width), Px(height)};
}

constexpr QSize TwipsSize(int width, int height) { return {Px(width), Px(height)}; }

constexpr QPoint TwipsPoint(int x, int y) { return {Px(x), Px(y)}; }

}  // namespace corvanta::ui
