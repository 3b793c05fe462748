// The 64-bit decimal form in a file of its own: its 64-bit division is linked only by the
// programs that use it (the registry writes), not by the delivered launcher.
#include "common/signed_decimal.h"
#include "common/text.h"

namespace common {

std::u16string DecimalText(std::int64_t number) { return SignedDecimal<std::uint64_t>(number); }

}  // namespace common
