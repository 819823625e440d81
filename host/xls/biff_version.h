#pragma once
// Telling the BIFF versions apart by their BOF record, to refuse the older ones clearly.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace host::xls {

enum class BiffVersion { Biff2, Biff3, Biff4, Biff5, Biff8 };

// The version a BOF record (id and body) announces; nullopt when it is no BOF.
std::optional<BiffVersion> bofVersion(std::uint16_t id, std::span<const std::uint8_t> body);
// The version of a file that starts with a BIFF2-4 BOF record (no container); nullopt otherwise.
std::optional<BiffVersion> olderBiffVersion(std::span<const std::uint8_t> file);
// "an older Excel format (BIFF5, Excel 5.0/95) ...": why such a file is refused.
std::string olderFormatMessage(BiffVersion version);

}  // namespace host::xls
