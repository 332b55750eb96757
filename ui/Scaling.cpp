// The screen-density rule, free of any window so that it can be tested natively.
#include "ui/Scaling.h"

#include <stdint.h>

namespace vq::ui {

int MulDivRound(int a, int b, int c) {
    const int64_t p = int64_t(a) * b;
    const int64_t half = (c < 0 ? -int64_t(c) : int64_t(c)) / 2;
    const bool negative = (p < 0) != (c < 0);
    const int64_t magnitude = ((p < 0 ? -p : p) + half) / (c < 0 ? -int64_t(c) : int64_t(c));
    return int(negative ? -magnitude : magnitude);
}

int FontHeightAtDpi(int designHeight, int dpi) {
    return dpi == kDesignDpi ? designHeight : MulDivRound(designHeight, dpi, kDesignDpi);
}

ScaleRatio ScaleFor(int measuredLineHeight) {
    if (measuredLineHeight == kDesignLineHeight || measuredLineHeight <= 0) {
        return {};
    }
    return {measuredLineHeight, kDesignLineHeight};
}

}  // namespace vq::ui
