// Placing the DOS program into a linked Windows image: the PE reader and patcher behind vqpack stub.
#pragma once

#include <string>

#include "tools/vqpack/Bytes.h"

namespace vq {

// out = pe with dos as its MS-DOS stub and the PE headers at 0x5000, every file pointer moved
// with the data it points to. False with the reason for anything it cannot place safely.
bool PlaceDosProgram(const Bytes& dos, const Bytes& pe, Bytes& out, std::string& err);

}  // namespace vq
