// Where a picture button puts its glyph and caption: side by side, centred together.
#pragma once

namespace vq::ui {

inline constexpr int kGlyphSpacing = 4;  // between the glyph and the caption

struct ButtonLayout {
    int GlyphLeft, GlyphTop;
    int TextLeft, TextTop;
};

// Glyph left of the text, `spacing` apart; the pair centred across, each centred down.
ButtonLayout LayOutGlyphAndText(int clientWidth, int clientHeight, int glyphWidth,
                                int glyphHeight, int textWidth, int textHeight, int spacing);

}  // namespace vq::ui
