#include "app/program.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenuBar>
#include <QTimer>

#include "app/message_box.h"
#include "app/place_window.h"
#include "app/startup_probe.h"
#include "app/trends_window.h"
#include "host/application.h"
#include "workbook/state_folder.h"
#include "workbook/stats_sheet.h"
#include "workbook/window_layout.h"
#include "workbook/window_placement.h"

namespace tallomer {

Program::Program(HostFactory makeHost) : makeHost_(std::move(makeHost)), journal_(stateFolder()) {
    if (!makeHost_) makeHost_ = [] { return std::make_unique<host::Application>(); };
    QObject::connect(&sheetEvents_, &SheetEvents::sheetChanged, &form1_, [this] {
        if (trends_ && trends_->isVisible()) trends_->refresh(host_ ? host_->activeWorkbook() : nullptr);
    });
}

Program::~Program() = default;

TrendsWindow& Program::trends() {
    if (!trends_) trends_ = std::make_unique<TrendsWindow>();
    return *trends_;
}

void Program::showTrends() {
    TrendsWindow& window = trends();
    window.refresh(host_ ? host_->activeWorkbook() : nullptr);
    window.show();
    window.raise();
    window.activateWindow();
}

Form2& Program::form2() {
    if (!form2_) form2_ = std::make_unique<Form2>();
    return *form2_;
}

bool Program::Form1_Form_Load() {
    SharedState& state = shared();
    form1_.hide();

    const ScreenTwips screen = measureScreen();
    state.lScreenWidth = screen.width;
    state.lScreenHeight = screen.height;

    placeWindow(form2(), centredPlacement(state.lScreenWidth, state.lScreenHeight, Form2::kWidth, Form2::kHeight));
    form2().show();

    // The outer height grows by the menu bar's: centred with the real outer size.
    const int menuBarHeight = form1_.menuBar()->sizeHint().height() * 15;
    placeWindow(form1_, centredPlacement(state.lScreenWidth, state.lScreenHeight, kMainWindowWidth,
                                         kMainWindowHeight + menuBarHeight));
    if (placeSecondaryWindows) placeSecondaryWindows(*this);

    form1_.setProcessingVisible(false);
    state.Saved = "True";
    state.Named = "False";

    try {
        host_ = makeHost_();
        host_->setVisible(false);
        host_->setDisplayAlerts(false);
        state.xlApp = host_.get();
    } catch (const std::exception& failure) {
        // No sheet and no host: nothing to work with, so the run ends here.
        form1_.message(std::string("Tallomer cannot start its spreadsheet host: ") + failure.what());
        end(1);
        return false;
    }

    try {
        NewStatsSheet(*host_, form1_);
        form2().hide();
    } catch (const std::exception&) {
        host_->quit();
        form1_.message("Initialization Error");
        end(1);
        return false;
    }
    return true;
}

void Program::end(int status) {
    ended_ = true;
    exitStatus_ = status;
    journal_.remove();  // with or without saving, the run is over
    if (host_ && !host_->hasQuit()) host_->quit();
    form1_.hide();
    if (form2_) form2_->hide();
    if (trends_) trends_->hide();
    QCoreApplication::exit(status);
}

int runProgram(QApplication& qt, const std::string& file) {
    Program program;
    wireDocumentCommands(program);
    if (!program.Form1_Form_Load()) return program.exitStatus();
    if (!file.empty() && program.openGivenFile) {
        program.openGivenFile(QFileInfo(QString::fromStdString(file)).absoluteFilePath().toStdString());
    }
    if (qEnvironmentVariableIsSet("TALLOMER_EXIT_WHEN_READY")) exitWhenReady(program);
    QTimer::singleShot(0, &program.form1(), [&program] { offerUnsavedEntries(program); });
    const int status = qt.exec();
    return program.ended() ? program.exitStatus() : status;
}

}  // namespace tallomer
