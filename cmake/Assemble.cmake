# vq_assemble: the shipped Vorquint.exe = the linked program with a payload container behind it.
#
#   vq_assemble(TARGET <name> OUTPUT <file> IMAGE <linked program> [STUB <DOS program>]
#               ENTRIES <entry 1> ... <entry 11> [DEPENDS <files or targets>...])
#
# ENTRIES are files in entry order (1 = DOS gzip, 2 = Windows gzip, 3 = part list, 4 = DOS flash
# tool, 5/6 = 32/64-bit Windows flash tool, 7..10 = driver libraries, 11 = flash image); vqpack
# stores entries 1 and 2 as they are and compresses the rest into gzip members. The result is
# checked with "vqpack verify" before anything may use it. With STUB, the DOS program is first
# placed in front of the linked program (vqpack stub), so the image (entry 0) has both faces.

function(vq_assemble)
  cmake_parse_arguments(A "" "TARGET;OUTPUT;IMAGE;STUB" "ENTRIES;DEPENDS" ${ARGN})
  if(NOT A_TARGET OR NOT A_OUTPUT OR NOT A_IMAGE OR A_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "vq_assemble: TARGET, OUTPUT, IMAGE and ENTRIES are required")
  endif()
  list(LENGTH A_ENTRIES count)
  if(NOT count EQUAL 11)
    message(FATAL_ERROR "vq_assemble: 11 entries expected, got ${count}")
  endif()
  set(image ${A_IMAGE})
  set(stub_steps)
  if(A_STUB)
    set(image ${A_OUTPUT}.image)
    set(stub_steps COMMAND ${VQ_VQPACK} stub ${A_STUB} ${A_IMAGE} ${image})
  endif()
  # Built aside and renamed only once verified: a rejected result never looks up to date.
  add_custom_command(OUTPUT ${A_OUTPUT}
    ${stub_steps}
    COMMAND ${VQ_VQPACK} build --image ${image} --out ${A_OUTPUT}.unverified ${A_ENTRIES}
    COMMAND ${VQ_VQPACK} verify ${A_OUTPUT}.unverified
    COMMAND ${CMAKE_COMMAND} -E rename ${A_OUTPUT}.unverified ${A_OUTPUT}
    DEPENDS ${A_IMAGE} ${A_STUB} ${A_ENTRIES} ${A_DEPENDS} ${VQ_VQPACK}
    COMMENT "Assembling ${A_OUTPUT}"
    VERBATIM)
  add_custom_target(${A_TARGET} ALL DEPENDS ${A_OUTPUT})
endfunction()
