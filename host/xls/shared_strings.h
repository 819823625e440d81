#pragma once
// The shared-string table (SST) that LABELSST cells index into.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace host::xls {

// Reads the SST record body and its CONTINUE records. The unique-string count in the header
// is a claim, not a promise: reading stops with HostError when the strings run out early, and
// the count never sizes an allocation beyond what the bytes can hold.
std::vector<std::string> readSharedStrings(std::span<const std::span<const std::uint8_t>> segments);

}  // namespace host::xls
