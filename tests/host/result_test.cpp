// A Result used against its contract is a fault in the code: the tests and tools abort at once.
#include <gtest/gtest.h>

#include "common/result.h"

namespace tests {
namespace {

TEST(ResultDeathTest, MisuseEndsTheRun) {
  const struct {
    const char* what;
    void (*misuse)();
  } cases[] = {
      {"the value of a failure", [] { static_cast<void>(common::Result<int>(common::NumberedError(53)).Value()); }},
      {"the error of a success", [] { static_cast<void>(common::Result<int>(7).Error()); }},
      {"the error of an outcome that succeeded", [] { static_cast<void>(common::Outcome().Error()); }},
      {"a failure numbered 0", [] { static_cast<void>(common::NumberedError(0)); }},
  };
  for (const auto& c : cases) EXPECT_DEATH(c.misuse(), "") << c.what;
}

TEST(Result, ErrorNumberOfTellsOutcomesApart) {
  EXPECT_EQ(common::ErrorNumberOf(common::Result<int>(7)), 0);
  EXPECT_EQ(common::ErrorNumberOf(common::Outcome(common::NumberedError(76))), 76);
}

}  // namespace
}  // namespace tests
