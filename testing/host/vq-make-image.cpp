// vq-make-image OUT: writes the deterministic 4 MiB test flash image.
#include <stdio.h>

#include "testing/host/FlashImageGen.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: vq-make-image OUT\n");
        return 2;
    }
    const std::vector<uint8_t> image = vq::testing::MakeFlashImage();
    FILE* out = fopen(argv[1], "wb");
    if (out == nullptr) {
        perror(argv[1]);
        return 1;
    }
    const bool written = fwrite(image.data(), 1, image.size(), out) == image.size();
    const bool closed = fclose(out) == 0;
    if (!written || !closed) {
        fprintf(stderr, "vq-make-image: cannot write %s\n", argv[1]);
        remove(argv[1]);
        return 1;
    }
    return 0;
}
