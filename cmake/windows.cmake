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

file(GLOB LNTC_PLATFORM_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
list(REMOVE_ITEM LNTC_PLATFORM_WIN32_SOURCES ${LNTC_PLATFORM_SOURCES})
set(LNTC_PLATFORM_WIN32_ROOT ${CMAKE_BINARY_DIR}/layers/platform_win32)
file(MAKE_DIRECTORY ${LNTC_PLATFORM_WIN32_ROOT}/platform)
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/platform/win32 ${LNTC_PLATFORM_WIN32_ROOT}/platform/win32
  SYMBOLIC)
add_library(lntc_platform_win32 STATIC ${LNTC_PLATFORM_WIN32_SOURCES})
target_include_directories(lntc_platform_win32 PUBLIC ${LNTC_PLATFORM_WIN32_ROOT})
target_link_libraries(lntc_platform_win32 PUBLIC lntc_platform advapi32)

# nlohmann/json is headers only: the distribution's copy serves, through an include root that
# holds it alone, so that none of the build machine's other headers are seen.
set(LNTC_JSON_ROOT ${CMAKE_BINARY_DIR}/layers/json)
file(MAKE_DIRECTORY ${LNTC_JSON_ROOT})
file(CREATE_LINK /usr/include/nlohmann ${LNTC_JSON_ROOT}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${LNTC_JSON_ROOT})

include(${CMAKE_SOURCE_DIR}/cmake/layers.cmake)

if(LNTC_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests/win32)
endif()

# The programs, beside the library.
add_subdirectory(tools)
