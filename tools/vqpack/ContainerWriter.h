// Appending a payload container to an executable image: the one writer of the format.
#pragma once

#include <string>
#include <vector>

#include "tools/vqpack/Bytes.h"

namespace vq {

// image, then the header, then a record and the data of each entry (entry 1 first), then the
// trailer. entries holds the data of entries 1 .. N-1 exactly as they are to be stored. False
// when the result would reach 2 GiB.
bool BuildContainer(const Bytes& image, const std::vector<Bytes>& entries, Bytes& out,
                    std::string& err);

}  // namespace vq
