// Placing the DOS program into a linked Windows image: the PE reader and patcher behind vqpack stub.
#pragma once

#include <stdint.h>

#include <string>

#include "tools/vqpack/Bytes.h"

namespace vq {

// The layout the build fixes (cmake/Layout.cmake), handed in by the compiler: where the PE headers
// go, and how far above the image base the first section must lie to leave them room.
inline constexpr uint32_t kPeHeaderOffset = VQ_PE_HEADER_OFFSET;
inline constexpr uint32_t kFirstSectionRva = VQ_TEXT_RVA;

// out = pe with dos as its MS-DOS stub and the PE headers at kPeHeaderOffset, every file pointer
// moved with the data it points to. False with the reason for anything it cannot place safely.
bool PlaceDosProgram(const Bytes& dos, const Bytes& pe, Bytes& out, std::string& err);

}  // namespace vq
