// vqresgen: draws the icon and the button picture and writes them as Vorquint.ico and Upgrade.bmp.
#include <stdio.h>

#include <string>
#include <vector>

#include "res/gen/ImageFiles.h"
#include "res/gen/Pictures.h"

namespace {

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "vqresgen: cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: vqresgen OUTPUT-DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = WriteFile(dir + "/Vorquint.ico", vq::res::IcoFile(vq::res::DrawIcon())) &&
                    WriteFile(dir + "/Upgrade.bmp", vq::res::BmpFile(vq::res::DrawGlyph()));
    return ok ? 0 : 1;
}
