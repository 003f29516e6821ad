# The display module of the Windows build, lntc-win32.dll: the window model over the system's
# own dialog manager, with the entry points of the Linux display module. A static library as
# well, so that its tests reach the host's internals.
file(GLOB LNTC_WIN32_HOST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/ui/win32/*.cpp)
list(REMOVE_ITEM LNTC_WIN32_HOST_SOURCES ${CMAKE_SOURCE_DIR}/src/ui/win32/entry.cpp)
add_library(lntc_win32_host STATIC ${LNTC_WIN32_HOST_SOURCES})
target_link_libraries(lntc_win32_host PUBLIC lntc_ui lntc_platform_win32 user32 gdi32 comctl32)

add_library(lntc_win32_module MODULE ${CMAKE_SOURCE_DIR}/src/ui/win32/entry.cpp)
target_link_libraries(lntc_win32_module PRIVATE lntc_win32_host)
# Found beside the library at run time, as the library's other modules are.
set_target_properties(lntc_win32_module PROPERTIES OUTPUT_NAME lntc-win32 PREFIX ""
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
