# The tools on Windows: lntc.exe and lntc-config.exe link lntc.dll through its import library
# and lie beside it, their data in share\demo of the same folder. What only Linux has (the VNC
# server, the terminal host, a dry run's private copy of the machine root) stays out, and the
# programs say so when asked for it.
target_compile_definitions(lntc_tool_interface INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX
  _WIN32_WINNT=0x0601)

file(GLOB LNTC_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/lntc/*.cpp)
add_executable(lntc_tool ${LNTC_TOOL_SOURCES})
# A program that exports gets an import library too: lntc.exe.a, not the library's liblntc.dll.a.
set_target_properties(lntc_tool PROPERTIES OUTPUT_NAME lntc IMPORT_PREFIX "" IMPORT_SUFFIX .exe.a)
target_link_libraries(lntc_tool PRIVATE lntc_tool_interface nlohmann_json::nlohmann_json advapi32)
# Without the data beside it, the checkout's, as Wine sees it.
target_compile_definitions(lntc_tool PRIVATE LNTC_SHARE_DIR="Z:${CMAKE_SOURCE_DIR}/share"
  LNTC_SHARE_FROM_BIN="share" LNTC_TOOL_VERSION="${PROJECT_VERSION}")
target_compile_options(lntc_tool PRIVATE -Wno-maybe-uninitialized)

set(LNTC_CONFIG_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/lntc-config/main.cpp)
add_executable(lntc_config ${LNTC_CONFIG_SOURCES})
set_target_properties(lntc_config PROPERTIES OUTPUT_NAME lntc-config IMPORT_PREFIX ""
  IMPORT_SUFFIX .exe.a)
target_link_libraries(lntc_config PRIVATE lntc_tool_interface)
target_compile_definitions(lntc_config PRIVATE LNTC_TOOL_VERSION="${PROJECT_VERSION}")

# The build tree has the installed layout: the demo's data beside the programs.
set(LNTC_DEMO_COPY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/share/demo)
file(GLOB LNTC_DEMO_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/share/demo/*)
add_custom_command(OUTPUT ${LNTC_DEMO_COPY}/.copied
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/share/demo ${LNTC_DEMO_COPY}
  COMMAND ${CMAKE_COMMAND} -E touch ${LNTC_DEMO_COPY}/.copied
  DEPENDS ${LNTC_DEMO_FILES})
add_custom_target(lntc_demo_data ALL DEPENDS ${LNTC_DEMO_COPY}/.copied)
add_dependencies(lntc_tool lntc_demo_data)

install(TARGETS lntc_tool lntc_config RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Tools)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/share/demo DESTINATION ${CMAKE_INSTALL_BINDIR}/share
  COMPONENT Tools)
