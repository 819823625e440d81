#pragma once
#include <functional>

#include <QString>

class QWidget;

namespace tallomer {

// Every message box of the program passes through showMessageBox: modal, OK only, no icon,
// title "Tallomer". Tests install a handler that records the text and returns at once, so no
// box ever waits for a click that will not come.
using MessageBoxHandler = std::function<void(QWidget* parent, const QString& text)>;

// An empty handler restores the real message box.
void setMessageBoxHandler(MessageBoxHandler handler);
void showMessageBox(QWidget* parent, const QString& text);

}  // namespace tallomer
