// Turning colour values into the RGB the painting calls take.
#include "ui/Colors.h"

namespace vq::ui {

uint32_t ColorToRgb(TColor color, SysColorLookup sysColor) {
    if ((color & kSystemColorFlag) == 0) {
        return color;
    }
    return sysColor(static_cast<int>(color & ~kSystemColorFlag)) & 0x00FFFFFFu;
}

}  // namespace vq::ui
