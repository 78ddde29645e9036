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
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kelvo)
