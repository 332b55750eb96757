// vq-dos-placeholder OUT: a minimal MS-DOS program that says it is a placeholder and exits with 1.
// It stands in for a DOS double that has not been built, so a payload can still be assembled;
// exiting with 1 keeps it from ever passing for a tool that worked.
#include <stdint.h>
#include <stdio.h>

#include <vector>

namespace {

constexpr uint16_t kHeaderParagraphs = 2;  // 32-byte header
constexpr uint16_t kExtraParagraphs = 16;  // room for the stack behind the image
constexpr uint16_t kStackTop = 0x0100;
constexpr char kMessage[] = "DOS double not built: placeholder\r\n$";

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: vq-dos-placeholder OUT\n");
        return 2;
    }
    // mov ax,cs / mov ds,ax / mov dx,msg / mov ah,9 / int 21h / mov ax,4C01h / int 21h
    const size_t codeSize = 16;
    std::vector<uint8_t> exe(kHeaderParagraphs * 16);
    const uint8_t code[] = {0x8C, 0xC8, 0x8E, 0xD8, 0xBA, uint8_t(codeSize), 0x00, 0xB4,
                            0x09, 0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};
    static_assert(sizeof code == codeSize);
    exe.insert(exe.end(), code, code + sizeof code);
    exe.insert(exe.end(), kMessage, kMessage + sizeof kMessage - 1);
    const size_t size = exe.size();
    exe[0] = 'M';
    exe[1] = 'Z';
    Put16(exe, 2, uint16_t(size % 512));        // bytes in the last page
    Put16(exe, 4, uint16_t((size + 511) / 512));  // pages
    Put16(exe, 8, kHeaderParagraphs);
    Put16(exe, 10, kExtraParagraphs);             // minimum extra memory
    Put16(exe, 12, 0xFFFF);                       // maximum extra memory
    Put16(exe, 14, uint16_t((size - kHeaderParagraphs * 16 + 15) / 16));  // SS after the image
    Put16(exe, 16, kStackTop);
    Put16(exe, 24, 0x1C);  // relocation table offset (no entries)
    FILE* out = fopen(argv[1], "wb");
    if (out == nullptr || fwrite(exe.data(), 1, exe.size(), out) != exe.size() || fclose(out) != 0) {
        fprintf(stderr, "vq-dos-placeholder: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
