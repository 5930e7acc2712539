# The README's demo: the kit installed as dist/ lays it out, the example
# NSIS installer built from it and run silently under Wine in the demo's own
# prefix, its report checked.
find_program(MAKENSIS makensis)
if(MAKENSIS)
  add_test(NAME demo COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/demo_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND})
  set_tests_properties(demo PROPERTIES TIMEOUT 600 LABELS wine)
else()
  message(WARNING "makensis not found: the demo and the example installer are not tested")
endif()
