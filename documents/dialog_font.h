#pragma once
#include <QFont>

class QLabel;

namespace tallomer {

// The font of the document windows: the application's family at 10 pixels, the size at which
// the labels' texts fit the places the layout gives them (the layout was drawn for a narrow
// 8-point system font).
QFont dialogFont();

// A one-line label whose text is wider than its designed box grows to the right, as far as
// `rightEdge` (pixels), so that no text is cut; a label box is invisible, so nothing moves.
void widenToText(QLabel& label, int rightEdge);

}  // namespace tallomer
