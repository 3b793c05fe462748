// The tests' and tools' answer to a Result used against its contract: a fault in the code, shown
// at once with the place it happened (a core dump, a sanitizer's stack).
#include <cstdio>
#include <cstdlib>

#include "common/result.h"

namespace common {

void FaultInTheCode() {
  std::fputs(kFaultInTheCodeMessage, stderr);
  std::fputc('\n', stderr);
  std::abort();
}

}  // namespace common
