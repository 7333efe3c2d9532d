cmake_minimum_required(VERSION 3.20)
# The engine's boundaries, checked on the sources:
# - no code under src/ calls a public MVE_ export or takes its address
#   (subsystems call each other's internal functions; exports are only
#   defined there);
# - each subsystem's code includes only the subsystems it may call, the same
#   direction the CMake targets state (core at the bottom). A subsystem's
#   *_state.h is plain data gathered into the engine record (engine/engine.h),
#   which every subsystem above core may include.
set(allowed_core core)
set(allowed_imagelib core)
set(allowed_platform core engine)
set(allowed_mask core engine)
set(allowed_undo core imagelib platform engine)
set(allowed_ipl core imagelib mask undo engine)
set(allowed_paint core imagelib undo ipl engine)
set(allowed_brush core imagelib platform paint engine)
set(allowed_view core engine)
set(allowed_exchange core imagelib platform mask ipl paint engine)
set(allowed_tablet core engine)
set(allowed_script core imagelib platform mask undo ipl brush engine)
set(allowed_dispatch core imagelib mask undo ipl script exchange engine)
set(allowed_engine core imagelib platform mask undo ipl paint brush view exchange tablet script dispatch)

file(GLOB_RECURSE sources ${SRC}/*.cpp ${SRC}/*.h)
set(problems "")
foreach(file IN LISTS sources)
  file(RELATIVE_PATH rel ${SRC} ${file})
  string(REGEX REPLACE "/.*" "" folder "${rel}")
  file(STRINGS ${file} lines)
  set(n 0)
  foreach(line IN LISTS lines)
    math(EXPR n "${n} + 1")
    # Comments and string literals may name exports; definitions carry MVE_API.
    string(REGEX REPLACE "//.*$" "" code "${line}")
    string(REGEX REPLACE "\"[^\"]*\"" "\"\"" code "${code}")
    if(line MATCHES "^#include \"([a-z0-9_]+)/([a-z0-9_]+)\\.h\"")
      set(dep ${CMAKE_MATCH_1})
      set(header ${CMAKE_MATCH_2})
      if(NOT dep STREQUAL folder AND NOT dep STREQUAL "morvane" AND NOT header MATCHES "_state$"
         AND NOT dep IN_LIST allowed_${folder})
        list(APPEND problems "${rel}:${n}: ${folder} may not include ${dep}/: ${line}")
      endif()
      continue()
    endif()
    if(code MATCHES "^[ \t]*\\*")
      continue()
    endif()
    # A definition names its own export once: drop that name, keep its body.
    string(REGEX REPLACE "MVE_API([^(]*[ *])MVE_[A-Za-z0-9_]+" "MVE_API\\1" code "${code}")
    # Exports are MVE_ and a mixed-case name; MVE_API, MVE_WITH_X11 and the
    # like are macros. Any other mention calls the export or takes its address.
    if(code MATCHES "(^|[^A-Za-z0-9_])MVE_[A-Z][A-Za-z0-9_]*[a-z][A-Za-z0-9_]*")
      list(APPEND problems "${rel}:${n}: uses an export: ${line}")
    endif()
  endforeach()
endforeach()
if(problems)
  string(REPLACE ";" "\n" text "${problems}")
  message(FATAL_ERROR "engine boundary broken:\n${text}")
endif()
message(STATUS "no export used inside src/; every include follows the subsystem direction")
