#include "host/engine_clock.h"

#include <ctime>

namespace host {

namespace {
std::optional<Date> setDay;
}  // namespace

Date engineToday() {
    if (setDay) return *setDay;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void setEngineToday(std::optional<Date> day) { setDay = day; }

}  // namespace host
