#include "shell/PictureActions.h"

namespace zephyra::shell {

void PictureActions::bind(PictureButton* picture, Action action) {
    if (picture == nullptr) {
        return;
    }
    connect(picture, &PictureButton::released, this,
            [action = std::move(action)](Qt::MouseButton button) { action(button); });
}

void PictureActions::bindCommand(PictureButton* picture, QPushButton* command) {
    if (command == nullptr) {
        return;
    }
    bind(picture, [command](Qt::MouseButton) { command->click(); });
}

}  // namespace zephyra::shell
