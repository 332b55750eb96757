# The default payload of a Windows tree: our test doubles, the generated flash image and the part
# list. Sets VQ_DEFAULT_PAYLOAD (the entries in order) and VQ_DEFAULT_PAYLOAD_DEPENDS (what makes
# them), for the product's assembly in app/.

set(VQ_PAYLOAD_INPUTS ${CMAKE_BINARY_DIR}/payload-inputs)
file(MAKE_DIRECTORY ${VQ_PAYLOAD_INPUTS})

# The DOS doubles come from the host tree; checked on every build, as the host tree may build later.
add_custom_target(vq_testing_dos_entries
  COMMAND ${CMAKE_COMMAND} -DSRC=${VQ_HOST_DOS_GZIP} -DDST=${VQ_PAYLOAD_INPUTS}/dos-gzip.exe
          -DPLACEHOLDER=${VQ_HOST_DOS_PLACEHOLDER} -P ${CMAKE_CURRENT_LIST_DIR}/StageDosEntry.cmake
  COMMAND ${CMAKE_COMMAND} -DSRC=${VQ_HOST_DOS_FLASH} -DDST=${VQ_PAYLOAD_INPUTS}/dos-flash.exe
          -DPLACEHOLDER=${VQ_HOST_DOS_PLACEHOLDER} -P ${CMAKE_CURRENT_LIST_DIR}/StageDosEntry.cmake
  BYPRODUCTS ${VQ_PAYLOAD_INPUTS}/dos-gzip.exe ${VQ_PAYLOAD_INPUTS}/dos-flash.exe
  VERBATIM)

add_custom_command(OUTPUT ${VQ_PAYLOAD_INPUTS}/Bios.bin
  COMMAND ${VQ_HOST_MAKE_IMAGE} ${VQ_PAYLOAD_INPUTS}/Bios.bin
  DEPENDS ${VQ_HOST_MAKE_IMAGE}
  COMMENT "Generating the test flash image"
  VERBATIM)

set(VQ_DEFAULT_PAYLOAD
  ${VQ_PAYLOAD_INPUTS}/dos-gzip.exe
  $<TARGET_FILE:double_gzipw>
  ${CMAKE_CURRENT_LIST_DIR}/data/fparts.txt
  ${VQ_PAYLOAD_INPUTS}/dos-flash.exe
  $<TARGET_FILE:double_fptw>
  $<TARGET_FILE:double_fptw64>
  $<TARGET_FILE:double_idrvdll>
  $<TARGET_FILE:double_idrvdll32e>
  $<TARGET_FILE:double_pmxdll>
  $<TARGET_FILE:double_pmxdll32e>
  ${VQ_PAYLOAD_INPUTS}/Bios.bin)
set(VQ_DEFAULT_PAYLOAD_DEPENDS vq_testing_dos_entries)
