#include "documents/replace_question.h"

#include <filesystem>
#include <system_error>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "documents/documents.h"
#include "host/application.h"
#include "workbook/entries_count.h"

namespace tallomer {

namespace {
namespace fs = std::filesystem;

ReplaceQuestionHandler& handler() {
    static ReplaceQuestionHandler current;
    return current;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return !b.empty() && fs::equivalent(a, b, error);
}
}  // namespace

void setReplaceQuestionHandler(ReplaceQuestionHandler h) { handler() = std::move(h); }

bool askReplace(const QString& question) {
    if (handler()) return handler()(question);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tallomer"), question, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton* replace = box.addButton(QStringLiteral("Replace"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == replace;
}

std::string replaceQuestionText(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    try {
        // Read by a host of its own, so the workbook at hand is not touched.
        host::Application reader;
        host::Worksheet& sheet = reader.openWorkbook(path).activeSheet();
        if (sheet.value({0, 0}) == host::Value::fromText("Entries")) {
            const int n = EntriesCount(sheet.read({0, 1}));
            return name + " already exists and holds " + std::to_string(n) + (n == 1 ? " entry" : " entries") +
                   ". Replace it?";
        }
    } catch (const std::exception&) {
        // Not a workbook the host can read, or no count in B1: not a statistics workbook.
    }
    return name + " already exists and is not a statistics workbook. Replace it?";
}

bool mayReplace(Documents& d, const std::string& path) {
    std::error_code error;
    if (!fs::exists(path, error)) return true;
    const host::Workbook* own = d.state.xlApp ? d.state.xlApp->activeWorkbook() : nullptr;
    if (own && sameFile(path, own->path())) return true;
    const std::string text = replaceQuestionText(path);
    if (d.hooks.askReplace) return d.hooks.askReplace(text) == 0;
    return askReplace(QString::fromStdString(text));
}

}  // namespace tallomer
