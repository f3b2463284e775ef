#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QWidget>
#include <functional>
#include <string>

#include "help/QuickLinks.h"
#include "help/Tutorial.h"

namespace zephyra::platform {
class Dialogs;
class Platform;
}  // namespace zephyra::platform

namespace zephyra::help {

// The help document beside the program.
inline constexpr const char* kHelpDocument = "vuduvo.md";

// "Quick Link": two remembered web addresses, each opened in the user's browser by its Go
// button; both are saved to "quick.txt" in the program folder when the window closes.
class QuickLinkWindow : public QWidget {
    Q_OBJECT
  public:
    QuickLinkWindow(const std::string& programFolder, platform::Platform& platform,
                    platform::Dialogs& dialogs, QWidget* parent = nullptr);

    QLineEdit* text1() const { return text1_; }
    QLineEdit* text2() const { return text2_; }
    QPushButton* go1() const { return command1_; }
    QPushButton* go2() const { return command2_; }
    QPushButton* exitButton() const { return command3_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::string file_;
    platform::Dialogs& dialogs_;
    QLineEdit* text1_;
    QLineEdit* text2_;
    QPushButton* command1_;
    QPushButton* command2_;
    QPushButton* command3_;
};

// "Quick Help": the user's guide (Markdown, links and pictures), the version message and the
// way into the tutorials.
class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    HelpWindow(const std::string& programFolder, platform::Platform& platform,
               platform::Dialogs& dialogs, QWidget* parent = nullptr);

    // "Tutorials" closes this window and calls this.
    std::function<void()> showTutorial;

    QTextBrowser* document() const { return richTextBox1_; }
    QPushButton* closeButton() const { return command1_; }
    QPushButton* versionButton() const { return command2_; }
    QPushButton* tutorialsButton() const { return command3_; }

  private:
    void followLink(const QUrl& url);

    platform::Platform& platform_;
    QTextBrowser* richTextBox1_;
    QPushButton* command1_;
    QPushButton* command2_;
    QPushButton* command3_;
};

// A label drawn as a button: bright green on green, inverted while the mouse is down; a press
// released over it pages like the button it stands for.
class LabelButton : public QLabel {
    Q_OBJECT
  public:
    LabelButton(const QString& text, QWidget* parent);
    bool isDown() const { return down_; }

  signals:
    void released();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void paintColours(bool down);
    bool down_ = false;
};

// "Tutorials": three short courses, one note page at a time, above every other window.
class TutorWindow : public QWidget {
    Q_OBJECT
  public:
    explicit TutorWindow(QWidget* parent = nullptr);

    const Tutorial& tutorial() const { return tutorial_; }
    QLabel* title() const { return label1_; }
    QLabel* text() const { return label2_; }
    QPushButton* courseButton(char course) const;
    QPushButton* prevButton() const { return command1_; }
    QPushButton* nextButton() const { return command2_; }
    LabelButton* previousLabel() const { return label5_; }
    LabelButton* nextLabel() const { return label6_; }

  private:
    void refresh();

    Tutorial tutorial_;
    QLabel* label1_;
    QLabel* label2_;
    QLabel* label3_;
    QLabel* label4_;
    QPushButton* command1_;
    QPushButton* command2_;
    QPushButton* command3_;
    QPushButton* command4_;
    QPushButton* command5_;
    LabelButton* label5_;
    LabelButton* label6_;
};

}  // namespace zephyra::help
