# What a Windows tree takes from the host tree (build/host, built first by ./run and by the
# workflow preset "all"): vqpack, the DOS program and the DOS doubles of the default payload.
# Named once here; everything else in a Windows tree refers to these names. Each is a file the
# host preset builds.
set(VQ_HOST_DIR "${CMAKE_SOURCE_DIR}/build/host" CACHE PATH "Build tree of the host preset")
set(VQ_VQPACK ${VQ_HOST_DIR}/bin/vqpack)                      # container tool
set(VQ_HOST_DOS_PROGRAM ${VQ_HOST_DIR}/bin/VQDOS.EXE)         # the DOS face
set(VQ_HOST_DOS_GZIP ${VQ_HOST_DIR}/bin/dos/GZIP.EXE)         # DOS gzip double
set(VQ_HOST_DOS_FLASH ${VQ_HOST_DIR}/bin/dos/FLASH.EXE)       # DOS flash tool double
set(VQ_HOST_DOS_PLACEHOLDER ${VQ_HOST_DIR}/bin/vq-dos-placeholder)
set(VQ_HOST_MAKE_IMAGE ${VQ_HOST_DIR}/bin/vq-make-image)      # test flash image generator

foreach(output VQ_VQPACK VQ_HOST_DOS_PROGRAM VQ_HOST_MAKE_IMAGE)
  if(NOT EXISTS ${${output}})
    message(FATAL_ERROR "${${output}} is missing: build the host preset first (cmake --workflow --preset all does, and ./run build)")
  endif()
endforeach()
