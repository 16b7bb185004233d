#pragma once

namespace kmission::platform {

// Window layouts are designed in twips (1/1440 inch): 15 twips to a pixel at
// 96 pixels per inch. Qt scales the pixels on screens of higher density.
constexpr int Px(int twips) {
    return twips / 15;
}

} // namespace kmission::platform
