#pragma once

#include <QLabel>

namespace zephyra::shell {

// A label of plain text lines that never cuts a line off unannounced: a line wider than the
// label ends in an ellipsis, and the tool tip then shows the whole text. text() is always the
// whole text, so the modules that read a label back are not affected.
class ElidedLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

    // True when some line does not fit the label's width.
    bool elided() const;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace zephyra::shell
