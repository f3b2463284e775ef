#include "shell/ParmMaintWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "delivery/DeliveryChoice.h"
#include "platform/Files.h"
#include "shell/DeliveryIni.h"
#include "shell/EventHook.h"
#include "shell/ParamFile.h"
#include "shell/Startup.h"
#include "shell/Switches.h"
#include "shell/VaneWindow.h"
#include "simlink/FlightGearLink.h"
#include "simlink/SimulatorChoice.h"

namespace zephyra::shell {

namespace {

const char* const kDistanceMessage = "Flight Plan Distance must be between 50 and 200.";
const char* const kBusyMessage =
    "Parameters can't be saved because another Zephyra operation is in process. Please try again "
    "in a few moments.";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

ParmMaintWindow::ParmMaintWindow(AppContext& context, VaneWindow& main, QWidget* parent)
    : QDialog(parent), ctx_(context), main_(main) {
    setObjectName(QStringLiteral("ParmMaint"));
    setWindowTitle(QStringLiteral("Settings"));
    build();
    fillFromMemory();
}

QLineEdit* ParmMaintWindow::textBox(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<QLineEdit*>(it->second);
}
QCheckBox* ParmMaintWindow::checkBox(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<QCheckBox*>(it->second);
}
QRadioButton* ParmMaintWindow::option(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<QRadioButton*>(it->second);
}
QPushButton* ParmMaintWindow::button(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<QPushButton*>(it->second);
}

void ParmMaintWindow::build() {
    auto edit = [&](const QString& name, bool readOnly = false) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setReadOnly(readOnly);
        e->setMaximumWidth(90);
        // A text box that gets the focus selects its whole text.
        EventHook::install(e, QEvent::FocusIn,
                           [e] { QTimer::singleShot(0, e, [e] { e->selectAll(); }); });
        controls_[name] = e;
        return e;
    };
    auto check = [&](const QString& name, const QString& text, bool designChecked) {
        auto* c = new QCheckBox(text, this);
        c->setObjectName(name);
        c->setChecked(designChecked);
        controls_[name] = c;
        return c;
    };
    auto opt = [&](QWidget* parent, const QString& name, const QString& text) {
        auto* o = new QRadioButton(text, parent);
        o->setObjectName(name);
        controls_[name] = o;
        return o;
    };
    auto push = [&](const QString& name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        controls_[name] = b;
        return b;
    };

    // Weather limits and transition.
    auto* limits = new QGroupBox(QStringLiteral("Weather"), this);
    auto* lg = new QGridLayout(limits);
    lg->addWidget(new QLabel(QStringLiteral("Maximum Visibility:")), 0, 0);
    lg->addWidget(edit("uv"), 0, 1);
    lg->addWidget(new QLabel(QStringLiteral("Max Turbulence:")), 1, 0);
    lg->addWidget(edit("mx_turb"), 1, 1);
    auto* hint = new QLabel(QStringLiteral("0=None 255=Full"));
    hint->setStyleSheet(QStringLiteral("color: #667;"));
    lg->addWidget(hint, 1, 2);
    lg->addWidget(new QLabel(QStringLiteral("Vane Transition Periods")), 2, 0);
    // The transition is fixed: its two values are shown, not edited.
    lg->addWidget(edit("tp", true), 2, 1);
    lg->addWidget(new QLabel(QStringLiteral("Vane Transition Seconds")), 3, 0);
    lg->addWidget(edit("ts", true), 3, 1);
    lg->addWidget(new QLabel(QStringLiteral("Periods X Seconds = total transition time:")), 4, 0);
    lg->addWidget(edit("tt", true), 4, 1);
    lg->addWidget(new QLabel(QStringLiteral("Switching Distance")), 5, 0);
    lg->addWidget(edit("sd", true), 5, 1);
    textBox("sd")->setToolTip(
        QStringLiteral("Weather switches to the closest station by nearness alone; there is no "
                       "distance to set"));
    textBox("tp")->setText(QString::number(ctx_.transition.periods));
    textBox("ts")->setText(QString::number(ctx_.transition.seconds));

    auto* units = new QGroupBox(QStringLiteral("Unit of Measure"), this);
    auto* ul = new QVBoxLayout(units);
    ul->addWidget(opt(units, "Option1", "U.S."));
    ul->addWidget(opt(units, "Option2", "Metric"));
    ul->addWidget(opt(units, "Option6", "Metric (Feet)"));
    option("Option1")->setChecked(true);
    auto* uom = edit("UOM");
    uom->hide();

