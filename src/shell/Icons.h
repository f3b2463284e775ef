#pragma once

#include <QIcon>
#include <QPixmap>

namespace zephyra::shell {

enum class IconKind {
    LoadWeather,
    UpdateWeather,
    LastWeather,
    Settings,
    WorldReport,
    StationReport,
    Help,
    QuickLink,
    Builder,
    Exit,
    Panel,
    LoadPlan,
    SavePlan,
    Send,
    Find,
    Next,
    Add,
    Insert,
    Delete,
    Clear,
    AutoPlan,
    Toggle,
};

// The program's pictures, drawn in code so they stay sharp at any size.
QIcon makeIcon(IconKind kind);
// The send-weather switch drawn off or on.
QPixmap switchPixmap(bool on, int width, int height);

}  // namespace zephyra::shell
