#include "app/message_box.h"

#include <QMessageBox>
#include <QPushButton>

namespace tallomer {

namespace {
MessageBoxHandler& handler() {
    static MessageBoxHandler current;
    return current;
}
}  // namespace

void setMessageBoxHandler(MessageBoxHandler h) { handler() = std::move(h); }

void showMessageBox(QWidget* parent, const QString& text) {
    if (handler()) {
        handler()(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tallomer"), text, QMessageBox::Ok, parent);
    box.exec();
}

namespace {
QuestionHandler& questionHandler() {
    static QuestionHandler current;
    return current;
}
}  // namespace

void setQuestionHandler(QuestionHandler h) { questionHandler() = std::move(h); }

int askQuestion(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons,
                int defaultButton) {
    if (questionHandler()) return questionHandler()(parent, title, text, buttons, defaultButton);
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QList<QPushButton*> pushed;
    for (const QString& button : buttons) pushed.push_back(box.addButton(button, QMessageBox::ActionRole));
    if (defaultButton >= 0 && defaultButton < pushed.size()) box.setDefaultButton(pushed[defaultButton]);
    box.exec();
    return static_cast<int>(pushed.indexOf(static_cast<QPushButton*>(box.clickedButton())));
}

}  // namespace tallomer
