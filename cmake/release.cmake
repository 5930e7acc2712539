# The release: the kit as dist/ holds it, packed by CPack into
# setupkit-<version>-win32.zip beside the build
# (`cmake --build --preset win32 --target release`). The version is the one
# project() gives in the top CMakeLists.txt.

# SHA256SUMS at the top of the installed kit, in dist/ as in the zip. This
# rule comes after every other install rule, so it sees all their files.
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/sha256sums.cmake)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "setupkit-${PROJECT_VERSION}-win32")
# The zip unpacks into one folder of its own name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The zip's own digest, setupkit-<version>-win32.zip.sha256, to publish with it.
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)

# Unlike CPack's `package` target, which builds every test program first,
# this one builds only what goes into the kit.
add_custom_target(release
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing setupkit-${PROJECT_VERSION}-win32.zip"
  VERBATIM)
add_dependencies(release ${KIT_TARGETS})
