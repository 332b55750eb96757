// A container held in memory, read through the format's own readers.
#pragma once

#include <string>
#include <vector>

#include "payload/PayloadFormat.h"
#include "tools/vqpack/Bytes.h"

namespace vq {

struct ContainerView {
    TContainerInfo Info{};
    std::vector<TPayloadEntry> Extents;  // index = entry number; [0] is the image
};

// Reads the trailer, header and every record the way the program does. False with the
// reason when a reader would refuse the file.
bool ReadContainer(const Bytes& file, ContainerView& view, std::string& err);

// Reads the file at path whole and then as a container; err names the file.
bool LoadContainerFile(const std::string& path, Bytes& file, ContainerView& view, std::string& err);

}  // namespace vq
