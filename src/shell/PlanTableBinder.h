#pragma once

#include <QObject>
#include <memory>

#include "platform/Scheduler.h"

class QPushButton;
class QTableWidget;
class QLabel;
class QWidget;

namespace zephyra::shell {

class VaneWindow;
struct AppContext;

// The "Table" button over the plan lists and the "Flight Plan Table" window it opens: every
// entry with identifier, type, frequency, course, leg and cumulative distance and time, a
// total line, and the entries already flown marked as passed; after them each leg in the winds
// aloft of AppContext::aloft (wind, head or tail component, ground speed, time and running
// total; with none loaded, zero wind). The plan store stays the model; while the window is
// open it is refreshed once a second.
class PlanTableBinder : public QObject {
    Q_OBJECT
  public:
    static constexpr int kRefreshMs = 1000;

    PlanTableBinder(AppContext& context, VaneWindow& vane);
    ~PlanTableBinder() override;

    void open();
    void refresh();
    QWidget* window() const { return window_.get(); }
    QTableWidget* table() const { return table_; }

  private:
    AppContext& ctx_;
    VaneWindow& vane_;
    QPushButton* button_;
    std::unique_ptr<QWidget> window_;
    QTableWidget* table_ = nullptr;
    QLabel* note_ = nullptr;
    std::unique_ptr<platform::Timer> timer_;
};

}  // namespace zephyra::shell
