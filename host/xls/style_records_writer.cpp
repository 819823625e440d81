#include "xls/style_records_writer.h"

#include <map>
#include <string_view>
#include <vector>

#include "xls/biff_constants.h"
#include "xls/biff_record_writer.h"
#include "xls/biff_text.h"

namespace host::xls {
namespace {

// Font indexes as readers count them: index 4 is never used, so the fifth FONT record is 5.
constexpr std::uint16_t kRegularFont = 0;
constexpr std::uint16_t kBoldFont = 5;
constexpr std::uint16_t kFirstCustomFormat = 164;

void writeFont(BiffRecordWriter& out, bool bold) {
    out.beginRecord(kFont);
    out.u16(200);  // 10 points, in twentieths
    out.u16(0);  // not italic, struck out ...
    out.u16(0x7FFF);  // automatic colour
    out.u16(bold ? 700 : 400);
    out.u16(0);  // no super- or subscript
    out.u8(0);  // no underline
    out.u8(2);  // family: swiss
    out.u8(0);  // ANSI character set
    out.u8(0);
    writeUnicodeString8(out, toBiffText("Arial"));
    out.endRecord();
}

std::uint8_t alignmentBits(HAlign align) {
    switch (align) {
        case HAlign::Left: return 1;
        case HAlign::Center: return 2;
        case HAlign::Right: return 3;
        default: return 0;
    }
}

// XF flags: locked; a style XF also has the style bit and no parent (0xFFF).
constexpr std::uint16_t kStyleXfFlags = 0xFFF5;
constexpr std::uint16_t kCellXfFlags = 0x0001;

void writeXf(BiffRecordWriter& out, std::uint16_t font, std::uint16_t format, std::uint16_t flags,
             std::uint8_t alignment, std::uint8_t usedAttributes) {
    out.beginRecord(kXf);
    out.u16(font);
    out.u16(format);
    out.u16(flags);
    out.u8(std::uint8_t(0x20 | alignment));  // bottom-aligned vertically, as the default is
    out.u8(0);  // no rotation
    out.u8(0);  // no indent, no shrinking
    out.u8(usedAttributes);
    out.u32(0);  // no borders
    out.u32(0);
    out.u16(0x20C0);  // automatic pattern colours (64, 65)
    out.endRecord();
}

}  // namespace

int builtinNumberFormat(const std::string& format) {
    static const std::map<std::string_view, int> builtins = {
        {"General", 0},
        {"0", 1},
        {"0.00", 2},
        {"#,##0", 3},
        {"#,##0.00", 4},
        {"0%", 9},
        {"0.00%", 10},
        {"0.00E+00", 11},
        {"# ?/?", 12},
        {"# ?"
         "?/??",
         13},
        {"m/d/yy", 14},
        {"d-mmm-yy", 15},
        {"d-mmm", 16},
        {"mmm-yy", 17},
        {"h:mm AM/PM", 18},
        {"h:mm:ss AM/PM", 19},
        {"h:mm", 20},
        {"h:mm:ss", 21},
        {"m/d/yy h:mm", 22},
        {"mm:ss", 45},
        {"[h]:mm:ss", 46},
        {"mm:ss.0", 47},
        {"##0.0E+0", 48},
        {"@", 49},
    };
    const auto it = builtins.find(format);
    return it == builtins.end() ? -1 : it->second;
}

void writeStyleRecords(BiffRecordWriter& out, const StyleTable& styles) {
    for (int i = 0; i < 4; ++i) writeFont(out, false);
    writeFont(out, true);

    std::map<std::string, std::uint16_t> customFormats;
    std::vector<std::uint16_t> formatOfStyle(styles.size());
    for (std::size_t i = 0; i < styles.size(); ++i) {
        const std::string& text = styles.at(std::uint16_t(i)).numberFormat;
        const int builtin = builtinNumberFormat(text);
        if (builtin >= 0) {
            formatOfStyle[i] = std::uint16_t(builtin);
            continue;
        }
        auto [it, added] = customFormats.try_emplace(text, std::uint16_t(kFirstCustomFormat + customFormats.size()));
        formatOfStyle[i] = it->second;
    }
    for (const auto& [text, index] : customFormats) {
        out.beginRecord(kFormat);
        out.u16(index);
        writeUnicodeString16(out, toBiffText(text, 255));
        out.endRecord();
    }

    writeXf(out, kRegularFont, 0, kStyleXfFlags, 0, 0);  // XF 0: the Normal style
    for (int i = 1; i < 15; ++i) writeXf(out, kRegularFont, 0, kStyleXfFlags, 0, 0xF4);
    // Cell XFs: every attribute is the cell's own.
    for (std::size_t i = 0; i < styles.size(); ++i) {
        const Style& s = styles.at(std::uint16_t(i));
        writeXf(out, s.bold ? kBoldFont : kRegularFont, formatOfStyle[i], kCellXfFlags, alignmentBits(s.align), 0xF8);
    }

    out.beginRecord(kStyle);
    out.u16(0x8000);  // built-in style on XF 0
    out.u8(0);  // "Normal"
    out.u8(0xFF);
    out.endRecord();
}

}  // namespace host::xls
