// libFuzzer target: any bytes, read as an .xls file (when they start like a compound file) or
// as a bare workbook stream, into a host workbook. Every outcome of reading but a HostError is
// a bug. A workbook that opens is then saved (to a compound file in memory), the copy is read
// back, and every sheet, cell and value the first reading gave must be there again: numbers
// bit for bit, texts, booleans, errors, the formulas and their results. A save may refuse
// content the format cannot hold, with a HostError; a copy that cannot be read, or that reads
// differently, aborts.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/workbook.h"
#include "host/workbook_importer.h"
#include "xls/load_workbook_bytes.h"
#include "xls/ole_container_writer.h"
#include "xls/workbook_reader.h"
#include "xls/workbook_writer.h"

namespace {

std::unique_ptr<host::Workbook> open(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t kOle[4] = {0xD0, 0xCF, 0x11, 0xE0};
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), kOle, 4) == 0) return host::xls::loadWorkbookBytes(bytes);
    return host::xls::loadWorkbookStreamBytes(bytes);
}

[[noreturn]] void mismatch(const std::string& what) {
    std::fprintf(stderr, "round trip: %s\n", what.c_str());
    std::abort();
}

// The workbook saved as an .xls file, in memory; `refused` when the writer refuses its content.
std::vector<std::uint8_t> saved(const host::Workbook& workbook, bool& refused) {
    refused = false;
    host::xls::WorkbookStream stream;
    try {
        stream = host::xls::buildWorkbookStream(workbook);
    } catch (const host::HostError&) {
        refused = true;
        return {};
    }
    const int fd = memfd_create("xls-round-trip", 0);
    if (fd < 0) std::abort();
    if (!host::xls::writeCompoundFile(fd, stream.spans())) mismatch("the compound file could not be written");
    const off_t size = lseek(fd, 0, SEEK_END);
    std::vector<std::uint8_t> file(static_cast<std::size_t>(size));
    if (pread(fd, file.data(), file.size(), 0) != size) std::abort();
    close(fd);
    return file;
}

std::string where(const host::Worksheet& sheet, host::CellAddress at) {
    return "sheet \"" + sheet.name() + "\" row " + std::to_string(at.row) + " column " + std::to_string(at.col);
}

// What a cell holds, for a message: its kind, its value and any formula.
std::string described(const host::Worksheet& sheet, const host::CellView& c) {
    static const char* const kKinds[] = {"blank", "constant", "formula"};
    std::string out = kKinds[static_cast<int>(c.kind)];
    const host::Value& v = c.value;
    switch (v.kind) {
        case host::Value::Kind::Empty: out += " empty"; break;
        case host::Value::Kind::Number: {
            char text[64];
            std::uint64_t bits;
            std::memcpy(&bits, &v.number, sizeof bits);
            std::snprintf(text, sizeof text, " %.17g (0x%016llx)", v.number, static_cast<unsigned long long>(bits));
            out += text;
            break;
        }
        case host::Value::Kind::Text:
            out += " \"" + v.text.substr(0, 80) + "\" (" + std::to_string(v.text.size()) + " bytes)";
            break;
        case host::Value::Kind::Boolean: out += v.boolean ? " TRUE" : " FALSE"; break;
        case host::Value::Kind::Error: out += " " + std::string(host::errorText(v.error)); break;
    }
    if (c.kind == host::CellView::Kind::Formula) out += " " + sheet.formulaText(c.at);
    return out;
}

bool sameValue(const host::Value& a, const host::Value& b) {
    if (a.kind != b.kind) return false;
    if (a.kind == host::Value::Kind::Number) return std::memcmp(&a.number, &b.number, sizeof a.number) == 0;
    return a == b;
}

void compareSheets(const host::Worksheet& first, const host::Worksheet& copy) {
    if (first.name() != copy.name()) mismatch("sheet \"" + first.name() + "\" came back as \"" + copy.name() + "\"");
    std::vector<host::CellView> cells;
    first.forEachCell([&](const host::CellView& c) {
        if (c.kind != host::CellView::Kind::Blank) cells.push_back(c);
    });
    std::size_t count = 0;
    copy.forEachCell([&](const host::CellView& c) {
        if (c.kind != host::CellView::Kind::Blank) ++count;
    });
    for (const host::CellView& c : cells) {
        const host::CellView back = copy.cell(c.at);
        if (back.kind != c.kind || !sameValue(c.value, back.value) ||
            (c.kind == host::CellView::Kind::Formula && first.formulaText(c.at) != copy.formulaText(c.at))) {
            mismatch(where(first, c.at) + ": " + described(first, c) + " came back as " + described(copy, back));
        }
    }
    if (count != cells.size()) mismatch("sheet \"" + first.name() + "\" came back with other cells");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<host::Workbook> first;
    try {
        first = open({data, size});
    } catch (const host::HostError&) {
        return 0;
    }
    bool refused = false;
    const std::vector<std::uint8_t> file = saved(*first, refused);
    if (refused) return 0;
    std::unique_ptr<host::Workbook> copy;
    try {
        copy = host::xls::loadWorkbookBytes(file);
    } catch (const host::HostError& e) {
        mismatch(std::string("the saved copy cannot be read: ") + e.what());
    }
    if (copy->sheetCount() != first->sheetCount()) mismatch("the copy has another number of sheets");
    for (int i = 0; i < first->sheetCount(); ++i) compareSheets(first->sheet(i), copy->sheet(i));
    return 0;
}
