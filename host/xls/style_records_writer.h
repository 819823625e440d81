#pragma once
// The workbook's formatting records: FONT, FORMAT, XF and STYLE, built from the host's style
// table, and the XF index each host style is written as.
#include <cstdint>

#include "host/style.h"

namespace host::xls {

class BiffRecordWriter;

// XF 0-14 are the style XFs every workbook has, XF 15 the default cell format; host style
// 0 (the default) is XF 15 and host style n is XF 15 + n.
inline std::uint16_t xfIndexOfStyle(std::uint16_t hostStyle) { return std::uint16_t(15 + hostStyle); }

// Excel's built-in number format of that text (General 0, m/d/yy 14 ...); -1 for none.
int builtinNumberFormat(const std::string& format);

void writeStyleRecords(BiffRecordWriter& out, const StyleTable& styles);

}  // namespace host::xls
