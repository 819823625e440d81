#pragma once
#include <array>
#include <functional>

#include <QImage>
#include <QWidget>

#include "workbook/main_window.h"

class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace tallomer {

class BoxEdit;
class ClientArea;

// The main window: six input boxes, twenty display boxes, six command buttons, the
// "Processing ..." label and the background picture. Owns the run-wide shared state. Submit is
// its own handler; the other buttons and the close control are announced as signals that the
// document commands answer (see wireDocumentCommands).
class Form1 : public QWidget, public MainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);

    SharedState& shared() { return state_; }

    // MainWindow
    std::string boxText(int box) const override;
    void setBoxText(int box, const std::string& text) override;
    void focusDateBox() override;
    void setProcessingVisible(bool shown) override;
    void setCaption(const std::string& caption) override;
    std::string caption() const override;
    void showWindow() override;
    void message(const std::string& text) override;

    // The controls by their names, Text1..Text26 and Command1..Command6.
    QLineEdit* Text(int box) const { return text_.at(box); }
    QPushButton* Command(int command) const { return command_.at(command); }
    QLabel* Label13() const { return label13_; }
    // The menu bar above the client area, and the client area (8040 x 6795 twips) that holds
    // every control; places are measured inside it.
    QMenuBar* menuBar() const { return menuBar_; }
    QWidget* clientArea() const;

    // Form1_Command1_Click: Submit. Runs `submitHandler` when the program has set one (it adds
    // the undo history, the journal and the change notice around the sheet's own Submit).
    void Form1_Command1_Click();
    std::function<void()> submitHandler;

signals:
    void newRequested();  // Command2, "New"
    void saveRequested();  // Command3, "Save"
    void quitRequested();  // Command4, "Quit"
    void openRequested();  // Command5, "Open"
    void saveAsRequested();  // Command6, "Save As"
    void closeRequested();  // the window system's close control

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void makeControls();
    void setTabOrder();

    SharedState state_;
    QMenuBar* menuBar_ = nullptr;
    ClientArea* client_ = nullptr;
    std::array<QLineEdit*, 27> text_{};  // index 1..26
    std::array<QPushButton*, 7> command_{};  // index 1..6
    QLabel* label13_ = nullptr;
};

}  // namespace tallomer
