#include "help/Tutorial.h"

#include <algorithm>
#include <charconv>

namespace zephyra::help {

namespace {

// Courses end at A7, B7 and C9.
int lastPageOf(char course) {
    return course == 'C' ? 9 : 7;
}

const std::array<TutorialPage, 23> kPages = {{
    {"A1", "Custom Settings",
     "The first step you will need to do is customize your Zephyra settings. Click the Settings "
     "button on the main screen. We will familiarize you with what each of these settings does."},
    {"A2", "Database Access",
     "It is not necessary to load the complete database in memory if you are not flying in that "
     "particular region. If you fly all over the world you may want to load All. Use None if you "
     "just want to use the Weather features of the program, or the flight plan data without "
     "frequency information."},
    {"A3", "Unit of Measure",
     "You have three options... U.S., Metric, and Metric/Feet. Metric feet is when you have FS98 "
     "set to the Metric system and are using Feet for altitude instead of Metres"},
    {"A4", "Visibility and Turbulence",
     "The Maximum Visibility setting will set the visibility maximums the program will use for "
     "your weather. Many people prefer a lower setting for cloud graphic smoothness. Turbulence "
     "can be between 0 and 255 with 0 being none and 255 really shaking you around."},
    {"A5", "Checkbox Options",
     "Winds Enabled if checked will send wind data to FS98. Quick Send will automatically send the "
     "first waypoint of your flight plan for processing when you load it. Autopilot Update tells "
     "Zephyra whether you want your Autopilot data automatically updated. Use New Clouds activates "
     "the new cloud textures."},
    {"A6", "Cloud and Storm Buttons",
     "The Cloud and Storm buttons allow you to set or reset the FS98 cloud textures. Since Zephyra "
     "uses new cloud textures automatically, if you ever want to use the FS98 default texture, you "
     "can reset it here. For the Storm texture you can restore the FS98 default texture or install "
     "the new storm or lightning textures."},
    {"A7", "Auto Generation",
     "When you have a plan auto-generated you may want to only include certain data types in the "
     "computation. At least one needs to be selected. Exclude waypoints, for faster plan creation. "
     "Distance Between Waypoints is the approximate distance that will be between waypoints in "
     "your plan."},
    {"B1", "How to use Weather",
     "To be able to use real world weather data with thousands of weather areas you will need an "
     "internet connection to retrieve a METAR weather data file, or you can use one of the METAR "
     "text files included with this program. You can use Weather Builder if you do not want to use "
     "a METAR file."},
    {"B2", "Locating a METAR file",
     "Check the Web site of the distributor of this software for some sites that may currently be "
     "available. Next, open up your Web Browser or press the Quick Link button. Quick Link can "
     "save URLs and when you activate a link in Quick Link your default Web Browser will "
     "automatically open with the entered URL."},
    {"B3", "Downloading Weather",
     "Once you locate a site with METAR data files, retrieve the file with the most recent time. "
     "Try to make sure it is complete by comparing its size to the other files on the server. If "
     "not, get the next eariler file. Files may be updated hourly at some of these sites."},
    {"B4", "Saving and Starting FS98",
     "When you have fully retrieved the METAR data, save the file as a text file with the .txt "
     "extention. If FS98 is not started you will be given the opportunity to start FS98 when you "
     "press the Load METAR button in the next step. Press the Load METAR button now if FS98 is not "
     "running."},
    {"B5", "Loading the Weather",
     "The FS98 window needs to be open (not minimized) at this step. Press Alt then Tab (or the "
     "Windows key on your keybord to open the Taskbar) to access the Zephyra window if it is not "
     "the forward most window. Now load the text file you just saved with the Load METAR button. "
     "You can also use one of the METAR files included with the program."},
    {"B6", "Getting Ready to Fly",
     "You will see a series of events occur. Watch the main screen for the progress of these "
     "events and press OK for any confirmation boxes that appear. After you see the first weather "
     "report appear in the Main window, wait a brief moment before you activate FS98 so weather "
     "changes can occur."},
    {"B7", "Finalizing Weather",
     "The reason we need to wait is that the process of switching windows may interfere with "
     "changing the FS98 weather to the closest station. After weather is loaded you can load a "
     "flight plan or just start flying. The weather will automatically change as you fly."},
    {"C1", "Creating Flight Plans",
     "You can either manually create a flight plan or have one auto-generated for you based on 2 "
     "flight plan entries. We will start with manual creation, then we will auto-generate a plan. "
     "For custom weather, you can use Weather Builder after you create a plan."},
    {"C2", "Manual Flight Plans",
     "Enter text that relects the first waypoint of your desired flight in the Find box. For "
     "example you may want to enter 'Ashev' for Asheville Regional, or its identifier 'KAVL'. "
     "Identifiers are found first, then names. Next, press the Find button."},
    {"C3", "Adding to Flight Plan",
     "If the location you entered does not appear, click Next to cycle through all similar "
     "entries. Each shows its identifier, its type (VOR, NDB, fix or airport), its name and its "
     "frequency. Enter an Altitude or "
     "Speed next to the Altitude or Speed buttons. When you are ready, press 'Add' next to the "
     "Flight Plan window."},
    {"C4", "Adding More Entries",
     "Every entry you add to the flight plan using the Add button will be added at the bottom of "
     "the list. If you highlight an entry in the Flight Plan box and select Insert, the new entry "
     "will appear just above the highlighted entry. Delete will of course remove the selected "
     "entry."},
    {"C5", "Other Inputs",
     "If you ever need to start over again press Clear and the window will be cleared of all "
     "previous entries. You can modify the Altitude or Speed settings of any line by selecting a "
     "flight plan entry, entering the data in the Altitude or Speed box, and pressing the Altitude "
     "or Speed button."},
    {"C6", "Auto-generate Plan",
     "Press Clear to clear the Flight Plan box of any entries. Do a Find of your departure airport "
     "and Add this to the Flight Plan Box. Pressing Add will register this location in memory. Do "
     "the same for your arrival airport. Place a cruising altitude and speed setting next to the "
     "Altitude and Speed buttons."},
    {"C7", "Computing Plan",
     "It is time to compute your plan based on the entries you made in Settings. If you made an "
     "error you always have to start over by reentering two entries. You will most likely be "
     "notified if you made any input errors. Press the Auto-Plan button. It will take a few "
     "moments to compute your flight."},
    {"C8", "Saving Your Plan",
     "Make any altitude or speed modifications to your plan. Next, you can either Save your plan "
     "or press the Send button to send the first entry for processing. As you fly, the flight plan "
     "will automatically send the next waypoint for processing once you reach the current waypoint "
     "in your flight."},
    {"C9", "Other Options",
     "You can always open a flight plan for editing. If during a flight you want to change the "
     "altitude or speed setting of the active waypoint, right click the Altitude or Speed button "
     "to change the active waypoint setting with your new entry."},
}};

}  // namespace

const std::array<TutorialPage, 23>& tutorialPages() {
    return kPages;
}

const TutorialPage* findTutorialPage(std::string_view key) {
    const auto it = std::find_if(kPages.begin(), kPages.end(),
                                 [key](const TutorialPage& p) { return key == p.key; });
    return it == kPages.end() ? nullptr : &*it;
}

void Tutorial::startCourse(char course) {
    view_.nextVisible = true;
    if (const TutorialPage* page = findTutorialPage(std::string(1, course) + "1")) {
        show(*page);
    }
}

void Tutorial::turn(int by) {
    // The page number as shown; before any course it reads as 0.
    int number = 0;
    const std::string& shown = view_.number;
    std::from_chars(shown.data(), shown.data() + shown.size(), number);
    if (const TutorialPage* page = findTutorialPage(view_.course + std::to_string(number + by))) {
        show(*page);
    }
}

void Tutorial::show(const TutorialPage& page) {
    view_.title = page.title;
    view_.text = page.text;
    const char course = page.key[0];
    const int number = page.key[1] - '0';
    view_.number = std::to_string(number);
    view_.course = std::string(1, course);
    const int last = lastPageOf(course);
    if (number == 1) {
        view_.previousVisible = false;
    } else if (number == 2) {
        view_.previousVisible = true;
    }
    if (number == last - 1) {
        view_.nextVisible = true;
    } else if (number == last) {
        view_.nextVisible = false;
    }
}

}  // namespace zephyra::help
