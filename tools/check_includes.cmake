# Fails on any #include "folder/..." in src/ that points up the layer order. Header-only uses
# slip past per-library include roots, so every include line is read.
#   cmake -DSRC=<source>/src -P check_includes.cmake
set(ORDER store core downsize maint daypage booking print setup shell) # bottom to top
if(NOT SRC)
  get_filename_component(SRC ${CMAKE_CURRENT_LIST_DIR}/../src ABSOLUTE)
endif()

file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*.h ${SRC}/*.cpp)
set(faults "")
foreach(f ${files})
  string(REGEX MATCH "^[^/]+" folder ${f})
  list(FIND ORDER ${folder} rank)
  if(rank EQUAL -1)
    string(APPEND faults "${f}: folder ${folder} has no place in the layer order\n")
    continue()
  endif()
  file(STRINGS ${SRC}/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" target "${line}")
    if(NOT target MATCHES "/")
      continue() # beside the including file: same folder
    endif()
    string(REGEX MATCH "^[^/]+" to ${target})
    list(FIND ORDER ${to} toRank)
    if(toRank EQUAL -1)
      string(APPEND faults "${f}: includes ${target}, outside the layer order\n")
    elseif(toRank GREATER rank)
      string(APPEND faults "${f}: ${folder} includes ${target}, a folder above it\n")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes against the layer order:\n${faults}")
endif()
list(LENGTH files n)
message(STATUS "Layer order kept in ${n} files")
