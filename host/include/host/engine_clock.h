#pragma once
// The day the formula engine's TODAY gives: the computer's local date, unless one has been set
// here (tests set it, to see a day go by without waiting for midnight).
#include <optional>

#include "host/locale.h"

namespace host {

Date engineToday();
// TODAY gives `day` from now on; nullopt goes back to the computer's clock. Cells already
// computed keep their value until they are computed again (a change, recalculateAll, opening).
void setEngineToday(std::optional<Date> day);

}  // namespace host
