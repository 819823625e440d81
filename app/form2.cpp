#include "app/form2.h"

#include <algorithm>

#include <QLabel>

#include "app/box_edit.h"

#include "app/place_window.h"
#include "app/twips.h"

namespace tallomer {

Form2::Form2(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Please wait .."));
    setFixedSize(px(4680), px(1755));
    label1_ = new QLabel(QStringLiteral("Please wait as the system initializes ..."), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setFont(boxFont());
    // At its own place and height; wide enough for the whole sentence in this font.
    QRect place = pxRect(960, 720, 2775, 255);
    place.setWidth(std::max(place.width(), label1_->sizeHint().width()));
    label1_->setGeometry(place);

    // Form2_Form_Load: the wait window measures the screen and centres itself.
    const ScreenTwips screen = measureScreen();
    placeWindow(*this, centredPlacement(screen.width, screen.height, kWidth, kHeight));
}

}  // namespace tallomer
