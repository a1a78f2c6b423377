# Fails when a core source includes a header of a layer above its own.
# The layers, lowest first: a directory may include its own headers and
# those of the layers before it.
set(layers platform solvers elements domains stencils problemtypes problem calc)
# Includes that still go upward, each a directory and the header it may
# include, until the problem-type registration and the problem data's
# calculation settings find their own place. Nothing may be added here.
set(known_upward
    "problemtypes -> problem/PbTypes.h"
    "problem -> calc/CalcSettings.h"
    "problem -> calc/Calcul.h")
set(bad "")
list(LENGTH layers count)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  list(GET layers ${i} dir)
  file(GLOB files RELATIVE ${SRC} ${SRC}/${dir}/*.h ${SRC}/${dir}/*.cpp)
  foreach(f ${files})
    file(STRINGS ${SRC}/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
      string(REGEX REPLACE "/.*$" "" target "${header}")
      list(FIND layers ${target} j)
      if(j GREATER i)
        list(FIND known_upward "${dir} -> ${header}" known)
        if(known EQUAL -1)
          list(APPEND bad "${f} -> ${header}")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()
if(bad)
  string(REPLACE ";" "\n" bad "${bad}")
  message(FATAL_ERROR "A core layer includes a layer above it:\n${bad}")
endif()
message(STATUS "core layers include only downward")
