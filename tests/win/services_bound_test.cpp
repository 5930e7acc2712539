// The one slow case, in its own program so it runs beside the others: a
// service that never finishes stopping holds RemoveService only up to its
// bound of 30 steps, and is then deleted all the same.
#include <gtest/gtest.h>

#include <string>

#include "services_support.h"

namespace {

using RemoveBound = svctest::ServiceTest;

TEST_F(RemoveBound, StuckServiceIsDeletedAfterThirtySteps) {
  const std::string name = new_name();
  ASSERT_EQ(1, install(name, "stuck"));
  ASSERT_TRUE(svctest::start_running(name));
  // The service's own minute of stop-pending sits well past the bound, so an
  // unbounded wait shows here as a long call rather than a hung test.
  const auto took = svctest::elapsed_ms([&] { EXPECT_EQ(1, srv("RemoveService", name.c_str())); });
  EXPECT_GE(took, 29500);
  EXPECT_LT(took, 40000);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOP_PENDING), svctest::state(name));
  EXPECT_TRUE(svctest::deleted(name));
}

}  // namespace
