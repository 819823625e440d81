#include "documents/box_snapshot.h"

#include "workbook/main_window.h"

namespace tallomer {

BoxSnapshot::BoxSnapshot(const MainWindow& main) {
    for (int box = 1; box <= 26; ++box) {
        texts_[box - 1] = main.boxText(box);
    }
}

void BoxSnapshot::restore(MainWindow& main) const {
    for (int box = 1; box <= 26; ++box) {
        main.setBoxText(box, texts_[box - 1]);
    }
}

}  // namespace tallomer
