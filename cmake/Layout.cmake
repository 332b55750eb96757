# The executable's fixed layout, written once here. The DOS program's linker script, vqpack's
# splice, the Windows link and the tests all take it from these variables.

# Where the Windows headers stand in the file, behind the DOS program: its MZ header points here.
set(VQ_PE_HEADER_OFFSET 0x5000)
# Where the DOS program's load image ends in the file; its MZ header's page counts say so.
set(VQ_DOS_IMAGE_END 0x4EA4)
# The Windows image's first section lies this far above the image base, so that the headers,
# moved to VQ_PE_HEADER_OFFSET, still end below it in memory.
set(VQ_TEXT_RVA 0x6000)
# The .text address to link with, from mingw's default image bases.
math(EXPR VQ_TEXT_START_X86_64 "0x140000000 + ${VQ_TEXT_RVA}" OUTPUT_FORMAT HEXADECIMAL)
math(EXPR VQ_TEXT_START_I686 "0x400000 + ${VQ_TEXT_RVA}" OUTPUT_FORMAT HEXADECIMAL)

# The most the release image (the DOS part and the Windows program: everything before the
# payload) may take; the release check holds the win32 build to it. Growing past it is a decision:
# raise it here, saying why.
set(VQ_IMAGE_BUDGET 98304)  # 96 KiB

# The same values for the compiler (-D), and for the linker script (--defsym).
set(VQ_LAYOUT_DEFINITIONS VQ_PE_HEADER_OFFSET=${VQ_PE_HEADER_OFFSET} VQ_DOS_IMAGE_END=${VQ_DOS_IMAGE_END}
    VQ_TEXT_RVA=${VQ_TEXT_RVA})
set(VQ_DOS_LAYOUT_SYMBOLS --defsym=kPeHeaderOffset=${VQ_PE_HEADER_OFFSET}
    --defsym=kImageFileEnd=${VQ_DOS_IMAGE_END})
