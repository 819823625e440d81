#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_error.h"
#include "host/value.h"
#include "host/workbook.h"

namespace host {

class Application;

// Range(address): a rectangle on the active sheet.
class Range {
public:
    Range(Application& app, Worksheet& sheet, CellRange cells) : app_(&app), sheet_(&sheet), cells_(cells) {}
    void select();  // its top-left cell becomes the active cell
    double columnWidth() const;  // of its first column
    void setColumnWidth(double width);  // every column it spans
    void setBold(bool bold);  // Font.Bold
    void setHorizontalAlignment(int xlConstant);  // xlRight -4152, xlLeft -4131, xlCenter, xlGeneral
    const CellRange& cells() const { return cells_; }

private:
    Application* app_;
    Worksheet* sheet_;
    CellRange cells_;
};

// ActiveCell: the active sheet's active cell.
class ActiveCell {
public:
    ActiveCell(Application& app, Worksheet& sheet) : app_(&app), sheet_(&sheet) {}
    CellValue value() const;  // a formula's current result
    void setValue(std::string_view typed);  // taken as if typed
    void setValue(double number);
    std::string address() const;  // absolute form, "$B$7"
    CellAddress position() const;

private:
    Application* app_;
    Worksheet* sheet_;
};

// The spreadsheet application the program drives: one instance for the whole run.
class Application {
public:
    Application();
    ~Application();

    bool visible() const { return visible_; }
    void setVisible(bool v);
    bool displayAlerts() const { return displayAlerts_; }
    void setDisplayAlerts(bool v);

    // Workbooks.Add and Workbooks.Open: the new workbook becomes the active one.
    Workbook& addWorkbook();
    Workbook& openWorkbook(const std::string& path);  // HostError saying why it cannot be read

    // ActiveWorkbook; nullptr when no workbook is open.
    Workbook* activeWorkbook();
    void closeActiveWorkbook();  // drops unsaved changes, no prompt
    // Workbooks(n).Activate: makes an open workbook the active one (HostError when it is not
    // one of the open workbooks).
    void activateWorkbook(Workbook& workbook);
    void saveActiveWorkbook();  // to its own path; HostError when it has none
    void saveActiveWorkbookAs(const std::string& path);  // replaces a file without a prompt

    // Sheets(n).Select on the active workbook, n counted from 1 as the object model does.
    void selectSheet(int oneBased);
    // Range(a) and ActiveCell on the active sheet; HostError when no workbook is open or the
    // address is not one.
    Range range(std::string_view address);
    ActiveCell activeCell();

    void quit();
    bool hasQuit() const { return quit_; }

    // Test seam: called with an operation's name before the host carries it out; it may throw
    // HostError to make the host fail at that point. The names:
    //   "Application.Visible=", "Application.DisplayAlerts=", "Application.Quit",
    //   "Workbooks.Add", "Workbooks.Open", "ActiveWorkbook", "ActiveWorkbook.Close",
    //   "ActiveWorkbook.Save", "ActiveWorkbook.SaveAs", "Sheets.Select",
    //   "Range" (taking Range(a)), "Range.Select", "Range.ColumnWidth", "Range.ColumnWidth=",
    //   "Range.Font.Bold=", "Range.HorizontalAlignment=",
    //   "ActiveCell" (taking ActiveCell), "ActiveCell.Value", "ActiveCell.Value=",
    //   "ActiveCell.Address", "ActiveCell.Position".
    std::function<void(std::string_view operation)> beforeOperation;
    void check(std::string_view operation);  // calls beforeOperation; throws after quit
    // Throws HostError when `sheet` belongs to no open workbook (a Range or ActiveCell kept
    // past the Close of its workbook).
    void requireOpenSheet(const Worksheet* sheet) const;

private:
    Worksheet& activeSheetOrThrow();
    std::vector<std::unique_ptr<Workbook>> workbooks_;
    // The workbook closed last, released only once the next one exists, so that a new
    // workbook is never at the address of the one it replaces.
    std::unique_ptr<Workbook> closed_;
    int active_ = -1;
    bool visible_ = true;
    bool displayAlerts_ = true;
    bool quit_ = false;
};

}  // namespace host
