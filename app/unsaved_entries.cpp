// The journal of unsaved entries: written as the run goes, offered back at start-up.
#include "app/unsaved_entries.h"

#include <cstdio>

#include "app/message_box.h"
#include "app/program.h"
#include "documents/file_dialog_branches.h"
#include "host/application.h"
#include "workbook/state_folder.h"

namespace tallomer {

namespace {
bool warned = false;  // the journal's failure has been said since the last Save

QString describe(const JournalContents& contents) {
    QStringList dates;
    int entries = 0, steps = 0;
    for (const JournalStep& step : contents.steps) {
        if (step.step == EntryStep::Submit) {
            ++entries;
            dates << QString::fromStdString(step.texts[0]);
        } else {
            ++steps;
        }
    }
    QString text =
        QStringLiteral("Tallomer ended without saving %1 %2").arg(entries).arg(entries == 1 ? "entry" : "entries");
    if (entries > 0) text += QStringLiteral(" (%1)").arg(dates.join(QStringLiteral(", ")));
    if (steps > 0) text += QStringLiteral(" and %1 undo or redo %2").arg(steps).arg(steps == 1 ? "step" : "steps");
    text += contents.base.path.empty()
                ? QStringLiteral(", typed into a new sheet.")
                : QStringLiteral(", made on the workbook\n%1.").arg(QString::fromStdString(contents.base.path));
    return text + (entries + steps == 1 ? QStringLiteral("\n\nRestore it?") : QStringLiteral("\n\nRestore them?"));
}

void restore(Program& program, const JournalContents& contents) {
    Form1& window = program.form1();
    const std::string& path = contents.base.path;
    if (!path.empty()) {
        const auto now = host::fingerprintFile(path);
        if (!now) {
            window.message("The workbook " + path + " has gone, so the unsaved entries go onto a new sheet.");
        } else if (!contents.base.fingerprint || *now != *contents.base.fingerprint) {
            window.message("The workbook " + path +
                           " has changed since the entries were typed, so they go onto a new sheet.");
        } else {
            openBranch(*program.documents(), path);
        }
    }
    // Without the file, the entries go onto the sheet at hand: start-up's new sheet.
    for (const JournalStep& step : contents.steps) {
        if (step.step == EntryStep::Submit) program.entries().addEntry(step.texts);
        if (step.step == EntryStep::Undo) program.entries().undo();
        if (step.step == EntryStep::Redo) program.entries().redo();
    }
    program.shared().Saved = "False";
    program.sheetEvents().announceChange();
}
}  // namespace

void wireJournal(Program& program) {
    warned = false;  // a new run has said nothing yet
    program.entries().recorder = [&program](EntryStep step, const EntryTexts& texts) {
        if (program.journal().record({step, texts}) || warned) return;
        warned = true;
        program.form1().message(
            "Unsaved entries are not protected until the next Save: the journal cannot be written.\n" +
            program.journal().error());
    };
}

void restartJournal(Program& program, const std::string& path) {
    JournalBase base{path, {}};
    if (!path.empty() && program.xlApp() && program.xlApp()->activeWorkbook()) {
        base.fingerprint = program.xlApp()->activeWorkbook()->fileFingerprint();
    }
    program.journal().startAfresh(std::move(base));
    warned = false;
}

void offerUnsavedEntries(Program& program) {
    bool restored = false;
    int kept = 0;
    for (const std::string& path : leftJournals(stateFolder())) {
        if (path == program.journal().path() || program.ended()) continue;
        // Once one set is restored, the sheet at hand holds unsaved entries: restoring another
        // would open its workbook over them or mix the two. The rest wait for the next start.
        if (restored) {
            ++kept;
            continue;
        }
        const JournalContents contents = readJournal(path);
        if (contents.steps.empty()) {
            std::remove(path.c_str());
            continue;
        }
        const int answer = askQuestion(&program.form1(), QStringLiteral("Restore Unsaved Entries"), describe(contents),
                                       {QStringLiteral("Restore"), QStringLiteral("Discard")}, 0);
        if (answer == 0) {
            restored = true;
            restore(program, contents);
            if (contents.lostBytes > 0) {
                program.form1().message("The journal was damaged: the last " + std::to_string(contents.lostBytes) +
                                        " bytes could not be read. Every entry before them is restored.");
            }
        }
        if (answer == 0 || answer == 1) std::remove(path.c_str());
    }
    if (kept > 0) {
        program.form1().message(std::to_string(kept) + (kept == 1 ? " more set" : " more sets") +
                                " of unsaved entries will be offered the next time Tallomer starts, "
                                "once these are saved.");
    }
}

}  // namespace tallomer
