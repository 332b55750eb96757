// Status and failure lines: each overwrites the line before it at a fixed position.
#pragma once

#include "dos/DosLogic.h"

namespace vq::dos {

void ShowStatus(TextPos statusPos, const char* text);
void ShowFailure(TextPos statusPos, const char* text);
// A second failure line, below the first, in the same colour.
void ShowFailureDetail(TextPos statusPos, const char* text);

}  // namespace vq::dos
