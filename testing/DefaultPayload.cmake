# The default payload of a Windows tree: our test doubles, the generated flash image and the part
# list, appended to the linked program as <tree>/bin/Vorquint.exe (what the demo and e2e run).
include(${PROJECT_SOURCE_DIR}/cmake/Assemble.cmake)

set(VQ_PAYLOAD_INPUTS ${CMAKE_BINARY_DIR}/payload-inputs)
file(MAKE_DIRECTORY ${VQ_PAYLOAD_INPUTS})

# The DOS doubles come from the host tree; checked on every build, as the host tree may build later.
add_custom_target(vq_dos_entries
  COMMAND ${CMAKE_COMMAND} -DSRC=${VQ_HOST_DOS_GZIP} -DDST=${VQ_PAYLOAD_INPUTS}/GZip.exe
          -DPLACEHOLDER=${VQ_HOST_DOS_PLACEHOLDER} -P ${CMAKE_CURRENT_SOURCE_DIR}/StageDosEntry.cmake
  COMMAND ${CMAKE_COMMAND} -DSRC=${VQ_HOST_DOS_FLASH} -DDST=${VQ_PAYLOAD_INPUTS}/fpt.exe
          -DPLACEHOLDER=${VQ_HOST_DOS_PLACEHOLDER} -P ${CMAKE_CURRENT_SOURCE_DIR}/StageDosEntry.cmake
  BYPRODUCTS ${VQ_PAYLOAD_INPUTS}/GZip.exe ${VQ_PAYLOAD_INPUTS}/fpt.exe
  VERBATIM)

add_custom_command(OUTPUT ${VQ_PAYLOAD_INPUTS}/Bios.bin
  COMMAND ${VQ_HOST_MAKE_IMAGE} ${VQ_PAYLOAD_INPUTS}/Bios.bin
  DEPENDS ${VQ_HOST_MAKE_IMAGE}
  COMMENT "Generating the test flash image"
  VERBATIM)

vq_assemble(TARGET Vorquint
  OUTPUT ${CMAKE_BINARY_DIR}/bin/Vorquint.exe
  IMAGE $<TARGET_FILE:Vorquint_linked>
  STUB ${VQ_HOST_DOS_PROGRAM}
  ENTRIES
    ${VQ_PAYLOAD_INPUTS}/GZip.exe
    $<TARGET_FILE:double_gzipw>
    ${CMAKE_CURRENT_SOURCE_DIR}/data/fparts.txt
    ${VQ_PAYLOAD_INPUTS}/fpt.exe
    $<TARGET_FILE:double_fptw>
    $<TARGET_FILE:double_fptw64>
    $<TARGET_FILE:double_idrvdll>
    $<TARGET_FILE:double_idrvdll32e>
    $<TARGET_FILE:double_pmxdll>
    $<TARGET_FILE:double_pmxdll32e>
    ${VQ_PAYLOAD_INPUTS}/Bios.bin
  DEPENDS vq_dos_entries)
