#pragma once
#include <QWidget>

class QLabel;

namespace tallomer {

// The wait window shown while start-up prepares the host: caption "Please wait ..", one label.
// Created on first use; its constructor is the window's load event and centres it by itself.
class Form2 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 4800;  // outer size in twips
    static constexpr int kHeight = 2160;

    explicit Form2(QWidget* parent = nullptr);
    QLabel* Label1() const { return label1_; }

private:
    QLabel* label1_;
};

}  // namespace tallomer
