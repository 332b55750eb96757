# vq_assemble: the shipped Vorquint.exe = the linked program with a payload container behind it.
#
#   vq_assemble(TARGET <name> OUTPUT <file> IMAGE <linked program>
#               ENTRIES <entry 1> ... <entry 11> [DEPENDS <files or targets>...])
#
# ENTRIES are files in entry order (1 = DOS gzip, 2 = Windows gzip, 3 = part list, 4 = DOS flash
# tool, 5/6 = 32/64-bit Windows flash tool, 7..10 = driver libraries, 11 = flash image); vqpack
# stores entries 1 and 2 as they are and compresses the rest into gzip members. The result is
# checked with "vqpack verify" before anything may use it. The DOS program belongs in IMAGE:
# place it there (vqpack stub) before this step and pass the stubbed image.
set(VQ_VQPACK ${VQ_HOST_DIR}/bin/vqpack CACHE FILEPATH "vqpack from the host tree")

function(vq_assemble)
  cmake_parse_arguments(A "" "TARGET;OUTPUT;IMAGE" "ENTRIES;DEPENDS" ${ARGN})
  if(NOT A_TARGET OR NOT A_OUTPUT OR NOT A_IMAGE OR A_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "vq_assemble: TARGET, OUTPUT, IMAGE and ENTRIES are required")
  endif()
  list(LENGTH A_ENTRIES count)
  if(NOT count EQUAL 11)
    message(FATAL_ERROR "vq_assemble: 11 entries expected, got ${count}")
  endif()
  # Built aside and renamed only once verified: a rejected result never looks up to date.
  add_custom_command(OUTPUT ${A_OUTPUT}
    COMMAND ${VQ_VQPACK} build --image ${A_IMAGE} --out ${A_OUTPUT}.unverified ${A_ENTRIES}
    COMMAND ${VQ_VQPACK} verify ${A_OUTPUT}.unverified
    COMMAND ${CMAKE_COMMAND} -E rename ${A_OUTPUT}.unverified ${A_OUTPUT}
    DEPENDS ${A_IMAGE} ${A_ENTRIES} ${A_DEPENDS} ${VQ_VQPACK}
    COMMENT "Assembling ${A_OUTPUT}"
    VERBATIM)
  add_custom_target(${A_TARGET} ALL DEPENDS ${A_OUTPUT})
endfunction()
