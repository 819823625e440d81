#include "app/processing_label.h"

#include <QAccessible>

namespace tallomer {

ProcessingLabel::ProcessingLabel(QWidget* parent) : QLabel(QStringLiteral("Processing ..."), parent) {
    setAccessibleName(text());
}

void ProcessingLabel::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

}  // namespace tallomer
