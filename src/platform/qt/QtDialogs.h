#pragma once

#include <QString>

#include "platform/Dialogs.h"

#include <memory>

class QFileDialog;
class QWidget;

namespace zephyra::platform {

// Real modal dialogs. Message boxes carry the program's name when no title is given.
class QtDialogs final : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFile(const FileRequest& request) override;
    std::optional<std::string> saveFile(const FileRequest& request) override;

    // "Desc|pattern|Desc|pattern" → Qt's "Desc (pattern);;Desc (pattern)". A description
    // that already shows its pattern ("METAR Weather (*.txt)") is not given it twice.
    static QString toQtFilter(const std::string& filter);
    // The suffix a filter's first pattern names: "STAR File (*.str)" gives "str", "All (*.*)"
    // nothing.
    static QString suffixOfFilter(const QString& filter);
    // The file dialog the program shows: Qt's own, matching names in any letter case
    // ("11Z.TXT" passes "*.txt").
    static std::unique_ptr<QFileDialog> makeFileDialog(const FileRequest& request, QWidget* parent);

  protected:
    Answer show(const MessageRequest& request) override;

  private:
    QWidget* parent_;
};

}  // namespace zephyra::platform
