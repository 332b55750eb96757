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

// A linked program that vqpack stub and vqpack build may take: no payload container yet, and no
// certificate table, because a signature made before packing cannot cover the container.
// False with the reason, in the same words for both commands.
bool CheckLinkedImage(const Bytes& image, std::string& err);

// Whether dos can be the MS-DOS stub: an MZ program that ends before the PE headers and whose
// relocations leave e_lfanew free. False with the reason.
bool CheckDosProgram(const Bytes& dos, std::string& err);

// out = pe with dos as its MS-DOS stub and the PE headers at kPeHeaderOffset, every file pointer
// moved with the data it points to. False with the reason for anything it cannot place safely.
bool PlaceDosProgram(const Bytes& dos, const Bytes& pe, Bytes& out, std::string& err);

}  // namespace vq
