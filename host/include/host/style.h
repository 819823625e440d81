#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// Horizontal alignment; the automation constants are xlGeneral 1, xlLeft -4131,
// xlCenter -4108, xlRight -4152.
enum class HAlign : std::uint8_t { General, Left, Center, Right };
inline constexpr int xlGeneral = 1;
inline constexpr int xlLeft = -4131;
inline constexpr int xlCenter = -4108;
inline constexpr int xlRight = -4152;

struct Style {
    bool bold = false;
    HAlign align = HAlign::General;
    std::string numberFormat = "General";
    friend bool operator==(const Style&, const Style&) = default;
};

// True for number formats that show a date (m/d/yy, d-mmm-yy, yyyy-mm-dd ...), not a
// time-only or plain number format.
bool isDateFormat(const std::string& numberFormat);

// The workbook's styles, each stored once; index 0 is the default style.
class StyleTable {
public:
    StyleTable() : styles_{Style{}} {}
    std::uint16_t intern(const Style& style);
    const Style& at(std::uint16_t index) const { return styles_.at(index); }
    std::size_t size() const { return styles_.size(); }

private:
    std::vector<Style> styles_;
};

}  // namespace host