    auto* access = new QGroupBox(QStringLiteral("Database Access"), this);
    auto* al = new QVBoxLayout(access);
    for (const auto& [name, text] :
         {std::pair{"Option3", "Americas"}, std::pair{"Option4", "Europe-Other"},
          std::pair{"Option5", "All"}, std::pair{"Option7", "None"}}) {
        auto* o = opt(access, name, text);
        // Let the option take the click first, then ask.
        EventHook::install(o, QEvent::MouseButtonRelease, [this] {
            QTimer::singleShot(0, this, [this] { databaseOptionReleased(); });
        });
        al->addWidget(o);
    }

    auto* options = new QGroupBox(QStringLiteral("Options"), this);
    auto* ol = new QVBoxLayout(options);
    ol->addWidget(check("Check1", "Winds Enabled", false));
    ol->addWidget(check("Check5", "Quick Send", false));
    ol->addWidget(check("Check2", "Autopilot Update", true));
    auto* newClouds = check("Check7", "Use New Clouds", true);
    newClouds->setToolTip(QStringLiteral(
        "FS98 only: swap in the cloud textures, send 7/8 cover and redraw the clouds. The "
        "built-in aircraft and FlightGear always get each layer's reported cover."));
    ol->addWidget(newClouds);

    auto* gen = new QGroupBox(QStringLiteral("Use in Auto Generation of Flight Plans"), this);
    auto* gl = new QGridLayout(gen);
    gl->addWidget(check("Check3", "VORs", true), 0, 0);
    gl->addWidget(check("Check4", "NDBs", true), 0, 1);
    gl->addWidget(check("Check6", "Waypoints", false), 0, 2);
    gl->addWidget(new QLabel(QStringLiteral("Distance between points (50 - 200)")), 1, 0, 1, 2);
    gl->addWidget(edit("Text1"), 1, 2);

    // FlightGear's property server, kept in simulator.ini beside the parameter file.
    auto* flightGear = new QGroupBox(QStringLiteral("FlightGear"), this);
    auto* fl = new QGridLayout(flightGear);
    fl->addWidget(new QLabel(QStringLiteral("Property server host")), 0, 0);
    auto* host = edit("FlightGearHost");
    host->setMaximumWidth(QWIDGETSIZE_MAX);
    fl->addWidget(host, 0, 1);
    fl->addWidget(new QLabel(QStringLiteral("Port")), 1, 0);
    fl->addWidget(edit("FlightGearPort"), 1, 1);
    flightGear->setToolTip(QStringLiteral(
        "Where FlightGear's property server answers (fgfs --telnet=...); used while FlightGear "
        "is the simulator."));

    // How weather reaches a simulator that models it, kept in zephyra.ini.
    auto* between = new QGroupBox(QStringLiteral("Weather Between Stations"), this);
    auto* bl = new QGridLayout(between);
    bl->addWidget(check("BlendCheck", "Blend the stations around the aircraft", true), 0, 0, 1, 2);
    bl->addWidget(new QLabel(QStringLiteral("Blend radius (nm, 5 - 300)")), 1, 0);
    bl->addWidget(edit("BlendRadius"), 1, 1);
    bl->addWidget(new QLabel(QStringLiteral("Blend again every (seconds, 1 - 60)")), 2, 0);
    bl->addWidget(edit("BlendEvery"), 2, 1);
    bl->addWidget(new QLabel(QStringLiteral("Download again every (minutes, 0 = never)")), 3, 0);
    bl->addWidget(edit("RefreshEvery"), 3, 1);
    between->setToolTip(QStringLiteral(
        "Blended: the weather at the aircraft is blended from the nearest reporting station in "
        "each quadrant and changes smoothly. Off: the nearest station's weather, with a "
        "transition when another station becomes nearest (always so for FS98)."));

    auto* textures = new QGroupBox(QStringLiteral("Cloud and Storm Textures"), this);
    auto* tl = new QGridLayout(textures);
    tl->addWidget(push("Command2", "Restore Default Clouds"), 0, 0);
    tl->addWidget(push("Command3", "Restore Default Storms"), 0, 1);
    tl->addWidget(push("Command4", "Install New Storms"), 1, 0);
    tl->addWidget(push("Command5", "Install Lightning Storms"), 1, 1);

