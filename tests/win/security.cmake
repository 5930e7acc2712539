# Administrator check and directory access lists. The tests set the web
# server's "AnonymousUserName", which every test in the prefix reads.
add_wine_test(security_test SOURCES security_test.cpp admin_check_test.cpp PREFIX_WIDE)
# The lasting effect under Wine's own file security: a cleared directory's
# Unix mode, which only the host can read.
add_test(NAME security_cleared_mode
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/cleared_mode.sh ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh
          $<TARGET_FILE:security_test>)
set_tests_properties(security_cleared_mode PROPERTIES
  FIXTURES_REQUIRED wine ENVIRONMENT "${WINE_TEST_ENV}" TIMEOUT 120 LABELS wine)
