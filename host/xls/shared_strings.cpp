#include "xls/shared_strings.h"

#include <algorithm>

#include "xls/biff_string.h"

namespace host::xls {

std::vector<std::string> readSharedStrings(std::span<const std::span<const std::uint8_t>> segments) {
    ContinuedReader reader(segments, "the shared-string table is damaged");
    reader.u32();  // total references: not needed
    const std::uint32_t unique = reader.u32();
    std::size_t bytes = 0;
    for (const auto& s : segments) bytes += s.size();
    std::vector<std::string> strings;
    // Each string takes at least three bytes (count and flags).
    strings.reserve(std::min<std::size_t>(unique, bytes / 3));
    for (std::uint32_t i = 0; i < unique; ++i) {
        // Some writers claim more strings than they store; keep the ones that are there.
        if (reader.atEnd()) break;
        reader.unicodeString(strings.emplace_back());
    }
    return strings;
}

}  // namespace host::xls
