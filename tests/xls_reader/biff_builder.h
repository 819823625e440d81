#pragma once
// Hand-made BIFF8 workbook streams and compound files, for the cases no program writes:
// damaged records, lies about sizes and counts, strings split at awkward places.
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace xls_test {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
inline void putF64(Bytes& b, double d) {
    std::uint8_t raw[8];
    std::memcpy(raw, &d, 8);
    b.insert(b.end(), raw, raw + 8);
}
// A string with a 16-bit count, one byte per character.
inline void putString16(Bytes& b, const std::string& s) {
    put16(b, static_cast<unsigned>(s.size()));
    b.push_back(0);
    b.insert(b.end(), s.begin(), s.end());
}

class StreamBuilder {
public:
    Bytes bytes;

    StreamBuilder& record(std::uint16_t id, const Bytes& body) {
        put16(bytes, id);
        put16(bytes, static_cast<unsigned>(body.size()));
        bytes.insert(bytes.end(), body.begin(), body.end());
        return *this;
    }
    StreamBuilder& bof(std::uint16_t type, std::uint16_t version = 0x0600) {
        Bytes b;
        put16(b, version);
        put16(b, type);
        put16(b, 3515);
        put16(b, 1996);
        put32(b, 0);
        put32(b, 0x0600);
        return record(0x0809, b);
    }
    StreamBuilder& eof() { return record(0x000A, {}); }
    // BOUNDSHEET with its offset to be filled in by sheetStartsHere(); returns its index.
    std::size_t boundSheet(const std::string& name, std::uint8_t type = 0) {
        Bytes b;
        put32(b, 0);
        b.push_back(0);
        b.push_back(type);
        b.push_back(static_cast<std::uint8_t>(name.size()));
        b.push_back(0);
        b.insert(b.end(), name.begin(), name.end());
        const std::size_t at = bytes.size() + 4;
        record(0x0085, b);
        return at;
    }
    void sheetStartsHere(std::size_t boundSheetAt) {
        const auto pos = static_cast<std::uint32_t>(bytes.size());
        std::memcpy(&bytes[boundSheetAt], &pos, 4);
    }
    StreamBuilder& number(int row, int col, double v, int xf = 15) {
        Bytes b;
        put16(b, row);
        put16(b, col);
        put16(b, xf);
        putF64(b, v);
        return record(0x0203, b);
    }
    StreamBuilder& labelSst(int row, int col, std::uint32_t index, int xf = 15) {
        Bytes b;
        put16(b, row);
        put16(b, col);
        put16(b, xf);
        put32(b, index);
        return record(0x00FD, b);
    }
    // FORMULA with a number result (or the 0xFFFF forms when `special` >= 0), under record
    // number `id` (older versions numbered it 0x0206 and 0x0406).
    StreamBuilder& formula(int row, int col, const Bytes& tokens, double cached = 0, int special = -1,
                           int specialValue = 0, std::uint16_t id = 0x0006) {
        Bytes b;
        put16(b, row);
        put16(b, col);
        put16(b, 15);
        if (special < 0) {
            putF64(b, cached);
        } else {
            b.push_back(static_cast<std::uint8_t>(special));
            b.push_back(0);
            b.push_back(static_cast<std::uint8_t>(specialValue));
            b.insert(b.end(), {0, 0, 0, 0xFF, 0xFF});
        }
        put16(b, 0);
        put32(b, 0);
        put16(b, static_cast<unsigned>(tokens.size()));
        b.insert(b.end(), tokens.begin(), tokens.end());
        return record(id, b);
    }
};

// A workbook stream with one worksheet "Sheet1": `globals` adds records to the globals (after
// the BOF, before the sheet list), `sheet` fills the worksheet.
inline Bytes workbookStream(const std::function<void(StreamBuilder&)>& globals,
                            const std::function<void(StreamBuilder&)>& sheet) {
    StreamBuilder s;
    s.bof(0x0005);
    if (globals) globals(s);
    const std::size_t at = s.boundSheet("Sheet1");
    s.eof();
    s.sheetStartsHere(at);
    s.bof(0x0010);
    if (sheet) sheet(s);
    s.eof();
    return s.bytes;
}

// The stream in a compound file, under `streamName`, written by libgsf. A stream under 4096
// bytes is padded to that size, as writers do, unless `padSmall` is false: then it lands in
// the container's mini stream.
Bytes compoundFile(const Bytes& stream, const std::string& streamName = "Workbook", bool padSmall = true);

}  // namespace xls_test
