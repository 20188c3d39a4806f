include(CMakePackageConfigHelpers)

install(TARGETS tessary EXPORT TessaryTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/tessary.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS tessary_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(EXPORT TessaryTargets NAMESPACE Tessary::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tessary)
configure_package_config_file(cmake/TessaryConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/TessaryConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tessary)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/TessaryConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/TessaryConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/TessaryConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tessary)

configure_file(cmake/tessary.pc.in ${CMAKE_CURRENT_BINARY_DIR}/tessary.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tessary.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
