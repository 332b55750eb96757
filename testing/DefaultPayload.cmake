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

set(fptw64 $<TARGET_FILE:double_fptw64>)
set(idrvdll32e $<TARGET_FILE:double_idrvdll32e>)
set(pmxdll32e $<TARGET_FILE:double_pmxdll32e>)
set(VQ_DEFAULT_PAYLOAD_DEPENDS vq_testing_dos_entries)
# The 32-bit program carries the x86_64 tree's 64-bit flash tool and the libraries it loads, as a
# vendor's payload does: on 64-bit Windows it then runs a 64-bit child in its job, with the
# environment it makes, as it will for users. That tree is built before this one (./run, and the
# workflow preset "all").
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VQ_WIN64_DIR "${CMAKE_SOURCE_DIR}/build/win64" CACHE PATH "Build tree of the win64 preset")
  set(x64 ${VQ_PAYLOAD_INPUTS}/x64)
  set(fptw64 ${x64}/fptw64.exe)
  set(idrvdll32e ${x64}/idrvdll32e.dll)
  set(pmxdll32e ${x64}/pmxdll32e.dll)
  add_custom_target(vq_testing_x64_entries
    COMMAND ${CMAKE_COMMAND} -E make_directory ${x64}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VQ_WIN64_DIR}/bin/fptw64.exe
            ${VQ_WIN64_DIR}/bin/idrvdll32e.dll ${VQ_WIN64_DIR}/bin/pmxdll32e.dll ${x64}
    BYPRODUCTS ${fptw64} ${idrvdll32e} ${pmxdll32e}
    COMMENT "Taking the 64-bit flash tool double and its libraries from ${VQ_WIN64_DIR}"
    VERBATIM)
  list(APPEND VQ_DEFAULT_PAYLOAD_DEPENDS vq_testing_x64_entries)
endif()

set(VQ_DEFAULT_PAYLOAD
  ${VQ_PAYLOAD_INPUTS}/dos-gzip.exe
  $<TARGET_FILE:double_gzipw>
  ${CMAKE_CURRENT_LIST_DIR}/data/fparts.txt
  ${VQ_PAYLOAD_INPUTS}/dos-flash.exe
  $<TARGET_FILE:double_fptw>
  ${fptw64}
  $<TARGET_FILE:double_idrvdll>
  ${idrvdll32e}
  $<TARGET_FILE:double_pmxdll>
  ${pmxdll32e}
  ${VQ_PAYLOAD_INPUTS}/Bios.bin)
