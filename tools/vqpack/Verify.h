// Whether a file is a payload container exactly as this program's packer writes it.
#pragma once

#include <string>
#include <vector>

#include "payload/PayloadFormat.h"
#include "tools/vqpack/Bytes.h"

namespace vq {

// One line per problem; empty when the file is sound. Goes beyond what the readers need:
// exactly the entries of the payload's table (what both faces need), the layout rules every
// writer follows, every ".gz" entry as a sound gzip member with the payload's header values,
// and the flash image inside "Bios.bin.gz". Of a signed file also its bytes against the digest
// its signature carries, by the DOS face's own check; where that check cannot tell (a digest
// algorithm it lacks), `unchecked` (if given) receives what was left unchecked, and that alone
// is no problem.
std::vector<std::string> VerifyContainer(const Bytes& file, std::string* unchecked = nullptr);

// Why a reader refused file with e, in the words its user needs: a file that is no packed
// program at all, one cut short, one with bytes added after its end; the reader's own reason
// stays in the text.
std::string UnreadableText(const Bytes& file, ContainerError e);

}  // namespace vq