    auto* note = new QLabel(
        QStringLiteral("To learn more about the Setup options, use the Setup tutorial available "
                       "in the main Help screen."),
        this);
    note->setObjectName(QStringLiteral("Label3"));
    note->setWordWrap(true);
    controls_["Label3"] = note;

    auto* save = push("save_parms", "Save Settings");
    save->setDefault(true);
    auto* close = push("Command1", "Close");
    // Leaving the Close button is what marks the settings as possibly changed.
    EventHook::install(close, QEvent::FocusOut, [this] { unsaved_ = true; });

    auto* left = new QVBoxLayout;
    left->addWidget(limits);
    left->addWidget(gen);
    left->addWidget(flightGear);
    auto* right = new QVBoxLayout;
    auto* row = new QHBoxLayout;
    row->addWidget(units);
    row->addWidget(access);
    right->addLayout(row);
    right->addWidget(options);
    right->addWidget(between);
    right->addWidget(textures);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(note, 1);
    bottom->addWidget(save);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(bottom);

    connect(option("Option1"), &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            textBox("UOM")->setText(QStringLiteral("U"));
        }
    });
    connect(option("Option2"), &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            textBox("UOM")->setText(QStringLiteral("M"));
        }
    });
    connect(option("Option6"), &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            textBox("UOM")->setText(QStringLiteral("F"));
        }
    });
    const std::pair<const char*, std::int16_t> regions[] = {
        {"Option3", 0}, {"Option4", 1}, {"Option5", 2}, {"Option7", 3}};
    for (const auto& [name, value] : regions) {
        const std::int16_t v = value;
        connect(option(name), &QRadioButton::toggled, this, [this, v](bool on) {
            if (on) {
                ctx_.settings.Wayp = v;
            }
        });
    }
    // Ticking VORs (the box's state after the click) clears NDBs.
    connect(checkBox("Check3"), &QCheckBox::clicked, this, [this](bool checked) {
        if (checked) {
            checkBox("Check4")->setChecked(false);
        }
    });
    connect(save, &QPushButton::clicked, this, [this] { this->save(); });
    connect(close, &QPushButton::clicked, this, [this] { closeWindow(); });
    connect(button("Command2"), &QPushButton::clicked, this, [this] { restoreDefaultClouds(); });
    connect(button("Command3"), &QPushButton::clicked, this, [this] { restoreDefaultStorms(); });
    connect(button("Command4"), &QPushButton::clicked, this, [this] { installNewStorms(); });
    connect(button("Command5"), &QPushButton::clicked, this, [this] { installLightningStorms(); });
}

void ParmMaintWindow::fillFromMemory() {
    const Settings& s = ctx_.settings;
    unsaved_ = false;
    if (!s.NewClouds) {
        checkBox("Check7")->setChecked(false);
    }
    textBox("uv")->setText(QString::number(s.UnlimitedVis));
    textBox("tt")->setText(QString::number(ctx_.transition.totalSeconds()));
    textBox("mx_turb")->setText(QString::number(s.MaxTurb));
    // The region options write Wayp as they are selected, so remember it first.
    const std::int16_t wayp = s.Wayp;
    if (s.UOM == "M") {
        option("Option2")->setChecked(true);
    } else if (s.UOM == "F") {
        option("Option6")->setChecked(true);
    }
    textBox("UOM")->setText(qs(s.UOM));
    checkBox("Check1")->setChecked(s.Wind);
    const char* regionOption[] = {"Option3", "Option4", "Option5", "Option7"};
    if (wayp >= 0 && wayp <= 3) {
        option(regionOption[wayp])->setChecked(true);
    }
    ctx_.settings.Wayp = wayp;
    checkBox("Check5")->setChecked(s.QSend == "True");
    if (s.WPC_INC == 0) {
        checkBox("Check3")->setChecked(false);
    }
    if (s.WPN_INC == 0) {
        checkBox("Check4")->setChecked(false);
    }
    if (s.WPW_INC == 1) {
        checkBox("Check6")->setChecked(true);
    }
    if (s.AP_Upd == 0) {
        checkBox("Check2")->setChecked(false);
    }
    textBox("Text1")->setText(QString::number(s.FP_Dist));
    const auto fg = ctx_.flightGear != nullptr
                        ? ctx_.flightGear->settings()
                        : simlink::readSimulatorChoice(simulatorFile()).flightGear;
    textBox("FlightGearHost")->setText(qs(fg.host));
    textBox("FlightGearPort")->setText(QString::number(fg.port));
    const delivery::DeliveryChoice d = readDeliveryChoiceFile(ctx_.folders.settings);
    checkBox("BlendCheck")->setChecked(d.blended);
    textBox("BlendRadius")->setText(QString::number(d.blendRadiusNm));
    textBox("BlendEvery")->setText(QString::number(d.blendSeconds));
    textBox("RefreshEvery")->setText(QString::number(d.refreshMinutes));
}

