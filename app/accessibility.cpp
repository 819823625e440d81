#include "app/accessibility.h"

#include <QAccessibleWidget>
#include <QLineEdit>

#include "app/box_edit.h"
#include "app/processing_label.h"

namespace tallomer {

namespace {

const char* groupName(BoxGroup group) {
    switch (group) {
        case BoxGroup::InputData: return "Input data";
        case BoxGroup::LastRecord: return "Last record";
        case BoxGroup::CumulativeLeft:
        case BoxGroup::CumulativeRight: return "Cumulative results";
    }
    return "";
}

// A display box: the program writes it and never reads it back, so assistive technology is
// told it is read-only text, read through the text interface like any line edit.
class DisplayBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DisplayBoxAccessible(QLineEdit* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

    QLineEdit* box() const { return static_cast<QLineEdit*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.editable = false;
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return box()->text();
        return QAccessibleWidget::text(t);
    }

    // QAccessibleTextInterface, over the line edit's text.
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && box()->hasSelectedText()) {
            *start = box()->selectionStart();
            *end = *start + static_cast<int>(box()->selectedText().size());
        }
    }
    int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { box()->deselect(); }
    void setSelection(int, int start, int end) override { box()->setSelection(start, end - start); }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    QString text(int start, int end) const override { return box()->text().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(box()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = *end = 0;
        return {};
    }
};

// "Processing ...": a notification, which screen readers speak as it appears.
class ProcessingAccessible : public QAccessibleWidget {
public:
    explicit ProcessingAccessible(QWidget* label) : QAccessibleWidget(label, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return static_cast<QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* programControls(const QString& className, QObject* object) {
    if (className == QLatin1String("tallomer::BoxEdit")) {
        auto* box = static_cast<BoxEdit*>(object);
        return box->isDisplayBox() ? new DisplayBoxAccessible(box) : nullptr;
    }
    if (className == QLatin1String("tallomer::ProcessingLabel")) {
        return new ProcessingAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

}  // namespace

QString accessibleBoxName(const BoxSpec& box) {
    QString label = QString::fromUtf8(box.label).trimmed();
    if (label.endsWith(':')) label.chop(1);
    return QString::fromLatin1(groupName(box.group)) + QStringLiteral(": ") + label;
}

void installAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(programControls);
        return true;
    }();
    (void)installed;
}

}  // namespace tallomer
