// Whether a file is a payload container exactly as this program's packer writes it.
#pragma once

#include <string>
#include <vector>

#include "tools/vqpack/Bytes.h"

namespace vq {

// One line per problem; empty when the file is sound. Goes beyond what the readers need:
// the layout rules every writer follows, every ".gz" entry as a sound gzip member with the
// payload's header values, and for a full payload the flash image inside "Bios.bin.gz".
std::vector<std::string> VerifyContainer(const Bytes& file);

}  // namespace vq
