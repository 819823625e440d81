#pragma once
#include <cstdint>
#include <string_view>

namespace host::xls {

// The number formats an .xls file may use by index without a FORMAT record (US English).
// The empty text for an index with no built-in format.
std::string_view builtinNumberFormat(std::uint16_t index);

}  // namespace host::xls
