#include "xls/array_constant_data.h"

#include <cmath>
#include <cstring>

#include "host/host_error.h"
#include "xls/biff_string.h"
#include "xls/biff_text.h"
#include "xls/byte_reader.h"

namespace host::xls {

namespace {
constexpr std::uint8_t kEmpty = 0x00, kNumber = 0x01, kText = 0x02, kBoolean = 0x04, kError = 0x10;

[[noreturn]] void damaged() { throw HostError("an array constant in a formula is damaged"); }

const std::uint8_t* take(std::span<const std::uint8_t> data, std::size_t& pos, std::size_t n) {
    if (pos > data.size() || data.size() - pos < n) damaged();
    const std::uint8_t* p = data.data() + pos;
    pos += n;
    return p;
}
}  // namespace

ArrayConstant readArrayConstant(std::span<const std::uint8_t> data, std::size_t& pos) {
    ArrayConstant a;
    const std::uint8_t* size = take(data, pos, 3);
    a.cols = size[0] + 1;
    a.rows = loadU16(size + 1) + 1;
    const std::size_t count = static_cast<std::size_t>(a.rows) * static_cast<std::size_t>(a.cols);
    if (count > (data.size() - pos) / 4) damaged();  // every value takes four bytes at least
    a.values.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t type = *take(data, pos, 1);
        switch (type) {
            case kEmpty:
                take(data, pos, 8);
                a.values.push_back(Value::empty());
                break;
            case kNumber: {
                const double n = loadF64(take(data, pos, 8));
                // Excel has no infinities or NaNs: a file that stores one gives #NUM!, as a cell does.
                a.values.push_back(std::isfinite(n) ? Value::fromNumber(n) : Value::fromError(ErrorCode::Num));
                break;
            }
            case kText: {
                std::size_t used = 0;
                if (pos > data.size()) damaged();
                a.values.push_back(
                    Value::fromText(readRecordString(data.subspan(pos), false, "array constant", &used)));
                pos += used;
                break;
            }
            case kBoolean: a.values.push_back(Value::fromBoolean(take(data, pos, 8)[0] != 0)); break;
            case kError: {
                const auto e = errorFromCode(take(data, pos, 8)[0]);
                if (!e) damaged();
                a.values.push_back(Value::fromError(*e));
                break;
            }
            default: damaged();
        }
    }
    return a;
}

void writeArrayConstant(const ArrayConstant& array, std::vector<std::uint8_t>& out) {
    const auto put16 = [&](std::uint16_t v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    const auto typed = [&](std::uint8_t type, std::uint8_t first) {
        out.push_back(type);
        out.push_back(first);
        out.insert(out.end(), 7, 0);
    };
    out.push_back(std::uint8_t(array.cols - 1));
    put16(std::uint16_t(array.rows - 1));
    for (const Value& v : array.values) {
        switch (v.kind) {
            case Value::Kind::Number: {
                out.push_back(kNumber);
                std::uint8_t b[8];
                std::memcpy(b, &v.number, 8);  // BIFF is little-endian, as is every machine we build for
                out.insert(out.end(), b, b + 8);
                break;
            }
            case Value::Kind::Text: {
                const BiffText text = toBiffText(v.text, 0xFFFF);
                out.push_back(kText);
                put16(std::uint16_t(text.units.size()));
                out.push_back(text.wide ? 1 : 0);
                for (char16_t u : text.units) {
                    out.push_back(std::uint8_t(u));
                    if (text.wide) out.push_back(std::uint8_t(u >> 8));
                }
                break;
            }
            case Value::Kind::Boolean: typed(kBoolean, v.boolean ? 1 : 0); break;
            case Value::Kind::Error: typed(kError, std::uint8_t(v.error)); break;
            case Value::Kind::Empty: typed(kEmpty, 0); break;
        }
    }
}

}  // namespace host::xls
