#include "xlsx/xlsx_reader.h"

#include <cstring>

#include "host/workbook_importer.h"
#include "xlsx/package_parts.h"
#include "xlsx/sheet_part.h"

namespace host::xlsx {

bool looksLikeXlsx(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t kZip[4] = {'P', 'K', 3, 4};
    return bytes.size() >= 4 && std::memcmp(bytes.data(), kZip, 4) == 0;
}

void readXlsx(std::span<const std::uint8_t> bytes, WorkbookImport& sink) {
    ZipPackage package(bytes);
    const WorkbookPart workbook = readWorkbookPart(package);
    sink.dateSystem1904(workbook.date1904);
    if (!workbook.stylesPart.empty() && package.has(workbook.stylesPart)) {
        sink.cellStyles(readCellStyles(package, workbook.stylesPart));
    }
    SharedStrings strings;
    if (!workbook.sharedStringsPart.empty() && package.has(workbook.sharedStringsPart)) {
        strings = readSharedStrings(package, workbook.sharedStringsPart);
    }
    for (const SheetPart& sheet : workbook.sheets) {
        sink.beginSheet(sheet.name);
        readSheetPart(package, sheet.partName, strings, workbook.date1904, sink);
        sink.endSheet();
    }
    sink.activeSheet(workbook.activeSheet);
    for (const WorkbookPart::Name& n : workbook.definedNames) sink.definedName(n.name, n.sheet, n.formula);
}

std::unique_ptr<Workbook> loadXlsxBytes(std::span<const std::uint8_t> bytes) {
    auto workbook = std::make_unique<Workbook>();
    WorkbookImporter importer(*workbook);
    readXlsx(bytes, importer);
    workbook->fileFormat = Workbook::FileFormat::Xlsx;
    return workbook;
}

}  // namespace host::xlsx
