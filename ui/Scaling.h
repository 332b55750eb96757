// How the window grows on screens that are not 96 pixels per inch.
#pragma once

namespace vq::ui {

inline constexpr int kDesignDpi = 96;
inline constexpr int kDesignLineHeight = 15;  // one line of the window font at 96 dpi

// a * b / c rounded half away from zero, as Windows' MulDiv does.
int MulDivRound(int a, int b, int c);

// The window font's height on a screen of `dpi`, before anything is measured.
int FontHeightAtDpi(int designHeight, int dpi);

// The factor applied to every position, size and font: measured / 15 when one line of the
// window font (at its dpi-adjusted height) is not 15 pixels high, whatever the density (a
// stand-in for a missing Calibri at 96 dpi counts too); otherwise 1.
struct ScaleRatio {
    int Num = 1;
    int Den = 1;
    int Apply(int value) const { return Num == Den ? value : MulDivRound(value, Num, Den); }
};

ScaleRatio ScaleFor(int measuredLineHeight);

}  // namespace vq::ui
