#include "app/message_box.h"

#include <QMessageBox>

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

}  // namespace tallomer
