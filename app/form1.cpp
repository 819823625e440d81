#include "app/form1.h"

#include <map>

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/accessibility.h"
#include "app/background_picture.h"
#include "app/box_edit.h"
#include "app/client_area.h"
#include "app/message_box.h"
#include "app/processing_label.h"
#include "app/twips.h"
#include "workbook/daily_record.h"
#include "workbook/window_layout.h"

namespace tallomer {

namespace {
const QColor kWindowGrey(192, 192, 192);
const QColor kDisplayGrey(224, 224, 224);
const QColor kNavy(0, 0, 128);

QString qt(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tallomer"));
    installAccessibleInterfaces();
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWindowGrey);
    setPalette(palette);
    // The menu bar on top, the client area at its fixed size under it: the window's height is
    // the client area's plus the menu bar's.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    menuBar_ = new QMenuBar(this);
    layout->setMenuBar(menuBar_);
    client_ = new ClientArea(this, drawBackgroundPicture());
    client_->setFixedSize(px(kClientWidth), px(kClientHeight));
    layout->addWidget(client_);
    makeControls();
    setTabOrder();
}

void Form1::makeControls() {
    auto makeBox = [this](const BoxSpec& place, bool display) {
        auto* box = new BoxEdit(client_);
        box->setObjectName(QStringLiteral("Text%1").arg(place.box));
        box->setGeometry(pxRect(place.left, place.top, kBoxWidth, kBoxHeight));
        box->setDisplayBox(display);  // before the name: naming may already ask for the interface
        box->setAccessibleName(accessibleBoxName(place));
        if (display) {
            QPalette palette = box->palette();
            palette.setColor(QPalette::Base, kDisplayGrey);
            box->setPalette(palette);
        }
        text_.at(place.box) = box;
    };
    for (const BoxSpec& place : inputBoxes()) makeBox(place, false);
    for (const BoxSpec& place : displayBoxes()) makeBox(place, true);

    for (const ButtonSpec& place : commandButtons()) {
        auto* button = new QPushButton(QString::fromUtf8(place.caption), client_);
        button->setObjectName(QStringLiteral("Command%1").arg(place.command));
        button->setGeometry(pxRect(place.left, place.top, kButtonWidth, kButtonHeight));
        button->setFont(boxFont());
        command_.at(place.command) = button;
    }
    connect(command_[1], &QPushButton::clicked, this, &Form1::Form1_Command1_Click);
    connect(command_[2], &QPushButton::clicked, this, &Form1::newRequested);
    connect(command_[3], &QPushButton::clicked, this, &Form1::saveRequested);
    connect(command_[4], &QPushButton::clicked, this, &Form1::quitRequested);
    connect(command_[5], &QPushButton::clicked, this, &Form1::openRequested);
    connect(command_[6], &QPushButton::clicked, this, &Form1::saveAsRequested);

    label13_ = new ProcessingLabel(client_);
    label13_->setObjectName(QStringLiteral("Label13"));
    label13_->setGeometry(pxRect(kProcessingLeft, kProcessingTop, kProcessingWidth, kProcessingHeight));
    label13_->setAlignment(Qt::AlignCenter);
    label13_->setFont(boxFont());
    label13_->setAutoFillBackground(true);
    QPalette palette = label13_->palette();
    palette.setColor(QPalette::Window, kNavy);
    palette.setColor(QPalette::WindowText, Qt::white);
    label13_->setPalette(palette);
    label13_->hide();
}

// Keyboard order by tab index: Submit, LAST RECORD, the right cumulative column, Save, New,
// Quit, Open, Save As, the left cumulative column, the inputs; from the visitors box back to
// Submit.
void Form1::setTabOrder() {
    std::map<int, QWidget*> byIndex;
    for (const BoxSpec& place : inputBoxes()) byIndex[place.tabIndex] = text_.at(place.box);
    for (const BoxSpec& place : displayBoxes()) byIndex[place.tabIndex] = text_.at(place.box);
    for (const ButtonSpec& place : commandButtons()) byIndex[place.tabIndex] = command_.at(place.command);
    QWidget* previous = nullptr;
    for (const auto& [index, widget] : byIndex) {
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

std::string Form1::boxText(int box) const { return Text(box)->text().toStdString(); }

void Form1::setBoxText(int box, const std::string& text) { Text(box)->setText(qt(text)); }

void Form1::focusDateBox() { Text(1)->setFocus(Qt::OtherFocusReason); }

void Form1::setProcessingVisible(bool shown) { label13_->setVisible(shown); }

void Form1::setCaption(const std::string& caption) { setWindowTitle(qt(caption)); }

std::string Form1::caption() const { return windowTitle().toStdString(); }

void Form1::showWindow() {
    show();
    activateWindow();
}

void Form1::message(const std::string& text) { showMessageBox(this, qt(text)); }

void Form1::Form1_Command1_Click() {
    if (submitHandler) {
        submitHandler();
    } else {
        tallomer::Form1_Command1_Click(state_, *this);
    }
}

QWidget* Form1::clientArea() const { return client_; }

void Form1::closeEvent(QCloseEvent* event) {
    // The close control takes the orderly way out; whoever answers closeRequested decides.
    event->ignore();
    emit closeRequested();
}

}  // namespace tallomer
