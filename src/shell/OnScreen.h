#pragma once

class QWidget;

namespace zephyra::shell {

// Places a window about to open for the first time over the window it was opened from (the
// anchor), whole on the anchor's screen's available area, frame included: moved as little as
// that takes, and shrunk to the area when larger (never below what its controls need).
void placeOnScreen(QWidget& window, const QWidget& anchor);

}  // namespace zephyra::shell
