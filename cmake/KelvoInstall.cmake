include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Consumers write kelvo::core, as inside the build; each layer installs as kelvo::<layer>.
# A layer's internal/ headers stay behind.
get_property(kelvo_layers GLOBAL PROPERTY KELVO_LAYERS)
install(TARGETS kelvo_core ${kelvo_layers} EXPORT kelvoTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY platform core DESTINATION include/kelvo
        FILES_MATCHING PATTERN "*.hpp" PATTERN "internal" EXCLUDE)
install(EXPORT kelvoTargets NAMESPACE kelvo:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kelvo)
# The config tells consumers where the word tables are, relative to wherever the package lands.
set(KELVO_INSTALL_LANGUAGE_DATADIR ${CMAKE_INSTALL_DATADIR}/kelvo/language)
configure_package_config_file(cmake/kelvoConfig.cmake.in
  ${PROJECT_BINARY_DIR}/kelvoConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kelvo
  PATH_VARS KELVO_INSTALL_LANGUAGE_DATADIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kelvoConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kelvoConfig.cmake ${PROJECT_BINARY_DIR}/kelvoConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/KelvoLanguageFolder.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kelvo)

# The first install step (see the top CMakeLists.txt) checks that the build made everything the
# install copies out of it: the libraries, the widget, the word tables and the widget's icons.
set(kelvo_built_files)
foreach(target IN LISTS kelvo_layers)
  list(APPEND kelvo_built_files "$<TARGET_FILE:${target}>")
endforeach()
if(TARGET kelvo-widget)
  list(APPEND kelvo_built_files "$<TARGET_FILE:kelvo-widget>")
endif()
get_property(kelvo_built_data GLOBAL PROPERTY KELVO_INSTALLED_BUILD_FILES)
list(APPEND kelvo_built_files ${kelvo_built_data})
# The widget's icons are copied at build time out of the artwork that scripts/setup fetches; a
# build without it still succeeds (the widget draws placeholders), so the check looks for them.
set(kelvo_built_icons "")
set(kelvo_icon_source "")
if(TARGET kelvo_icon_artwork)
  set(kelvo_built_icons ${KELVO_ICON_BUILD_ARTWORK})
  set(kelvo_icon_source ${KELVO_ICON_SOURCE_ARTWORK})
endif()
file(READ ${PROJECT_SOURCE_DIR}/cmake/KelvoInstallCheck.cmake.in kelvo_install_check)
string(CONFIGURE "${kelvo_install_check}" kelvo_install_check @ONLY)
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/KelvoInstallCheck.cmake CONTENT "${kelvo_install_check}")