std::string ParmMaintWindow::simulatorFile() const {
    return platform::joinPath(ctx_.folders.settings, simlink::kSimulatorFile);
}

QString ParmMaintWindow::fs98Folder() const {
    return main_.textBox("Text7")->text();
}

bool ParmMaintWindow::save() {
    if (!checkBox("Check3")->isChecked() && !checkBox("Check4")->isChecked() &&
        !checkBox("Check6")->isChecked()) {
        ctx_.dialogs.inform("You must have one waypoint type selected.");
        return false;
    }
    const auto distance = toNumber(textBox("Text1")->text().toStdString());
    if (!distance || *distance < 50.0 || *distance > 200.0) {
        ctx_.dialogs.inform(kDistanceMessage);
        return false;
    }
    const std::string fgHost = textBox("FlightGearHost")->text().trimmed().toStdString();
    const auto fgPort =
        simlink::portFromText(textBox("FlightGearPort")->text().trimmed().toStdString());
    if (fgHost.empty() || !fgPort) {
        ctx_.dialogs.inform(kFlightGearAddressMessage);
        return false;
    }
    // The section is read back as it would be from the file, so the window and the file accept
    // the same values.
    std::vector<std::string> problems;
    const std::string typedDelivery =
        "[Delivery]\nMode=" +
        std::string(checkBox("BlendCheck")->isChecked() ? "blended" : "nearest") +
        "\nBlendRadiusNm=" + textBox("BlendRadius")->text().trimmed().toStdString() +
        "\nBlendSeconds=" + textBox("BlendEvery")->text().trimmed().toStdString() +
        "\nRefreshMinutes=" + textBox("RefreshEvery")->text().trimmed().toStdString() + "\n";
    const delivery::DeliveryChoice deliveryChoice =
        delivery::readDeliveryChoice(typedDelivery, &problems);
    if (!problems.empty()) {
        ctx_.dialogs.inform("Weather Between Stations: " + problems.front() + ".");
        return false;
    }
    platform::setCurrentDirectory(ctx_.folders.settings);

    Settings& s = ctx_.settings;
    const auto uv = toInt16(textBox("uv")->text().toStdString());
    if (!uv) {
        ctx_.dialogs.inform(kDistanceMessage);
        return false;
    }
    s.UnlimitedVis = *uv;
    const auto turb = toInt16(textBox("mx_turb")->text().toStdString());
    if (!turb) {
        ctx_.dialogs.inform(kDistanceMessage);
        return false;
    }
    s.MaxTurb = *turb;
    s.UOM = textBox("UOM")->text().toStdString();
    s.Wind = checkBox("Check1")->isChecked();
    s.WindText = s.Wind ? "True" : "False";
    s.QSend = checkBox("Check5")->isChecked() ? "True" : "False";

    s.WPC_INC = checkBox("Check3")->isChecked() ? 1 : 0;
    s.WPN_INC = checkBox("Check4")->isChecked() ? 1 : 0;
    s.WPW_INC = checkBox("Check6")->isChecked() ? 1 : 0;
    const bool apUpdate = checkBox("Check2")->isChecked();
    main_.switches().setApUpdate(apUpdate);
    s.AP_Upd = apUpdate ? 1 : 0;
    const std::string typed = textBox("Text1")->text().toStdString();
    const auto fpDist = toInt16(typed);
    if (!fpDist) {
        ctx_.dialogs.inform(kBusyMessage);
        return false;
    }
    s.FP_Dist = *fpDist;
    ctx_.shared.planDistance = s.FP_Dist;

    Settings toWrite = s;
    toWrite.Path98 = fs98Folder().toStdString();
    toWrite.NewClouds = checkBox("Check7")->isChecked();
    if (std::string error; !writeParamFile(
            platform::joinPath(ctx_.folders.settings, kParamFileName), toWrite, typed, &error)) {
        ctx_.dialogs.inform("The settings could not be saved. " + error);
        return false;
    }
    s.NewClouds = checkBox("Check7")->isChecked();
    if (std::string error; !writeSimulatorSettings(
            simulatorFile(),
            {{"FlightGearHost", fgHost}, {"FlightGearPort", std::to_string(*fgPort)}}, &error)) {
        ctx_.dialogs.inform("FlightGear's address could not be saved. " + error);
        return false;
    }
    if (std::string error;
        !writeDeliveryChoiceFile(ctx_.folders.settings, deliveryChoice, &error)) {
        ctx_.dialogs.inform("The weather delivery settings could not be saved. " + error);
        return false;
    }
    if (ctx_.flightGear != nullptr) {
        // The link goes to the new address from its next call.
        ctx_.flightGear->setAddress(fgHost, *fgPort);
        main_.showSimulatorInUse(std::nullopt);
    }
    ctx_.dialogs.inform("Your settings have been saved saved!");
    closing_ = true;
    done(QDialog::Accepted);
    close();
    return true;
}

