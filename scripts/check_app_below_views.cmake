# Fails when the window shell (src/app) includes a view (src/views): the views
# build on the shell, never the other way round. The program's entry point,
# which puts the two together, lives above both (src/zemcad).
file(GLOB files ${SRC}/app/*.h ${SRC}/app/*.cpp)
set(bad "")
foreach(f ${files})
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"views/")
  if(lines)
    list(APPEND bad "${f}: ${lines}")
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "views included by the window shell:\n${bad}")
endif()
message(STATUS "the window shell includes no view")
