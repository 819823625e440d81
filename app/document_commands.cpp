#include "app/program.h"

#include <QApplication>
#include <memory>

#include "app/main_menu.h"
#include "app/message_box.h"
#include "app/unsaved_entries.h"
#include "documents/document_commands.h"
#include "documents/documents.h"
#include "workbook/recent_workbooks.h"
#include "workbook/state_folder.h"

namespace tallomer {

namespace {

// Keeps the document windows for as long as the main window lives.
class DocumentsOwner : public QObject {
public:
    DocumentsOwner(QObject* parent, std::unique_ptr<Documents> documents)
        : QObject(parent), documents(std::move(documents)) {}
    std::unique_ptr<Documents> documents;
};

}  // namespace

// The document commands plugged into the main window: New, Save, Quit, Open and Save As, the
// close control (Quit, guard included), and the placing of the guards and the file dialog at
// start-up.
void wireDocumentCommands(Program& program) {
    Form1& form1 = program.form1();
    DocumentHooks hooks;
    hooks.hideWaitWindow = [&program] { program.form2().hide(); };
    hooks.endProgram = [&program] {
        for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
        program.end(0);
    };
    hooks.workbookReplaced = [&program](const std::string& path) {
        program.entries().forgetRun();
        restartJournal(program, path);
        if (!path.empty()) rememberWorkbook(stateFolder(), path);
        program.sheetEvents().announceChange();
    };
    hooks.workbookSaved = [&program](const std::string& path) {
        restartJournal(program, path);
        rememberWorkbook(stateFolder(), path);
    };
    wireJournal(program);
    hooks.askReplace = [&form1](const std::string& text) {
        return askQuestion(&form1, QStringLiteral("Tallomer"), QString::fromStdString(text),
                           {QStringLiteral("Replace"), QStringLiteral("Cancel")}, 1);
    };
    auto* owner = new DocumentsOwner(&form1, std::make_unique<Documents>(form1, program.shared(), std::move(hooks)));
    Documents& docs = *owner->documents;
    program.setDocuments(&docs);

    const auto on = [&form1, &docs](auto signal, void (*command)(Documents&)) {
        QObject::connect(&form1, signal, &form1, [&docs, command] { docs.run(command); });
    };
    on(&Form1::newRequested, Form1_Command2_Click);
    on(&Form1::saveRequested, Form1_Command3_Click);
    on(&Form1::quitRequested, Form1_Command4_Click);
    on(&Form1::openRequested, Form1_Command5_Click);
    on(&Form1::saveAsRequested, Form1_Command6_Click);
    QObject::connect(&form1, &Form1::closeRequested, &form1, [&docs] { docs.closeRequested(); });
    program.placeSecondaryWindows = [&docs](Program&) { docs.placeWindowsAtStartUp(); };
    program.openGivenFile = [&docs](const std::string& path) {
        docs.run([&path](Documents& d) { OpenGivenFile(d, path); });
    };
    form1.submitHandler = [&program] {
        if (program.entries().submit()) program.sheetEvents().announceChange();
    };
    installMainMenu(program);
}

}  // namespace tallomer
