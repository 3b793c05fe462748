// The statuses' names, in a file of their own: only the tools and tests that show them link them.
#include "common/win32_status.h"

namespace platform {

const char* StatusName(Status status) {
  switch (status) {
#define TOLOPEN_WIN32_STATUS_NAME(Name, value, number) \
  case value:                                          \
    return #Name;
    TOLOPEN_WIN32_STATUSES(TOLOPEN_WIN32_STATUS_NAME)
#undef TOLOPEN_WIN32_STATUS_NAME
  }
  return nullptr;
}

}  // namespace platform
