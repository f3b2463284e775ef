#include "platform/ScriptedDialogs.h"

namespace zephyra::platform {

namespace {

Answer defaultAnswer(const MessageRequest& request) {
    const int which = request.defaultButton;
    switch (request.buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return which == 2 ? Answer::Cancel : Answer::Ok;
        case Buttons::YesNo:
            return which == 2 ? Answer::No : Answer::Yes;
        case Buttons::YesNoCancel:
            return which == 3 ? Answer::Cancel : (which == 2 ? Answer::No : Answer::Yes);
    }
    return Answer::Ok;
}

}  // namespace

Answer ScriptedDialogs::show(const MessageRequest& request) {
    Answer answer = defaultAnswer(request);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    shown_.push_back({"message", request, {}, answer});
    if (onMessage) {
        onMessage(request);
    }
    return answer;
}

std::optional<std::string> ScriptedDialogs::inputBox(const std::string& prompt,
                                                     const std::string& title,
                                                     const std::string& defaultText) {
    shown_.push_back({"input", {prompt, title, Buttons::OkCancel, Icon::None, 1}, {}, {}});
    if (inputs_.empty()) {
        return defaultText;
    }
    auto text = inputs_.front();
    inputs_.pop_front();
    return text;
}

std::optional<std::string> ScriptedDialogs::openFile(const FileRequest& request) {
    shown_.push_back({"open", {}, request, {}});
    if (files_.empty()) {
        return std::nullopt;
    }
    auto path = files_.front();
    files_.pop_front();
    return path;
}

std::optional<std::string> ScriptedDialogs::saveFile(const FileRequest& request) {
    shown_.push_back({"save", {}, request, {}});
    if (files_.empty()) {
        return std::nullopt;
    }
    auto path = files_.front();
    files_.pop_front();
    return path;
}

std::vector<std::string> ScriptedDialogs::messages() const {
    std::vector<std::string> texts;
    for (const auto& s : shown_) {
        if (s.kind == "message") {
            texts.push_back(s.message.text);
        }
    }
    return texts;
}

std::string ScriptedDialogs::lastMessage() const {
    for (auto it = shown_.rbegin(); it != shown_.rend(); ++it) {
        if (it->kind == "message") {
            return it->message.text;
        }
    }
    return {};
}

}  // namespace zephyra::platform
