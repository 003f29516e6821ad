# The layers above the platform, the same on every platform (the portable part of the build).
# The composition root (library) and the backends it chooses are each platform's own.
lntc_layer(lntc_product product LINK lntc_platform PRIVATE_LINK nlohmann_json::nlohmann_json)
lntc_layer(lntc_resources resources EXCLUDE "/src/resources/locale/" LINK lntc_platform)
lntc_layer(lntc_ui ui EXCLUDE "/src/ui/(qt|tui|win32)/" LINK lntc_resources lntc_product lntc_platform
  PRIVATE_LINK nlohmann_json::nlohmann_json)
# The store knows nothing of windows: it returns statuses, and the dialogs tell the user.
lntc_layer(lntc_store store LINK lntc_resources lntc_product lntc_platform)
# What the composition root hands the subsystems (library/services.h) is the one part of
# library/ that they see: a target of its own, whose include root holds that header alone.
add_library(lntc_services INTERFACE)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/layers/services/library)
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/library/services.h
  ${CMAKE_BINARY_DIR}/layers/services/library/services.h SYMBOLIC)
target_include_directories(lntc_services INTERFACE ${CMAKE_BINARY_DIR}/layers/services)
target_link_libraries(lntc_services INTERFACE lntc_store lntc_ui)
lntc_layer(lntc_process process LINK lntc_services)
lntc_layer(lntc_logo logo LINK lntc_services)
lntc_layer(lntc_media media LINK lntc_services)
lntc_layer(lntc_connectivity connectivity LINK lntc_media lntc_services)
lntc_layer(lntc_configure configure LINK lntc_connectivity lntc_media lntc_logo lntc_services)
target_compile_definitions(lntc_logo PUBLIC LNTC_VERSION_TEXT="${PROJECT_VERSION}")
