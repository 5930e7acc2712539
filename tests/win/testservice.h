// What the test service and the tests that drive it share.
#pragma once

#include <string>

namespace testservice {

// The named event that ends a test service whatever its mode. Global, so the
// service process and the test see the same object.
inline std::string release_event_name(const std::string& service_name) {
  return "Global\\setupkit_release_" + service_name;
}

}  // namespace testservice
