#pragma once

// Colours of the program's pictures. The generator paints with them and the tests check the
// committed files against them, so a picture and its check cannot drift apart.
namespace corvane::palette {

struct Rgb {
    int r, g, b;
};

// Grid panel background, top to bottom.
inline constexpr Rgb kPanelTop{118, 142, 124};
inline constexpr Rgb kPanelBottom{214, 226, 214};
inline constexpr int kPanelWidth = 781;
inline constexpr int kPanelHeight = 406;

// Memory-recall and functions panels, top to bottom.
inline constexpr Rgb kRecallTop{46, 160, 84};
inline constexpr Rgb kRecallBottom{222, 226, 222};

// Unit pictures, left to right.
inline constexpr Rgb kUnitNormalLeft{0, 0, 128};
inline constexpr Rgb kUnitNormalRight{176, 204, 255};
inline constexpr Rgb kUnitSelectedLeft{128, 0, 0};
inline constexpr Rgb kUnitSelectedRight{255, 204, 214};

// Memory-key glyphs.
inline constexpr Rgb kDigitBackground{204, 240, 204};

// The hint picture's background is keyed out when it is drawn.
inline constexpr Rgb kHintKey{255, 0, 255};

}  // namespace corvane::palette
