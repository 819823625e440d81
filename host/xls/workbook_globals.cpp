#include "xls/workbook_globals.h"

#include <algorithm>
#include <unordered_map>

#include "host/host_error.h"
#include "xls/biff_constants.h"
#include "xls/biff_string.h"
#include "xls/builtin_formats.h"
#include "xls/byte_reader.h"
#include "xls/shared_strings.h"

namespace host::xls {

namespace {

constexpr std::uint16_t kBoldWeight = 700;
// Excel stops at about 4,000 XFs; past this the host's 16-bit style numbers could run out.
constexpr std::size_t kMaxXfs = 65000;

bool isLinkRecord(std::uint16_t id) { return id == kSupBook || id == kExternSheet || id == kName || id == kExternName; }

// The record at `rec` with the CONTINUE records after it, as it stands in the stream.
std::span<const std::uint8_t> wholeRecord(const BiffRecord& rec, RecordStream& records) {
    BiffRecord next;
    while (records.peekId() == kContinue) records.next(next);
    return records.bytes().subspan(rec.offset, records.offset() - rec.offset);
}

struct RawXf {
    std::uint16_t font = 0;
    std::uint16_t format = 0;
    std::uint8_t align = 0;
};

HAlign alignment(std::uint8_t alc) {
    switch (alc & 0x07) {
        case 1: return HAlign::Left;
        case 2:
        case 6: return HAlign::Center;  // 6: centred across the selection
        case 3: return HAlign::Right;
        default: return HAlign::General;
    }
}

// Names Excel gives its built-in defined names (a one-character code in the NAME record).
std::string builtinName(std::uint8_t code) {
    static constexpr std::string_view kNames[] = {
        "Consolidate_Area", "Auto_Open",       "Auto_Close",   "Extract",        "Database",
        "Criteria",         "Print_Area",      "Print_Titles", "Recorder",       "Data_Form",
        "Auto_Activate",    "Auto_Deactivate", "Sheet_Title",  "_FilterDatabase"};
    return code < std::size(kNames) ? std::string(kNames[code]) : "Name" + std::to_string(code);
}

NameRecord readDefinedName(std::span<const std::uint8_t> body) {
    ByteReader r(body, "a defined name is damaged");
    const std::uint16_t flags = r.u16();
    r.skip(1);
    const std::uint8_t length = r.u8();
    const std::uint16_t formulaSize = r.u16();
    r.skip(2);
    const std::uint16_t itab = r.u16();
    r.skip(4);
    // The name's characters have a flag byte but no count of their own.
    const std::uint8_t wide = r.u8() & 0x01;
    const auto chars = r.take(std::size_t{length} * (wide ? 2 : 1));
    NameRecord out;
    if (wide) {
        for (std::size_t i = 0; i < length; ++i) appendUtf8(out.name, loadU16(chars.data() + 2 * i));
    } else {
        for (std::uint8_t c : chars) appendUtf8(out.name, c);
    }
    out.builtin = (flags & 0x0020) && !out.name.empty();
    if (out.builtin) out.name = builtinName(static_cast<std::uint8_t>(out.name[0]));
    out.macro = (flags & 0x000E) != 0;  // fFunc, fOB, fProc
    out.sheet = itab == 0 ? -1 : itab - 1;
    try {
        out.formula = r.take(formulaSize);
    } catch (const HostError&) {
        out.formula = {};  // the name is still shown; its formula is not written elsewhere
    }
    return out;
}

// "Sheet" and the sheet's number, or the first number after it that no sheet has: the name
// of a sheet whose own name is damaged.
std::string unusedSheetName(const std::vector<SheetEntry>& sheets) {
    for (std::size_t n = sheets.size() + 1;; ++n) {
        std::string name = "Sheet" + std::to_string(n);
        if (std::none_of(sheets.begin(), sheets.end(), [&](const SheetEntry& s) { return s.name == name; }))
            return name;
    }
}

}  // namespace

WorkbookGlobals readGlobals(RecordStream& records) {
    WorkbookGlobals g;
    std::vector<bool> boldFonts;
    std::unordered_map<std::uint16_t, std::string> formats;
    std::vector<RawXf> xfs;
    std::vector<std::span<const std::uint8_t>> segments;

    BiffRecord rec;
    bool ended = false;
    while (!ended && records.next(rec)) {
        if (isLinkRecord(rec.id)) {
            // Read the body first: wholeRecord moves past the CONTINUE records.
            const std::size_t resume = records.offset();
            g.linkRecords.push_back(wholeRecord(rec, records));
            records.seek(resume);
        }
        switch (rec.id) {
            case kEof: ended = true; break;
            case kFilePass: throw HostError("the workbook is encrypted (password-protected) and cannot be read");
            // A formatting record too short for its fields, or whose text runs past its end,
            // is damaged in a way that can be told: it is passed over (a font or XF keeps its
            // place in the numbering, plain), and the cells and the rest open as they are.
            case kDateMode: {
                if (rec.data.size() >= 2) g.date1904 = loadU16(rec.data.data()) == 1;
                break;
            }
            case kFont: {
                boldFonts.push_back(rec.data.size() >= 8 && loadU16(rec.data.data() + 6) >= kBoldWeight);
                break;
            }
            case kFormat: {
                try {
                    ByteReader r(rec.data, "a FORMAT record is damaged");
                    const std::uint16_t index = r.u16();
                    formats[index] = readRecordString(r.rest(), false, "a FORMAT record is damaged");
                } catch (const HostError&) {}
                break;
            }
            case kXf: {
                RawXf xf;
                if (rec.data.size() >= 7) {
                    xf.font = loadU16(rec.data.data());
                    xf.format = loadU16(rec.data.data() + 2);
                    xf.align = rec.data[6];
                }
                if (xfs.size() < kMaxXfs) xfs.push_back(xf);
                break;
            }
            case kBoundSheet: {
                ByteReader r(rec.data, "a BOUNDSHEET record is damaged");
                SheetEntry s;
                s.offset = r.u32();
                r.skip(1);  // visibility
                s.type = r.u8();
                try {
                    s.name = readRecordString(r.rest(), true, "a BOUNDSHEET record is damaged");
                } catch (const HostError&) {
                    // The sheet is there; only its name is damaged.
                    s.name = unusedSheetName(g.sheets);
                }
                g.sheets.push_back(std::move(s));
                g.names.sheetNames.push_back(g.sheets.back().name);
                if (g.sheets.size() > kMaxSheets) throwDamaged("it lists more sheets than a workbook can hold");
                break;
            }
            case kSst: {
                segments.clear();
                segments.push_back(rec.data);
                records.collectContinues(segments);
                g.sharedStrings = readSharedStrings(segments);
                break;
            }
            case kExternSheet: {
                if (rec.data.size() < 2) break;  // damaged: the references through it show as #REF!
                ByteReader r(rec.data, "the EXTERNSHEET record is damaged");
                const std::size_t count = std::min<std::size_t>(r.u16(), r.remaining() / 6);
                g.names.externSheets.reserve(count);
                for (std::size_t i = 0; i < count; ++i) {
                    FormulaNames::ExternSheet x;
                    x.supBook = r.u16();
                    x.firstSheet = static_cast<std::int16_t>(r.u16());
                    x.lastSheet = static_cast<std::int16_t>(r.u16());
                    g.names.externSheets.push_back(x);
                }
                break;
            }
            case kSupBook: {
                // The workbook's own SUPBOOK is 4 bytes: the sheet count and 0x0401.
                g.names.supBookIsOwnWorkbook.push_back(rec.data.size() == 4 && loadU16(rec.data.data() + 2) == 0x0401);
                // The add-in SUPBOOK is 4 bytes too: 1 and 0x3A01.
                g.names.supBookIsAddIn.push_back(rec.data.size() == 4 && loadU16(rec.data.data() + 2) == 0x3A01);
                g.names.externNames.emplace_back();
                break;
            }
            case kExternName: {
                // Flags, 4 reserved bytes, then the name; the names count per SUPBOOK.
                if (g.names.externNames.empty()) break;
                std::string name;
                try {
                    if (rec.data.size() > 6)
                        name = readRecordString(rec.data.subspan(6), true, "an EXTERNNAME is damaged");
                } catch (const HostError&) {}  // a damaged name keeps its place, naming nothing
                g.names.externNames.back().push_back(std::move(name));
                break;
            }
            case kName: {
                NameRecord name;
                try {
                    name = readDefinedName(rec.data);
                } catch (const HostError&) {
                    name.name = "#NAME?";  // only ever shown, never computed with
                    name.macro = true;
                }
                g.names.definedNames.push_back(name.name);
                g.nameRecords.push_back(std::move(name));
                break;
            }
            case kWindow1: {
                if (rec.data.size() >= 12) g.activeSheet = loadU16(rec.data.data() + 10);
                break;
            }
            default: break;
        }
    }
    g.xfStyles.reserve(xfs.size());
    for (const RawXf& xf : xfs) {
        Style s;
        // Font 4 does not exist: the numbering skips it.
        const std::size_t font = xf.font < 4 ? xf.font : std::size_t{xf.font} - 1u;
        s.bold = xf.font != 4 && font < boldFonts.size() && boldFonts[font];
        s.align = alignment(xf.align);
        if (const auto it = formats.find(xf.format); it != formats.end()) {
            s.numberFormat = it->second;
        } else if (const auto builtin = builtinNumberFormat(xf.format); !builtin.empty()) {
            s.numberFormat = std::string(builtin);
        }
        g.xfStyles.push_back(std::move(s));
    }
    return g;
}

}  // namespace host::xls
