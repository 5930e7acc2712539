# The release, checked on the build machine (no Wine): two fresh builds from
# copies of the sources in different folders give the same bytes, and the
# zip's SHA256SUMS covers and matches what it holds.
set(RELEASE_TEST ${CMAKE_CURRENT_SOURCE_DIR}/release_test.sh)
set(RELEASE_WORK ${CMAKE_BINARY_DIR}/release-test)
add_test(NAME release_builds
  COMMAND ${RELEASE_TEST} build ${RELEASE_WORK} ${PROJECT_SOURCE_DIR} ${CMAKE_COMMAND})
add_test(NAME release_reproducible COMMAND ${RELEASE_TEST} same ${RELEASE_WORK})
add_test(NAME release_zip
  COMMAND ${RELEASE_TEST} zip ${RELEASE_WORK} ${PROJECT_VERSION} ${CMAKE_OBJDUMP})
set_tests_properties(release_builds PROPERTIES FIXTURES_SETUP release TIMEOUT 900)
set_tests_properties(release_reproducible release_zip PROPERTIES FIXTURES_REQUIRED release)
