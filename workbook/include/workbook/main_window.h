#pragma once
#include <cstdint>
#include <string>

namespace host {
class Application;
}

namespace tallomer {

// What the workbook code and the document commands need of the main window, so that they run
// and are tested without a display. The Qt main window implements it; tests use a fake.
class MainWindow {
public:
    virtual ~MainWindow() = default;

    // Text1 .. Text26 by number.
    virtual std::string boxText(int box) const = 0;
    virtual void setBoxText(int box, const std::string& text) = 0;
    virtual void focusDateBox() = 0;  // Text1 gets the keyboard focus
    virtual void setProcessingVisible(bool shown) = 0;  // Label13, "Processing ..."
    virtual void setCaption(const std::string& caption) = 0;
    virtual std::string caption() const = 0;
    virtual void showWindow() = 0;  // make the main window visible
    // A modal message box: OK only, no icon, title "Tallomer".
    virtual void message(const std::string& text) = 0;
};

// The state the main window keeps for the whole run. The flags are texts, "True" or "False",
// and are compared as texts.
struct SharedState {
    host::Application* xlApp = nullptr;
    std::string Saved = "True";
    std::string Named = "False";
    std::string ToDo;
    std::int32_t lScreenWidth = 0;
    std::int32_t lScreenHeight = 0;
};

}  // namespace tallomer
