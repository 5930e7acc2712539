# Windows tests of this area are added here.
# The stand-in for the help viewer and engine; the test copies it beside
# helpkey.exe under their names.
add_executable(recorder WIN32 recorder.cpp)
target_link_options(recorder PRIVATE -static)

# helpkey.exe run with each command text, and its icons.
add_wine_test(helpkey_test SOURCES helpkey_test.cpp)
add_dependencies(helpkey_test helpkey recorder)
