// A Result used against its contract, or a platform asked for before one is installed, is a fault
// in the code: the tests and tools abort at once, saying so.
#include <gtest/gtest.h>

#include <string>

#include "common/platform.h"
#include "common/result.h"

namespace tests {
namespace {

TEST(ResultDeathTest, MisuseEndsTheRun) {
  const struct {
    const char* what;
    void (*misuse)();
  } cases[] = {
      {"the value of a failure", [] { static_cast<void>(common::Result<int>(common::NumberedError(53)).Value()); }},
      {"the value of a failure held in a variable", [] {
         const common::Result<std::u16string> held(common::NumberedError(53));
         static_cast<void>(held.Value());
       }},
      {"the error of a success", [] { static_cast<void>(common::Result<int>(7).Error()); }},
      {"the error of an outcome that succeeded", [] { static_cast<void>(common::Outcome().Error()); }},
      {"a failure numbered 0", [] { static_cast<void>(common::NumberedError(0)); }},
      {"no platform installed", [] { static_cast<void>(platform::Current().ProgramFolder()); }},
  };
  for (const auto& c : cases) EXPECT_DEATH(c.misuse(), common::kFaultInTheCodeMessage) << c.what;
}

}  // namespace
}  // namespace tests
