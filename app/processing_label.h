#pragma once
#include <QLabel>

namespace tallomer {

// Label13, "Processing ...": shown while a long operation runs. Each time it appears it tells
// assistive technology, so a screen reader says it without the user looking for it.
class ProcessingLabel : public QLabel {
    Q_OBJECT
public:
    explicit ProcessingLabel(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace tallomer
