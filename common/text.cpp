#include "common/text.h"

#include "common/signed_decimal.h"

namespace common {

std::u16string DecimalText(std::int32_t number) { return SignedDecimal<std::uint32_t>(number); }

}  // namespace common
