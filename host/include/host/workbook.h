#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <optional>

#include "host/file_fingerprint.h"
#include "host/style.h"
#include "host/worksheet.h"

namespace host {

// What a file format's filter keeps of the file a workbook was read from and needs to write it
// back (the .xls filter: the token bytes of formulas the engine does not compute). The model
// carries it without looking inside.
class FilterData {
public:
    virtual ~FilterData() = default;
};

// A defined name as formula text in the A1 form, without the "=" ("Sheet1!$A$1:$B$5", "0.07"):
// read from a file that keeps names as text and written back, never computed here. Built-in
// names keep Excel's "_xlnm." prefix ("_xlnm.Print_Area").
struct DefinedName {
    std::string name;
    int sheet = -1;  // the worksheet the name belongs to, from 0; -1 for the whole workbook
    std::string formula;
    friend bool operator==(const DefinedName&, const DefinedName&) = default;
};

class Workbook {
public:
    Workbook() = default;
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // A new workbook as a spreadsheet program makes one: Sheet1, Sheet2, Sheet3.
    static std::unique_ptr<Workbook> createDefault();

    Worksheet& addSheet(const std::string& name);
    int sheetCount() const { return static_cast<int>(sheets_.size()); }
    Worksheet& sheet(int index) { return *sheets_.at(index); }  // zero-based
    const Worksheet& sheet(int index) const { return *sheets_.at(index); }

    int activeSheetIndex() const { return activeSheet_; }
    void selectSheet(int index);  // zero-based; HostError when out of range
    Worksheet& activeSheet() { return sheet(activeSheet_); }

    StyleTable& styles() { return styles_; }
    const StyleTable& styles() const { return styles_; }

    // The 1904 date system (some Mac files): serials count from 1904-01-01.
    bool date1904 = false;

    // The link tables of the .xls file this workbook was read from: its SUPBOOK, EXTERNSHEET,
    // NAME and EXTERNNAME records (each whole, header included, with any CONTINUE records
    // after it), in file order. A formula the engine cannot compute keeps tokens that point
    // into them (3-D references, defined names), so saving writes them back unchanged.
    // Empty for a workbook made here.
    std::vector<std::vector<std::uint8_t>> xlsLinkRecords;
    // The defined names of the file the workbook was read from, in file order; the .xlsx
    // writer writes them (the .xls writer keeps the file's own NAME records instead).
    std::vector<DefinedName> definedNames;
    // The .xls filter's own data of that file; null for a workbook made here.
    std::shared_ptr<const FilterData> xlsFilterData;

    // The format of the file the workbook came from or was last saved to: Save keeps it.
    enum class FileFormat : std::uint8_t { Xls, Xlsx };
    FileFormat fileFormat = FileFormat::Xls;

    // The file this workbook belongs to; empty until it is opened from or saved to one.
    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }

    // The file as this workbook last read or wrote it (Workbooks.Open, Save, SaveAs), so that a
    // caller can tell whether another program has changed it since; nullopt for a workbook
    // that has no file yet.
    const std::optional<FileFingerprint>& fileFingerprint() const { return fileFingerprint_; }
    void setFileFingerprint(std::optional<FileFingerprint> print) { fileFingerprint_ = print; }

private:
    StyleTable styles_;
    std::vector<std::unique_ptr<Worksheet>> sheets_;
    int activeSheet_ = 0;
    std::string path_;
    std::optional<FileFingerprint> fileFingerprint_;
};

}  // namespace host
