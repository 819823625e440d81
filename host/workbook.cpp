#include "host/workbook.h"

#include "host/host_error.h"

namespace host {

std::unique_ptr<Workbook> Workbook::createDefault() {
    auto wb = std::make_unique<Workbook>();
    wb->addSheet("Sheet1");
    wb->addSheet("Sheet2");
    wb->addSheet("Sheet3");
    wb->activeSheet_ = 0;
    return wb;
}

Worksheet& Workbook::addSheet(const std::string& name) {
    sheets_.push_back(std::make_unique<Worksheet>(name, styles_));
    sheets_.back()->workbookSheets_ = &sheets_;
    return *sheets_.back();
}

void Workbook::selectSheet(int index) {
    if (index < 0 || index >= sheetCount()) {
        throw HostError("The workbook has no sheet " + std::to_string(index + 1) + ".");
    }
    activeSheet_ = index;
}

}  // namespace host
