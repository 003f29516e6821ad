# lntc_platform: the interfaces of the operating-system services and the portable helpers. Its
# include root lists every entry of src/platform but the backends' folders, so that no layer above
# can include a backend. The two helpers that every layer calls directly rather than through a
# service (CLocaleScope, CheckDisplay) are the system's own code, taken from the folder of the
# platform's backends (posix or win32). A macro: the callers go on with LNTC_PLATFORM_SOURCES.
macro(lntc_platform_target backend)
  file(GLOB LNTC_PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/*.cpp)
  list(APPEND LNTC_PLATFORM_SOURCES ${CMAKE_SOURCE_DIR}/src/platform/${backend}/${backend}_c_locale.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/${backend}/${backend}_display.cpp)
  file(GLOB LNTC_PLATFORM_ENTRIES LIST_DIRECTORIES true CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/platform/*)
  list(FILTER LNTC_PLATFORM_ENTRIES EXCLUDE REGEX "/src/platform/(posix|win32)$")
  set(LNTC_PLATFORM_ROOT ${CMAKE_BINARY_DIR}/layers/platform_interfaces)
  file(REMOVE_RECURSE ${LNTC_PLATFORM_ROOT})
  file(MAKE_DIRECTORY ${LNTC_PLATFORM_ROOT}/platform)
  foreach(entry ${LNTC_PLATFORM_ENTRIES})
    get_filename_component(entry_name ${entry} NAME)
    file(CREATE_LINK ${entry} ${LNTC_PLATFORM_ROOT}/platform/${entry_name} SYMBOLIC)
  endforeach()
  add_library(lntc_platform STATIC ${LNTC_PLATFORM_SOURCES})
  target_include_directories(lntc_platform PUBLIC ${LNTC_PLATFORM_ROOT} ${CMAKE_SOURCE_DIR}/include)
  target_link_libraries(lntc_platform PUBLIC Threads::Threads)
  # lntc_platform_<backend>: the backends themselves, with an include root of their own that only
  # the composition root and the tests see. Callers add what the backends link.
  file(GLOB LNTC_PLATFORM_BACKEND_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/platform/${backend}/*.cpp)
  list(REMOVE_ITEM LNTC_PLATFORM_BACKEND_SOURCES ${LNTC_PLATFORM_SOURCES})
  set(LNTC_PLATFORM_BACKEND_ROOT ${CMAKE_BINARY_DIR}/layers/platform_${backend})
  file(MAKE_DIRECTORY ${LNTC_PLATFORM_BACKEND_ROOT}/platform)
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/platform/${backend}
    ${LNTC_PLATFORM_BACKEND_ROOT}/platform/${backend} SYMBOLIC)
  add_library(lntc_platform_${backend} STATIC ${LNTC_PLATFORM_BACKEND_SOURCES})
  target_include_directories(lntc_platform_${backend} PUBLIC ${LNTC_PLATFORM_BACKEND_ROOT})
  target_link_libraries(lntc_platform_${backend} PUBLIC lntc_platform)
endmacro()

# One static library per layer. A layer sees the headers of its own folder and of the layers it
# links, and nothing else: every layer gets an include root that holds only its own folder, so
# an include of a higher layer fails to build. Dependencies run one way:
#   library -> configure -> connectivity -> media, logo, process -> services
#   -> store, ui -> resources -> product -> platform
# and library -> platform_posix -> platform.
function(lntc_layer name folder)
  cmake_parse_arguments(L "" "" "EXCLUDE;LINK;PRIVATE_LINK" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
  foreach(pattern ${L_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "${pattern}")
  endforeach()
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${L_LINK} PRIVATE ${L_PRIVATE_LINK})
endfunction()
