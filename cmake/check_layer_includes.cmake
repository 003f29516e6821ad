# Fails when a file below FOLDER includes a header of one of the folders in ABOVE (a list joined
# by "|"): a layer includes nothing of the layers above it.
#   cmake -DFOLDER=<dir> -DABOVE="ui|library" -P check_layer_includes.cmake
file(GLOB_RECURSE files ${FOLDER}/*.h ${FOLDER}/*.cpp)
set(found "")
foreach(f IN LISTS files)
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${ABOVE})/")
  foreach(line IN LISTS lines)
    string(APPEND found "\n  ${f}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "includes of a higher layer:${found}")
endif()
