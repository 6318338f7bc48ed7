# Writes OUTPUT, the C++ file defining kGameVersion: VERSION, and the
# `git describe` of SOURCE_DIR when it is a checkout of its own (not a
# folder unpacked inside some other repository).
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -DVERSION=... -P version.cmake
set(text "${VERSION}")
find_program(GIT_PROGRAM git)
if(GIT_PROGRAM AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND ${GIT_PROGRAM} describe --tags --always --dirty
    WORKING_DIRECTORY ${SOURCE_DIR}
    OUTPUT_VARIABLE described RESULT_VARIABLE failed
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT failed AND described)
    set(text "${VERSION} (git ${described})")
  endif()
endif()
file(CONFIGURE OUTPUT ${OUTPUT} CONTENT
  "// Written by tools/version.cmake at every build.\n#include \"app/version.h\"\n\nconst char* const kGameVersion = \"${text}\";\n")
