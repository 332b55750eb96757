// One upgrade at a time on the machine: the running instance holds a mark that a later start, in
// any session, finds held.
#pragma once

#include "base/Product.h"

namespace vq {

// The mark's name, in the namespace all sessions share. The same for every version: two versions
// must not flash at once either.
inline constexpr const char* kOneInstanceName = "Global\\" VQ_PRODUCT_NAME ".Vorquint.OneUpgrade";

// True when no other instance runs; this one then holds the mark until it ends. A mark that only
// an administrator can make but someone else made first is taken for no mark at all: a standard
// user could otherwise block every upgrade for good.
bool ClaimOnlyInstance();

// Brings the running instance's window to the front, restored if it was minimised. An instance in
// another session has no window here: nothing happens then.
void BringRunningInstanceForward();

}  // namespace vq
