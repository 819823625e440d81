#include "xls/workbook_writer.h"

#include <string>

#include "host/host_error.h"
#include "xls/biff_constants.h"
#include "xls/biff_record_writer.h"
#include "xls/biff_text.h"
#include "xls/future_functions.h"
#include "xls/link_record.h"
#include "xls/sheet_writer.h"
#include "xls/sst_writer.h"
#include "xls/style_records_writer.h"

namespace host::xls {
namespace {

constexpr std::uint16_t kUtf16CodePage = 1200;
constexpr std::size_t kMaxSheetNameChars = 31;

void writeBof(BiffRecordWriter& out) {
    out.beginRecord(kBof);
    out.u16(kBiff8Version);
    out.u16(kBofGlobals);
    out.u16(0x0DBB);
    out.u16(0x07CC);
    out.u32(0);
    out.u32(0x00000006);
    out.endRecord();
}

void writeWriteAccess(BiffRecordWriter& out) {
    // The user name, padded with blanks to the record's fixed size.
    const std::string name = "Tallomer";
    out.beginRecord(kWriteAccess);
    writeUnicodeString16(out, toBiffText(name));
    out.fill(112 - out.recordDataSize(), ' ');
    out.endRecord();
}

void writeWindow1(BiffRecordWriter& out, const Workbook& workbook) {
    out.beginRecord(kWindow1);
    out.u16(0x0168);  // position and size, in twips
    out.u16(0x001E);
    out.u16(0x3A98);
    out.u16(0x2328);
    out.u16(0x0038);  // horizontal and vertical scroll bars, sheet tabs
    out.u16(std::uint16_t(workbook.activeSheetIndex()));
    out.u16(0);  // first tab shown
    out.u16(1);  // one sheet selected
    out.u16(600);  // tab bar width, per mille
    out.endRecord();
}

// BOUNDSHEET records; returns where each one's substream offset goes.
std::vector<std::size_t> writeBoundSheets(BiffRecordWriter& out, const Workbook& workbook) {
    std::vector<std::size_t> offsetFields;
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        out.beginRecord(kBoundSheet);
        offsetFields.push_back(out.position());
        out.u32(0);
        out.u16(0);  // visible worksheet
        writeUnicodeString8(out, toBiffText(workbook.sheet(i).name(), kMaxSheetNameChars));
        out.endRecord();
    }
    return offsetFields;
}

// The link tables kept from the file the workbook was read from, written back as they came,
// so the opaque formulas that point into them still do, and the names the future functions
// called need after them (future_functions.h). Each is a record with the CONTINUE records
// that carry the rest of it (a long EXTERNSHEET or NAME). A record that is not one of them, or
// not whole, is left out rather than written damaged.
void writeLinkRecords(BiffRecordWriter& out, const std::vector<std::vector<std::uint8_t>>& records) {
    for (const auto& record : records) {
        if (isWholeLinkRecord(record)) out.raw(record.data(), record.size());
    }
}

}  // namespace

std::vector<ByteSpan> WorkbookStream::spans() const {
    std::vector<ByteSpan> out;
    for (const auto& p : parts) out.push_back({p.data(), p.size()});
    return out;
}

std::size_t WorkbookStream::size() const {
    std::size_t total = 0;
    for (const auto& p : parts) total += p.size();
    return total;
}

std::vector<std::uint8_t> WorkbookStream::joined() const {
    std::vector<std::uint8_t> out;
    out.reserve(size());
    for (const auto& p : parts) out.insert(out.end(), p.data(), p.data() + p.size());
    return out;
}

WorkbookStream buildWorkbookStream(const Workbook& workbook) {
    // A sheet name is saved whole or not at all: one cut short could name another sheet.
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        const std::string& name = workbook.sheet(i).name();
        if (const std::size_t chars = biffUnitCount(name); chars > kMaxSheetNameChars) {
            throw HostError("The sheet name \"" + name +
                            "\" is too long to save as an Excel 97-2003 workbook: it has " + std::to_string(chars) +
                            " characters, and a sheet name holds at most " + std::to_string(kMaxSheetNameChars) + ".");
        }
    }
    // Cells first: they fill the shared string table, which the globals carry.
    SstWriter sst;
    std::vector<SheetCells> cells;
    cells.reserve(workbook.sheetCount());
    const OpaqueFormulas* opaque = OpaqueFormulas::of(workbook);
    FutureFunctionNames links(workbook.xlsLinkRecords);
    for (int i = 0; i < workbook.sheetCount(); ++i)
        cells.push_back(writeSheetCells(workbook.sheet(i), sst, opaque, i, &links));

    WorkbookStream stream;
    stream.parts.emplace_back();
    BiffRecordWriter& out = stream.parts.front();
    writeBof(out);
    out.u16Record(kInterfaceHdr, kUtf16CodePage);
    out.u16Record(kMms, 0);
    out.emptyRecord(kInterfaceEnd);
    writeWriteAccess(out);
    out.u16Record(kCodePage, kUtf16CodePage);
    out.u16Record(kDsf, 0);
    out.beginRecord(kTabId);
    for (int i = 0; i < workbook.sheetCount(); ++i) out.u16(std::uint16_t(i + 1));
    out.endRecord();
    out.u16Record(kFnGroupCount, 14);
    out.u16Record(kWindowProtect, 0);
    out.u16Record(kProtect, 0);
    out.u16Record(kPassword, 0);
    out.u16Record(kProt4Rev, 0);
    out.u16Record(kProt4RevPass, 0);
    writeWindow1(out, workbook);
    out.u16Record(kBackup, 0);
    out.u16Record(kHideObj, 0);
    out.u16Record(kDateMode, workbook.date1904 ? 1 : 0);
    out.u16Record(kPrecision, 1);
    out.u16Record(kRefreshAll, 0);
    out.u16Record(kBookBool, 0);
    writeStyleRecords(out, workbook.styles());
    out.u16Record(kUseSelfs, 1);
    const auto offsetFields = writeBoundSheets(out, workbook);
    out.beginRecord(kCountry);
    out.u16(1);
    out.u16(1);
    out.endRecord();
    writeLinkRecords(out, links.records());
    sst.write(out);
    out.emptyRecord(kEof);

    std::size_t position = out.size();
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        stream.parts.front().patchU32(offsetFields[i], std::uint32_t(position));
        BiffRecordWriter header(1024);
        writeSheetHeader(header, workbook.sheet(i), cells[i]);
        BiffRecordWriter trailer(256);
        writeSheetTrailer(trailer, workbook.sheet(i), i == workbook.activeSheetIndex());
        position += header.size() + cells[i].size() + trailer.size();
        stream.parts.push_back(std::move(header));
        for (auto& part : cells[i].records) stream.parts.push_back(std::move(part));
        stream.parts.push_back(std::move(trailer));
    }
    return stream;
}

}  // namespace host::xls
