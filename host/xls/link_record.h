#pragma once
// A link record kept from a file (SUPBOOK, EXTERNSHEET, NAME, EXTERNNAME): the record, header
// included, and the CONTINUE records that carry the rest of a long one.
#include <cstdint>
#include <vector>

namespace host::xls {

// Whether `record` is one such record, whole: each piece within the record size limit and the
// pieces filling it exactly. The writer writes these back, and only these.
bool isWholeLinkRecord(const std::vector<std::uint8_t>& record);

}  // namespace host::xls
