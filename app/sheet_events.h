#pragma once
#include <QObject>

namespace tallomer {

// The one place that says "the sheet has changed": every command that changes the statistics
// sheet (Submit, Undo, Redo, New, Open, restoring unsaved entries) ends by calling
// announceChange(), so another window (and the menu's enabled states) can follow the workbook
// by listening to sheetChanged.
class SheetEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    void announceChange() { emit sheetChanged(); }

signals:
    void sheetChanged();
};

}  // namespace tallomer
