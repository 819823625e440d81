#include "xls/shared_strings.h"

#include <algorithm>

#include "host/host_error.h"
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
    // Others claim fewer: the cells may still use the strings past the count.
    try {
        while (!reader.atEnd()) {
            std::string extra;
            reader.unicodeString(extra);
            strings.push_back(std::move(extra));
        }
    } catch (const HostError&) {
        // Padding or debris after the last string, not a string.
    }
    return strings;
}

}  // namespace host::xls
