#pragma once
#include <array>
#include <string>

namespace tallomer {

class MainWindow;

// The texts of the main window's 26 boxes, taken before an operation that fills them as it
// goes, so that a failure can put them back.
class BoxSnapshot {
public:
    explicit BoxSnapshot(const MainWindow& main);
    void restore(MainWindow& main) const;

private:
    std::array<std::string, 26> texts_;
};

}  // namespace tallomer
