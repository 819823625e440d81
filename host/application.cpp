// The application object: workbooks, the active sheet, Range and ActiveCell. Every operation
// calls check() first (the test seam), and a refused operation changes nothing.
#include "host/application.h"

#include <cmath>

#include "host/address.h"
#include "host/workbook_files.h"

namespace host {

namespace {

CellRange parseOrThrow(std::string_view address) {
    const auto r = parseRange(address);
    if (!r) throw HostError("\"" + std::string(address) + "\" is not a cell or range address.");
    return *r;
}

HAlign alignmentFrom(int xlConstant) {
    switch (xlConstant) {
        case xlGeneral: return HAlign::General;
        case xlLeft: return HAlign::Left;
        case xlCenter: return HAlign::Center;
        case xlRight: return HAlign::Right;
        default: throw HostError(std::to_string(xlConstant) + " is not a horizontal alignment the host knows.");
    }
}

}  // namespace

// ---- Range --------------------------------------------------------------------------------

void Range::select() {
    app_->check("Range.Select");
    app_->requireOpenSheet(sheet_);
    sheet_->selectCell(cells_.first);
}

double Range::columnWidth() const {
    app_->check("Range.ColumnWidth");
    app_->requireOpenSheet(sheet_);
    return sheet_->columnWidth(cells_.first.col);
}

void Range::setColumnWidth(double width) {
    app_->check("Range.ColumnWidth=");
    app_->requireOpenSheet(sheet_);
    if (!(width >= 0 && width <= 255)) throw HostError("A column width must be between 0 and 255 characters.");
    for (int col = cells_.first.col; col <= cells_.last.col; ++col) sheet_->setColumnWidth(col, width);
}

void Range::setBold(bool bold) {
    app_->check("Range.Font.Bold=");
    app_->requireOpenSheet(sheet_);
    sheet_->setBold(cells_, bold);
}

void Range::setHorizontalAlignment(int xlConstant) {
    app_->check("Range.HorizontalAlignment=");
    app_->requireOpenSheet(sheet_);
    sheet_->setAlignment(cells_, alignmentFrom(xlConstant));
}

// ---- ActiveCell ---------------------------------------------------------------------------

CellValue ActiveCell::value() const {
    app_->check("ActiveCell.Value");
    app_->requireOpenSheet(sheet_);
    return sheet_->read(sheet_->activeCell());
}

void ActiveCell::setValue(std::string_view typed) {
    app_->check("ActiveCell.Value=");
    app_->requireOpenSheet(sheet_);
    sheet_->setTyped(sheet_->activeCell(), typed);
}

void ActiveCell::setValue(double number) {
    app_->check("ActiveCell.Value=");
    app_->requireOpenSheet(sheet_);
    if (!std::isfinite(number)) throw HostError("A cell cannot hold an infinite or undefined number.");
    sheet_->setValue(sheet_->activeCell(), Value::fromNumber(number == 0 ? 0.0 : number));
}

std::string ActiveCell::address() const {
    app_->check("ActiveCell.Address");
    app_->requireOpenSheet(sheet_);
    return formatAddress(sheet_->activeCell(), true);
}

CellAddress ActiveCell::position() const {
    app_->check("ActiveCell.Position");
    app_->requireOpenSheet(sheet_);
    return sheet_->activeCell();
}

// ---- Application --------------------------------------------------------------------------

Application::Application() = default;
Application::~Application() = default;

void Application::check(std::string_view operation) {
    if (quit_) {
        throw HostError("The spreadsheet host has quit; " + std::string(operation) + " cannot be carried out.");
    }
    if (beforeOperation) beforeOperation(operation);
}

void Application::setVisible(bool v) {
    check("Application.Visible=");
    visible_ = v;
}

void Application::setDisplayAlerts(bool v) {
    check("Application.DisplayAlerts=");
    displayAlerts_ = v;
}

Workbook& Application::addWorkbook() {
    check("Workbooks.Add");
    workbooks_.push_back(Workbook::createDefault());
    active_ = static_cast<int>(workbooks_.size()) - 1;
    closed_.reset();
    return *workbooks_.back();
}

Workbook& Application::openWorkbook(const std::string& path) {
    check("Workbooks.Open");
    std::unique_ptr<Workbook> wb = loadWorkbookFile(path);  // throws HostError saying why
    if (!wb) throw HostError("The workbook \"" + path + "\" could not be read.");
    if (wb->sheetCount() == 0) throw HostError("The workbook \"" + path + "\" has no sheets.");
    wb->setPath(path);
    wb->setFileFingerprint(fingerprintFile(path));
    workbooks_.push_back(std::move(wb));
    active_ = static_cast<int>(workbooks_.size()) - 1;
    closed_.reset();
    return *workbooks_.back();
}

Workbook* Application::activeWorkbook() {
    check("ActiveWorkbook");
    if (active_ < 0 || active_ >= static_cast<int>(workbooks_.size())) return nullptr;
    return workbooks_[static_cast<std::size_t>(active_)].get();
}

void Application::closeActiveWorkbook() {
    check("ActiveWorkbook.Close");
    if (active_ < 0) throw HostError("No workbook is open.");
    closed_ = std::move(workbooks_[static_cast<std::size_t>(active_)]);
    workbooks_.erase(workbooks_.begin() + active_);
    active_ = workbooks_.empty() ? -1 : static_cast<int>(workbooks_.size()) - 1;
}

void Application::activateWorkbook(Workbook& workbook) {
    check("Workbook.Activate");
    for (std::size_t i = 0; i < workbooks_.size(); ++i) {
        if (workbooks_[i].get() == &workbook) {
            active_ = static_cast<int>(i);
            return;
        }
    }
    throw HostError("That workbook is not open.");
}

void Application::saveActiveWorkbook() {
    check("ActiveWorkbook.Save");
    if (active_ < 0) throw HostError("No workbook is open.");
    Workbook& wb = *workbooks_[static_cast<std::size_t>(active_)];
    if (wb.path().empty()) throw HostError("The workbook has no file yet; save it under a name first.");
    saveWorkbookFile(wb, wb.path(), wb.fileFormat);  // the format the file already has
    wb.setFileFingerprint(fingerprintFile(wb.path()));
}

void Application::saveActiveWorkbookAs(const std::string& path) {
    check("ActiveWorkbook.SaveAs");
    if (active_ < 0) throw HostError("No workbook is open.");
    if (path.empty()) throw HostError("A workbook cannot be saved without a file name.");
    Workbook& wb = *workbooks_[static_cast<std::size_t>(active_)];
    const Workbook::FileFormat format = fileFormatForName(path);
    saveWorkbookFile(wb, path, format);
    wb.fileFormat = format;
    wb.setPath(path);
    wb.setFileFingerprint(fingerprintFile(path));
}

void Application::selectSheet(int oneBased) {
    check("Sheets.Select");
    if (active_ < 0) throw HostError("No workbook is open.");
    if (oneBased < 1) throw HostError("Sheets are counted from 1; there is no sheet " + std::to_string(oneBased) + ".");
    workbooks_[static_cast<std::size_t>(active_)]->selectSheet(oneBased - 1);
}

Range Application::range(std::string_view address) {
    check("Range");
    Worksheet& sheet = activeSheetOrThrow();
    return Range(*this, sheet, parseOrThrow(address));
}

ActiveCell Application::activeCell() {
    check("ActiveCell");
    return ActiveCell(*this, activeSheetOrThrow());
}

void Application::quit() {
    check("Application.Quit");
    workbooks_.clear();
    closed_.reset();
    active_ = -1;
    quit_ = true;
}

Worksheet& Application::activeSheetOrThrow() {
    if (active_ < 0 || active_ >= static_cast<int>(workbooks_.size())) throw HostError("No workbook is open.");
    return workbooks_[static_cast<std::size_t>(active_)]->activeSheet();
}

void Application::requireOpenSheet(const Worksheet* sheet) const {
    for (const auto& wb : workbooks_) {
        for (int i = 0; i < wb->sheetCount(); ++i) {
            if (&wb->sheet(i) == sheet) return;
        }
    }
    throw HostError("The workbook of this cell or range is no longer open.");
}

}  // namespace host
