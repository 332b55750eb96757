// DOS memory blocks (INT 21h 48h/49h/4Ah): buffers too large for the data group.
#pragma once

#include <stdint.h>

namespace vq::rt {

inline constexpr uint16_t ParagraphsFor(uint32_t bytes) { return uint16_t((bytes + 15) / 16); }

bool AllocParagraphs(uint16_t paragraphs, uint16_t& seg);
bool FreeSegment(uint16_t seg);
bool ResizeBlock(uint16_t seg, uint16_t paragraphs);

// Owns one block; frees it when it goes out of scope.
class DosBlock {
public:
    DosBlock() = default;
    DosBlock(const DosBlock&) = delete;
    DosBlock& operator=(const DosBlock&) = delete;
    ~DosBlock() { Free(); }

    bool Alloc(uint32_t bytes) { return Free() && AllocParagraphs(ParagraphsFor(bytes), seg_) && (held_ = true); }
    bool Free() {
        if (!held_) return true;
        held_ = false;
        return FreeSegment(seg_);
    }
    uint16_t Segment() const { return seg_; }

private:
    uint16_t seg_ = 0;
    bool held_ = false;
};

}  // namespace vq::rt
