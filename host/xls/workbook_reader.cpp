#include "xls/workbook_reader.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>

#include "host/host_error.h"
#include "xls/biff_constants.h"
#include "xls/biff_version.h"
#include "xls/byte_reader.h"
#include "xls/formula_render.h"
#include "xls/record_stream.h"
#include "xls/sheet_numbering.h"
#include "xls/sheet_reader.h"
#include "xls/workbook_globals.h"

namespace host::xls {

void throwDamaged(const char* what) { throw HostError(std::string("the workbook is damaged: ") + what); }

namespace {

constexpr std::uint16_t kBofMacroSheet = 0x0040;
constexpr std::uint8_t kSheetTypeWorksheet = 0;

// The BOF at the reader's position; returns its substream type.
std::uint16_t readBof(RecordStream& records) {
    BiffRecord rec;
    if (!records.next(rec)) throw HostError("not an Excel 97-2003 workbook: the workbook stream is empty");
    const auto version = bofVersion(rec.id, rec.data);
    if (!version)
        throw HostError("not an Excel 97-2003 workbook: the workbook stream does not start with a BOF record");
    if (*version != BiffVersion::Biff8) throw HostError(olderFormatMessage(*version));
    if (rec.data.size() < 4) throwDamaged("a BOF record is too short");
    return loadU16(rec.data.data() + 2);
}

// The names the file defines, as formula text for the formats that keep names as text. Names
// of macro sheets and VB, of sheets the host does not keep, and formulas the reader cannot
// show are left out.
void passDefinedNames(const WorkbookGlobals& globals, const std::vector<bool>& kept, WorkbookImport& sink) {
    for (const NameRecord& n : globals.nameRecords) {
        if (n.macro || n.formula.empty() || n.name.empty()) continue;
        int sheet = -1;
        if (n.sheet >= 0) {
            if (static_cast<std::size_t>(n.sheet) >= kept.size() || !kept[static_cast<std::size_t>(n.sheet)]) continue;
            sheet = static_cast<int>(std::count(kept.begin(), kept.begin() + n.sheet, true));
        }
        std::optional<std::string> text;
        try {
            text = renderFormula(n.formula, {0, 0}, false, globals.names);
        } catch (const HostError&) {}
        if (!text || text->size() < 2 || text->front() != '=') continue;
        sink.definedName(n.builtin ? "_xlnm." + n.name : n.name, sheet, std::string_view(*text).substr(1));
    }
}

}  // namespace

void readWorkbook(std::span<const std::uint8_t> stream, WorkbookImport& sink,
                  std::vector<std::vector<std::uint8_t>>* linkRecords, OpaqueFormulas* opaque) {
    RecordStream records(stream);
    if (readBof(records) != kBofGlobals) {
        throw HostError("not an Excel 97-2003 workbook: the workbook stream does not start with the workbook globals");
    }
    WorkbookGlobals globals = readGlobals(records);  // at most kMaxSheets sheets

    // Which sheets are worksheets, the ones the host keeps; each is checked before any is read.
    std::vector<bool> kept(globals.sheets.size(), false);
    std::unordered_set<std::uint32_t> seen;
    for (std::size_t i = 0; i < globals.sheets.size(); ++i) {
        const SheetEntry& entry = globals.sheets[i];
        if (entry.type != kSheetTypeWorksheet) continue;
        if (entry.offset >= stream.size()) throwDamaged("a sheet starts past the end of the workbook stream");
        if (!seen.insert(entry.offset).second) throwDamaged("two sheets start at the same place");
        records.seek(entry.offset);
        const std::uint16_t type = readBof(records);
        if (type != kBofWorksheet) {
            if (type == kBofMacroSheet || type == 0x0020 || type == 0x0006) continue;  // macro, chart, VB
            throwDamaged("a sheet does not start with a worksheet BOF record");
        }
        kept[i] = true;
    }
    const SheetNumbering numbering(kept);
    numbering.renumber(globals.names);

    sink.dateSystem1904(globals.date1904);
    sink.cellStyles(globals.xfStyles);
    if (linkRecords) {
        linkRecords->clear();
        linkRecords->reserve(globals.linkRecords.size());
        for (const auto& r : globals.linkRecords) linkRecords->emplace_back(r.begin(), r.end());
        numbering.renumber(*linkRecords);
    }

    // Every sheet may read the whole stream once, and a little more: never more than that.
    std::size_t budget = 2 * stream.size() + 4096;
    int read = 0;
    int active = 0;
    for (std::size_t i = 0; i < globals.sheets.size(); ++i) {
        if (!kept[i]) continue;
        const SheetEntry& entry = globals.sheets[i];
        records.seek(entry.offset);
        readBof(records);
        if (static_cast<int>(i) == globals.activeSheet) active = read;
        sink.beginSheet(entry.name);
        readSheet(records, globals, sink, budget, opaque, read);
        sink.endSheet();
        ++read;
    }
    if (read == 0) throw HostError("not an Excel 97-2003 workbook: it has no worksheet");
    sink.activeSheet(active);
    passDefinedNames(globals, kept, sink);
}

}  // namespace host::xls
