#pragma once

#include <optional>
#include <string>

namespace zephyra::platform {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Information, Exclamation, Question, Critical };
enum class Answer { None, Ok, Cancel, Yes, No };

struct MessageRequest {
    std::string text;
    std::string title;  // empty: the program's name
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    int defaultButton = 1;  // 1 = first button, 2 = second, 3 = third
};

struct FileRequest {
    std::string title;
    std::string initialDir;
    // Filter in the classic "Description|pattern|Description|pattern" form.
    std::string filter;
};

// Every message box, input box and file dialog of the program goes through here, so tests can
// script the answers and read back exactly what the user was shown.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // Shows a modal message box. A confirmation (any box with more than an OK button) records
    // its answer as the program-wide last answer; a plain OK box leaves that answer alone.
    Answer message(const MessageRequest& request) {
        const Answer answer = show(request);
        if (request.buttons != Buttons::Ok) {
            lastAnswer_ = answer;
        }
        return answer;
    }
    // Shorthand for a plain OK box.
    void inform(const std::string& text, const std::string& title = {}) {
        message({text, title, Buttons::Ok, Icon::None, 1});
    }

    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;
    // An empty optional means the user cancelled.
    virtual std::optional<std::string> openFile(const FileRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileRequest& request) = 0;

    // The answer of the most recent confirmation, shared by every confirmation of the program.
    Answer lastAnswer() const { return lastAnswer_; }
    // Some failures leave a fixed value there instead of a box's answer.
    void setLastAnswer(Answer answer) { lastAnswer_ = answer; }

  protected:
    virtual Answer show(const MessageRequest& request) = 0;

  private:
    Answer lastAnswer_ = Answer::None;
};

}  // namespace zephyra::platform
