# Builds 16-bit DOS programs with the host g++ (-m16) on our runtime, linked by GNU ld with
# dos.ld, which writes the MZ header itself. vq_add_dos_program(NAME OUTPUT file SOURCES ...).

# Cached so that the function sees them from any directory that uses it.
set(VQ_DOS_RT_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")
set(VQ_DOS_FLAGS
  -m16 -march=i386 -Os -ffreestanding -nostdlib -fno-pie -fno-stack-protector
  -ffunction-sections -fdata-sections -mregparm=3 -mpreferred-stack-boundary=2
  -fno-asynchronous-unwind-tables -fno-tree-loop-distribute-patterns -Wa,--fatal-warnings
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-use-cxa-atexit>
  CACHE INTERNAL "")

add_library(vq_dos_rt OBJECT
  ${VQ_DOS_RT_DIR}/Start.S ${VQ_DOS_RT_DIR}/IntCall.S
  ${VQ_DOS_RT_DIR}/CompilerRoutines.cpp ${VQ_DOS_RT_DIR}/Runtime.cpp ${VQ_DOS_RT_DIR}/Console.cpp
  ${VQ_DOS_RT_DIR}/Files.cpp ${VQ_DOS_RT_DIR}/Memory.cpp ${VQ_DOS_RT_DIR}/Process.cpp
  ${VQ_DOS_RT_DIR}/Time.cpp ${VQ_DOS_RT_DIR}/Breaks.cpp ${VQ_DOS_RT_DIR}/QuietHandlers.S)

target_compile_options(vq_dos_rt PRIVATE ${VQ_DOS_FLAGS})
# Includes are rooted at the source tree ("dos/rt/Files.h"), in the runtime as in its programs.
target_include_directories(vq_dos_rt PUBLIC ${PROJECT_SOURCE_DIR})
vq_warnings(vq_dos_rt)

function(vq_add_dos_program name)
  cmake_parse_arguments(P "" "OUTPUT" "SOURCES" ${ARGN})
  add_library(${name}_objs OBJECT ${P_SOURCES})
  target_compile_options(${name}_objs PRIVATE ${VQ_DOS_FLAGS})
  target_include_directories(${name}_objs PRIVATE ${PROJECT_SOURCE_DIR}
    $<TARGET_PROPERTY:vq_base,INTERFACE_INCLUDE_DIRECTORIES>)
  vq_warnings(${name}_objs)
  set(elf ${CMAKE_CURRENT_BINARY_DIR}/${name}.elf)
  add_custom_command(OUTPUT ${P_OUTPUT}
    COMMAND ${CMAKE_LINKER} -m elf_i386 ${VQ_DOS_LAYOUT_SYMBOLS} -T ${VQ_DOS_RT_DIR}/dos.ld --gc-sections
            -Map=${CMAKE_CURRENT_BINARY_DIR}/${name}.map -o ${elf}
            $<TARGET_OBJECTS:${name}_objs> $<TARGET_OBJECTS:vq_dos_rt>
    COMMAND ${CMAKE_OBJCOPY} -O binary ${elf} ${P_OUTPUT}
    DEPENDS ${name}_objs vq_dos_rt $<TARGET_OBJECTS:${name}_objs> $<TARGET_OBJECTS:vq_dos_rt>
            ${VQ_DOS_RT_DIR}/dos.ld
    COMMAND_EXPAND_LISTS
    COMMENT "Linking DOS program ${P_OUTPUT}")
  add_custom_target(${name} ALL DEPENDS ${P_OUTPUT})
endfunction()
