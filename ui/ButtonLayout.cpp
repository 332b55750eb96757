// The picture button's layout rule, free of any window so that it can be tested natively.
#include "ui/ButtonLayout.h"

namespace vq::ui {

ButtonLayout LayOutGlyphAndText(int clientWidth, int clientHeight, int glyphWidth,
                                int glyphHeight, int textWidth, int textHeight, int spacing) {
    ButtonLayout l{};
    const int total = glyphWidth + spacing + textWidth;
    l.GlyphLeft = (clientWidth - total) / 2;
    l.TextLeft = l.GlyphLeft + glyphWidth + spacing;
    // An odd spare pixel goes above.
    l.GlyphTop = (clientHeight - glyphHeight + 1) / 2;
    l.TextTop = (clientHeight - textHeight + 1) / 2;
    return l;
}

}  // namespace vq::ui
