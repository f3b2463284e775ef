#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace zephyra::platform {

// Dialogs for tests and headless runs: answers come from queues, and everything shown is kept.
// With no queued answer a message box takes its default button and a file dialog is cancelled.
class ScriptedDialogs final : public Dialogs {
  public:
    struct Shown {
        std::string kind;  // "message", "input", "open", "save"
        MessageRequest message;
        FileRequest file;
        Answer answer = Answer::None;
    };

    void queueAnswer(Answer answer) { answers_.push_back(answer); }
    void queueFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
    void queueInput(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }

    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFile(const FileRequest& request) override;
    std::optional<std::string> saveFile(const FileRequest& request) override;

    const std::vector<Shown>& shown() const { return shown_; }
    // Texts of the message boxes shown so far, in order.
    std::vector<std::string> messages() const;
    std::string lastMessage() const;
    void clear() { shown_.clear(); }
    // Called whenever a message box is shown (lets a test act while a box is "open").
    std::function<void(const MessageRequest&)> onMessage;

  protected:
    Answer show(const MessageRequest& request) override;

  private:
    std::deque<Answer> answers_;
    std::deque<std::optional<std::string>> files_;
    std::deque<std::optional<std::string>> inputs_;
    std::vector<Shown> shown_;
};

}  // namespace zephyra::platform
