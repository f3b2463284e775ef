#pragma once

#include <array>
#include <string>
#include <string_view>

namespace zephyra::help {

inline constexpr const char* kVersionMessage = "Zephyra Version 1.1.";
inline constexpr const char* kTutorialTitle = "Step by Step Tutorials";
inline constexpr const char* kTutorialIntro =
    "Click one of the tutorials below. The tutorial screen will remain visible at all times. "
    "Cycle through the note screens by pressing Next or Previous. You can move the tutorial "
    "window as needed to access the program options.";

// One note page of a course: "A1" to "A7" (setting up), "B1" to "B7" (weather), "C1" to "C9"
// (flight plans).
struct TutorialPage {
    const char* key;
    const char* title;
    const char* text;
};
const std::array<TutorialPage, 23>& tutorialPages();
// The page of a key, or null.
const TutorialPage* findTutorialPage(std::string_view key);

// The tutorial's state as its window shows it: title, text, page number and course letter,
// and whether the "Previous" and "Next" label-buttons show.
class Tutorial {
  public:
    struct View {
        std::string title = kTutorialTitle;
        std::string text = kTutorialIntro;
        std::string number;
        std::string course;
        bool previousVisible = false;
        bool nextVisible = false;
    };

    const View& view() const { return view_; }

    // "Setup" ('A'), "Weather" ('B'), "Flight Plans" ('C'): page 1 of the course.
    void startCourse(char course);
    // The page before or after the shown one; nothing beyond the first or last page.
    void next() { turn(1); }
    void previous() { turn(-1); }

  private:
    void turn(int by);
    void show(const TutorialPage& page);

    View view_;
};

}  // namespace zephyra::help
