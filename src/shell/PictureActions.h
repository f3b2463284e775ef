#pragma once

#include <QObject>
#include <QPushButton>
#include <functional>

#include "shell/PictureButton.h"

namespace zephyra::shell {

// What releasing each picture button does. Every module binds its own pictures here, so the
// window never decides by a picture's name what a release means.
class PictureActions : public QObject {
    Q_OBJECT
  public:
    using Action = std::function<void(Qt::MouseButton)>;
    explicit PictureActions(QObject* parent) : QObject(parent) {}

    void bind(PictureButton* picture, Action action);
    // Releasing the picture (any mouse button) presses the command button.
    void bindCommand(PictureButton* picture, QPushButton* command);
};

}  // namespace zephyra::shell
