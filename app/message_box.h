#pragma once
#include <functional>

#include <QString>
#include <QStringList>

class QWidget;

namespace tallomer {

// Every message box of the program passes through showMessageBox: modal, OK only, no icon,
// title "Tallomer". Tests install a handler that records the text and returns at once, so no
// box ever waits for a click that will not come.
using MessageBoxHandler = std::function<void(QWidget* parent, const QString& text)>;

// An empty handler restores the real message box.
void setMessageBoxHandler(MessageBoxHandler handler);
void showMessageBox(QWidget* parent, const QString& text);

// A question window with its own title and buttons; returns the index of the button pressed
// (the default one for Enter), or -1 when it was closed. Tests install a handler that answers
// at once.
using QuestionHandler = std::function<int(QWidget* parent, const QString& title, const QString& text,
                                          const QStringList& buttons, int defaultButton)>;
void setQuestionHandler(QuestionHandler handler);
int askQuestion(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons,
                int defaultButton);

}  // namespace tallomer