void ParmMaintWindow::closeWindow() {
    if (unsaved_) {
        const auto answer =
            ctx_.dialogs.message({"Are you sure you want to exit without saving the parameters?",
                                  "Parameters", platform::Buttons::YesNo, platform::Icon::None, 2});
        if (answer == platform::Answer::No) {
            return;
        }
    }
    closing_ = true;
    done(QDialog::Rejected);
    close();
}

void ParmMaintWindow::reject() {
    // Escape and the close box go through the same question as the Close button.
    if (closing_) {
        QDialog::reject();
        return;
    }
    closeWindow();
}

void ParmMaintWindow::databaseOptionReleased() {
    if (main_.textBox("Text8")->text() != QLatin1String("1")) {
        return;
    }
    const auto answer = ctx_.dialogs.message(
        {"Waypoints are detected in memory. This change will not take effect until waypoints "
         "are reloaded. Would you like to save your settings and reload the waypoints now?",
         "Proceed?", platform::Buttons::YesNo, platform::Icon::None, 2});
    if (answer == platform::Answer::No) {
        return;
    }
    // Save closes this window when it succeeds; the reload goes on either way.
    VaneWindow& main = main_;
    save();
    main.textBox("Text8")->setText(QStringLiteral("0"));
    if (main.reloadWaypoints) {
        main.reloadWaypoints();
    }
}

namespace {

void copyTexture(AppContext& ctx, const std::string& source, const std::string& target,
                 const std::string& done, const std::string& failure) {
    std::string error;
    if (platform::copyFile(source, target, &error)) {
        ctx.dialogs.inform(done);
    } else {
        ctx.dialogs.message({failure + "\n\n" + error, "Settings", platform::Buttons::Ok,
                             platform::Icon::Exclamation, 1});
    }
}

}  // namespace

std::string ParmMaintWindow::inSimulator(const char* relative) const {
    return platform::findPathNoCase(fs98Folder().toStdString(), relative);
}

void ParmMaintWindow::restoreDefaultClouds() {
    copyTexture(ctx_, inSimulator("texture/clouds.sav"), inSimulator("texture/clouds.r8"),
                "Default clouds restored.", "The default clouds could not be restored.");
}

void ParmMaintWindow::restoreDefaultStorms() {
    copyTexture(ctx_, inSimulator("texture/stormy.sav"), inSimulator("texture/stormy.r8"),
                "Default storm texture restored.",
                "The default storm texture could not be restored.");
}

std::string ParmMaintWindow::shippedFile(const char* name) const {
    // Run from the build folder the pictures are read from the current folder, as they always
    // were; installed, from the shipped folder (the current one is the user's).
    return platform::joinPath(
        ctx_.folders.installed ? ctx_.folders.shipped : platform::currentDirectory(), name);
}

void ParmMaintWindow::installNewStorms() {
    copyTexture(ctx_, shippedFile("storm.cld"), inSimulator("texture/stormy.r8"),
                "New storm texture installed.", "The new storm texture could not be installed.");
}

void ParmMaintWindow::installLightningStorms() {
    if (platform::copyFile(shippedFile("lightn.fsc"), inSimulator("texture/stormy.r8"))) {
        ctx_.dialogs.inform(
            "New lightning texture installed. Please be aware that the lightning texture has "
            "replaced the storm texture. To see lightning, you must fly at night, then start one "
            "of the lightning adventures based on your geographical location. Weather is "
            "controled by the adventure, so do not load or change any weather during a lightning "
            "flight.");
    } else {
        ctx_.dialogs.inform("Error copying file!");
    }
}

}  // namespace zephyra::shell
