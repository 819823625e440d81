#pragma once
// The workbook's shared string table: every text cell refers to its string by index, each
// distinct string stored once.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace host::xls {

class BiffRecordWriter;

class SstWriter {
public:
    // The string's index in the table; counts one more use.
    std::uint32_t add(std::string_view text);
    std::uint32_t totalUses() const { return uses_; }
    std::size_t uniqueCount() const { return strings_.size(); }

    // SST (with CONTINUE records where it outgrows a record) followed by EXTSST.
    void write(BiffRecordWriter& out) const;

private:
    // Looked up by string_view: a text cell already in the table costs no copy of its text.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> index_;
    std::vector<const std::string*> strings_;
    std::uint32_t uses_ = 0;
};

}  // namespace host::xls
