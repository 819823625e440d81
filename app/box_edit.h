#pragma once
#include <QLineEdit>

namespace tallomer {

// A text box that keeps its whole text in view: when a text is wider than the box at the normal
// font, it changes to a narrow face and shrinks until it fits (down to a floor), so a ten-character date and a
// fifteen-digit figure stay readable in a 1000-twip box.
class BoxEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kNormalPixelSize = 11;
    static constexpr int kSmallestPixelSize = 6;

    explicit BoxEdit(QWidget* parent = nullptr);
    // The room the text has inside the frame and margins.
    int textRoom() const;

    // A display box: the program writes it and never reads it back. It still takes typing;
    // assistive technology is told it is read-only.
    void setDisplayBox(bool display) { displayBox_ = display; }
    bool isDisplayBox() const { return displayBox_; }

protected:
    // Ctrl+Z (and the redo keys) belong to the box only while it has typing to undo (redo);
    // otherwise they reach the menu bar's Undo Last Entry and Redo Entry.
    bool event(QEvent* event) override;

private:
    void fitText();
    bool displayBox_ = false;
};

// The font of the boxes and buttons, and the narrow face a long figure switches to.
QFont boxFont(int pixelSize = BoxEdit::kNormalPixelSize);
QFont narrowBoxFont(int pixelSize);
QFont boxFont(const QString& family, int pixelSize);

}  // namespace tallomer
