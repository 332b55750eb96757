// One upgrade at a time on the machine: the running instance holds a mark that a later start, in
// any session, finds held.
#pragma once

#include "base/Product.h"

namespace vq {

// The mark lies in a private namespace that only an elevated administrator can make: its
// boundary holds the Administrators group, which its maker must hold. Its boundary's name, its
// alias and the mark's name in it are the same for every version: two versions must not flash at
// once either.
inline constexpr const wchar_t* kMarkNamespace = L"" VQ_PRODUCT_NAME "." VQ_PROGRAM_NAME;
inline constexpr const wchar_t* kNamespacedMarkName = L"" VQ_PRODUCT_NAME "." VQ_PROGRAM_NAME "\\OneUpgrade";

// Where there are no private namespaces (before Vista, Wine), the mark's name in the namespace
// all sessions share, where anyone may make it first.
inline constexpr const char* kOneInstanceName = "Global\\" VQ_PRODUCT_NAME "." VQ_PROGRAM_NAME ".OneUpgrade";

// True when no other instance runs; this one then holds the mark until it ends. Without a private
// namespace, a mark that only an administrator can make but someone else made first is taken for
// no mark at all: a standard user could otherwise block every upgrade for good.
bool ClaimOnlyInstance();

// Brings the running instance's window to the front, restored if it was minimised. An instance in
// another session has no window here: nothing happens then.
void BringRunningInstanceForward();

}  // namespace vq
