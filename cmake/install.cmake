# What `cmake --install` puts under a prefix: the programs, the policy headers and the
# CMake package that plug-ins outside this tree are built with (find_package(wrnsim)).
include(CMakePackageConfigHelpers)

install(TARGETS wrnsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WRNSIM_LAB)
  install(TARGETS wrnsim-lab RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The only headers a plug-in may rely on, so the only ones installed.
install(FILES policy/policy.h policy/plugin.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/wrnsim)

set(WRNSIM_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/wrnsim)
install(TARGETS wrnsim_policy EXPORT wrnsimTargets)
install(EXPORT wrnsimTargets NAMESPACE wrnsim:: DESTINATION ${WRNSIM_PACKAGE_DIR})
# Any 0.x from the one asked for on: what keeps a plug-in from a program it does not fit is
# the interface version, checked when the program loads it, and the version here only moves
# when results may change. The pointer size must match, as a plug-in's must the program's.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/wrnsimConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  cmake/wrnsimConfig.cmake
  cmake/wrnsim_add_policy.cmake
  ${PROJECT_BINARY_DIR}/wrnsimConfigVersion.cmake
  DESTINATION ${WRNSIM_PACKAGE_DIR})
