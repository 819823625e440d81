#include "documents/replace_question.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace tallomer {

namespace {
ReplaceQuestionHandler& handler() {
    static ReplaceQuestionHandler current;
    return current;
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

}  // namespace tallomer
