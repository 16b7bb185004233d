#pragma once

#include <QRect>

namespace kmission::platform {

// Window layouts are designed in twips (1/1440 inch): 15 twips to a pixel at
// 96 pixels per inch. Qt scales the pixels on screens of higher density.
constexpr int Px(int twips) {
    return twips / 15;
}

// A control's place in the design (left, top, width, height in twips), in pixels.
inline QRect DesignRect(int left, int top, int width, int height) {
    return {Px(left), Px(top), Px(width), Px(height)};
}

} // namespace kmission::platform
