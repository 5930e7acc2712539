# Service control against Wine's real service manager, with a real service.

# The service the tests install, start, stop and remove.
add_executable(testservice testservice.cpp)
target_link_options(testservice PRIVATE -static)

# Each program names its services after itself and sweeps only those, so the
# two run side by side.
add_wine_test(services_test SOURCES services_test.cpp services_calls_test.cpp services_support.cpp)
add_wine_test(services_bound_test SOURCES services_bound_test.cpp services_support.cpp TIMEOUT 240)
add_dependencies(services_test testservice)
add_dependencies(services_bound_test testservice)
