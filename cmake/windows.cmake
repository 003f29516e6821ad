# The Windows build (preset win32, cmake/mingw-w64-x86_64.cmake): what runs on Windows so far, the
# platform interfaces with their portable helpers and the Windows backends, and their tests under
# Wine. The targets keep the names and include roots of the Linux build, so that the layers above
# slot in as they are made to build here.
find_package(Threads REQUIRED)

lntc_platform_target(win32)
# Wide-character system calls; nothing of the system's headers beyond what a backend names;
# the C library's reentrant time functions (localtime_r) as on POSIX.
target_compile_definitions(lntc_platform PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
  _POSIX_THREAD_SAFE_FUNCTIONS=200112L
  _WIN32_WINNT=0x0601)

target_link_libraries(lntc_platform_win32 PUBLIC advapi32 winspool ws2_32 shell32 ole32 uuid)
# Where an installed library keeps its modules, beside it, as on Linux.
set(LNTC_MODULE_FOLDER lntc-${PROJECT_VERSION_MAJOR})
target_compile_definitions(lntc_platform_win32 PRIVATE LNTC_MODULE_FOLDER="${LNTC_MODULE_FOLDER}")

# nlohmann/json is headers only: the distribution's copy serves, through an include root that
# holds it alone, so that none of the build machine's other headers are seen.
set(LNTC_JSON_ROOT ${CMAKE_BINARY_DIR}/layers/json)
file(MAKE_DIRECTORY ${LNTC_JSON_ROOT})
file(CREATE_LINK /usr/include/nlohmann ${LNTC_JSON_ROOT}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${LNTC_JSON_ROOT})

include(${CMAKE_SOURCE_DIR}/cmake/layers.cmake)
lntc_layer(lntc_library library EXCLUDE "/src/library/((admin_)?exports|dll_main)\\.cpp$"
  LINK lntc_configure lntc_connectivity lntc_media lntc_logo lntc_process lntc_services
  PRIVATE_LINK nlohmann_json::nlohmann_json lntc_platform_win32)

# lntc.dll: every function the two headers declare with LNTC_API, exported by name through a
# module-definition file made from them, so that none can be left out; liblntc.dll.a is the
# import library programs link.
set(LNTC_DEF_FILE ${CMAKE_BINARY_DIR}/lntc.def)
set(LNTC_EXPORT_HEADERS ${CMAKE_SOURCE_DIR}/include/lntc/lntc.h
  ${CMAKE_SOURCE_DIR}/src/library/admin/lntc_admin.h)
add_custom_command(OUTPUT ${LNTC_DEF_FILE}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${LNTC_DEF_FILE} "-DHEADERS=${LNTC_EXPORT_HEADERS}"
    -P ${CMAKE_SOURCE_DIR}/cmake/lntc-def.cmake
  DEPENDS ${LNTC_EXPORT_HEADERS} ${CMAKE_SOURCE_DIR}/cmake/lntc-def.cmake
  COMMENT "Exports of lntc.dll" VERBATIM)
string(REPLACE "." "," LNTC_VERSION_COMMAS ${PROJECT_VERSION})
configure_file(${CMAKE_SOURCE_DIR}/src/library/lntc.rc.in ${CMAKE_BINARY_DIR}/lntc.rc @ONLY)
enable_language(RC)
add_library(lntc SHARED src/library/exports.cpp src/library/admin_exports.cpp
  src/library/dll_main.cpp ${LNTC_DEF_FILE} ${CMAKE_BINARY_DIR}/lntc.rc)
target_compile_definitions(lntc PRIVATE LNTC_BUILDING_DLL)
target_link_libraries(lntc PRIVATE lntc_library lntc_platform_win32)
set_target_properties(lntc PROPERTIES PREFIX "" OUTPUT_NAME lntc IMPORT_PREFIX lib
  IMPORT_SUFFIX .dll.a)
target_include_directories(lntc INTERFACE ${CMAKE_SOURCE_DIR}/include)

# The help file lies beside the library, named as the library with ".HLP" for its extension.
set(LNTC_HELP_FILE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/lntc.HLP)
add_custom_command(OUTPUT ${LNTC_HELP_FILE}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/src/resources/help/liblntc.hlp.txt
    ${LNTC_HELP_FILE}
  DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/help/liblntc.hlp.txt
  COMMENT "Help file ${LNTC_HELP_FILE}")
add_custom_target(lntc_help ALL DEPENDS ${LNTC_HELP_FILE})
add_dependencies(lntc lntc_help)

# Localised resource modules, looked up in the library's folder as LNT20<language>.dll.
add_library(LNT20DEU MODULE src/resources/locale/deu.cpp)
target_include_directories(LNT20DEU PRIVATE ${CMAKE_BINARY_DIR}/layers/resources)
set_target_properties(LNT20DEU PROPERTIES PREFIX "" SUFFIX ".dll"
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
add_dependencies(lntc LNT20DEU)
add_dependencies(lntc lntc_win32_module)

# The display module over the system's dialog manager.
include(${CMAKE_SOURCE_DIR}/cmake/windows-host.cmake)

if(LNTC_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests/win32)
endif()

# The programs, beside the library.
# Installed, everything lies in the product's one folder: the library, its modules and help
# file, the tools beside them (where the system's loader finds the library), the demo's data in
# share\demo. The installer (scripts/package --win32) installs that folder.
set(CMAKE_INSTALL_BINDIR .)
install(TARGETS lntc RUNTIME DESTINATION . COMPONENT Library)
install(TARGETS LNT20DEU lntc_win32_module LIBRARY DESTINATION . COMPONENT Library)
install(FILES ${LNTC_HELP_FILE} DESTINATION . COMPONENT Library)
add_subdirectory(tools)
