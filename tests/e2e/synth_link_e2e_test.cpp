// The editor and the simulated instruments over JACK, seen from the instruments' side:
// the patch fetched at start-up and on a program change reaches the controller, and a
// click on "Randomise" leaves the synthesizer with the patch the controller was shown.
#include "sim/dw6000_patch.h"
#include "sim/dw6000_sim.h"
#include "support/e2e_harness.h"
#include "support/sim_process.h"
#include "synth/param_rows.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using ControlChanges = std::vector<std::pair<int, int>>; // controller, value

// What the controller showed for each control change: its log names the control it
// moved, which the factory preset ties to a controller number on channel 1.
std::optional<std::pair<int, int>> ShownOnController(const std::string& line) {
    const std::string arrow = " \u2190 ";
    const std::size_t at = line.find(arrow);
    for (const auto& [prefix, firstController] :
         {std::pair{std::string("BCR2000: encoder "), 0}, {std::string("BCR2000: button "), 32}})
        if (line.rfind(prefix, 0) == 0 && at != std::string::npos)
            return std::pair{firstController + std::stoi(line.substr(prefix.size())),
                             std::stoi(line.substr(at + arrow.size()))};
    int controller = 0, value = 0;
    if (std::sscanf(line.c_str(), "BCR2000: CC %d = %d", &controller, &value) == 2)
        return std::pair{controller, value};
    return std::nullopt;
}

// The next count control changes the simulated controller receives, and the number
// of parameter changes the synthesizer logged meanwhile.
struct Traffic {
    ControlChanges controls;
    int parameterChanges = 0;
    bool dumpRequested = false;
};
Traffic Await(SimProcess& sim, std::size_t controls, int parameterChanges = 0) {
    Traffic seen;
    while (seen.controls.size() < controls || seen.parameterChanges < parameterChanges) {
        const auto line = sim.ReadUntil("", std::chrono::seconds(3));
        if (!line)
            break;
        const std::string& text = line->back();
        if (const auto shown = ShownOnController(text))
            seen.controls.push_back(*shown);
        else if (text.rfind("DW-6000: data save request", 0) == 0)
            seen.dumpRequested = true;
        else if (text.find(" = ") != std::string::npos && text.rfind("DW-6000: ", 0) == 0)
            ++seen.parameterChanges;
    }
    return seen;
}

// The JACK clients here run without realtime rights, and one starved of the processor
// by the rest of the machine loses whole periods of MIDI. A step whose traffic comes
// incomplete is made again (again()), three times in all at most; traffic that comes
// complete must be right.
Traffic Complete(SimProcess& sim, const std::function<void()>& again, int parameterChanges = 0) {
    Traffic seen = Await(sim, kParamCount, parameterChanges);
    for (int attempt = 1; attempt < 3; ++attempt) {
        if (seen.controls.size() == std::size_t(kParamCount) &&
            seen.parameterChanges >= parameterChanges)
            break;
        again();
        seen = Await(sim, kParamCount, parameterChanges);
    }
    return seen;
}

// The control changes that show a patch, one per row in row order.
ControlChanges FeedbackOf(const Dw6000Patch& patch) {
    ControlChanges expected;
    for (const ParamRow& row : kParamRows)
        expected.emplace_back(row.bcrController, (patch[row.dumpIndex] & row.mask) >> row.shift);
    return expected;
}

// The patch the controller was shown: every row's value back in its bits.
Dw6000Patch PatchShown(const ControlChanges& controls) {
    Dw6000Patch patch{};
    for (int row = 0; row < kParamCount; ++row)
        patch[kParamRows[row].dumpIndex] |= uint8_t(controls[row].second << kParamRows[row].shift);
    return patch;
}

// The synthesizer's edit buffer as "show dw" prints it, field by field, back in bytes.
std::optional<Dw6000Patch> SynthEditBuffer(SimProcess& sim) {
    sim.WriteLine("show dw");
    if (!sim.ReadUntil("DW-6000: program"))
        return std::nullopt;
    const auto lines = sim.ReadUntil("DW-6000: Osc2 Detune = ");
    if (!lines)
        return std::nullopt;
    Dw6000Patch patch{};
    for (const std::string& line : *lines) {
        const std::size_t equals = line.find(" = ");
        const std::string name = line.substr(9, equals - 9), text = line.substr(equals + 3);
        for (const Dw6000Field& field : Dw6000Fields()) {
            if (field.name != name)
                continue;
            int code = 0;
            while (field.Text(uint8_t(code << field.Shift())) != text)
                ++code;
            patch[field.byte] |= uint8_t(code << field.Shift());
        }
    }
    return patch;
}

class SynthLinkOverJack : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(jack.Running());
        ASSERT_TRUE(sim.ReadUntil("ready")) << "quorvin-sim did not start";
        editor.WriteIni("[MidiDevices]\nInput=" + ports.synthOut + "\nOutput=" + ports.synthIn +
                        "\nCtrlInput=" + ports.controllerOut +
                        "\nCtrlOutput=" + ports.controllerIn + "\n");
    }

    JackServer jack;
    const std::string name = "qvsynth" + std::to_string(getpid());
    const SimPorts ports = SimPortsNamed(name);
    SimProcess sim{{"--api", "jack", "--name", name}};
    EditorProcess editor;
    // A synthesizer like the simulated one: its programs start alike on every run.
    const Dw6000Sim reference;
};

TEST_F(SynthLinkOverJack, TheSynthesizersPatchReachesTheControllerAtStartUpAndOnAProgramChange) {
    editor.Start();
    // Program 11 is the one playing: choosing it again asks for the same patch.
    const Traffic startUp = Complete(sim, [&] { sim.WriteLine("program 11"); });
    EXPECT_TRUE(startUp.dumpRequested) << editor.Output();
    EXPECT_EQ(startUp.controls, FeedbackOf(reference.EditBuffer())) << editor.Output();

    sim.WriteLine("program 23");
    const Traffic chosen = Complete(sim, [&] { sim.WriteLine("program 23"); });
    EXPECT_TRUE(chosen.dumpRequested);
    EXPECT_EQ(chosen.controls, FeedbackOf(reference.Program(Dw6000ProgramFromName("23"))));
    EXPECT_NE(chosen.controls, startUp.controls);

    EXPECT_EQ(editor.Terminate(), 0);
    EXPECT_EQ(editor.Output(), "");
}

// An X server of the test's own, on a display number it chooses itself and prints
// once it takes clients.
class XDisplay {
public:
    XDisplay() {
        server.start("Xvfb",
                     {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        if (server.waitForReadyRead(10000))
            name = ":" + server.readLine().trimmed().toStdString();
    }
    ~XDisplay() {
        server.terminate();
        server.waitForFinished(3000);
    }
    std::string name;

private:
    QProcess server;
};

// xdotool with args on the display; its output.
std::string Xdotool(const std::string& display, const QStringList& args) {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display));
    tool.setProcessEnvironment(env);
    tool.start("xdotool", args);
    tool.waitForFinished(10000);
    return tool.readAllStandardOutput().trimmed().toStdString();
}

TEST_F(SynthLinkOverJack, AClickOnRandomiseLeavesTheSynthesizerWithThePatchTheControllerShows) {
    XDisplay display;
    ASSERT_FALSE(display.name.empty()) << "no X server";
    // The editor of the harness's folder, on the X display rather than offscreen.
    QProcess shown;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display.name));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_RUNTIME_DIR", editor.Folder());
    shown.setProcessEnvironment(env);
    shown.setWorkingDirectory(editor.Folder());
    shown.setProcessChannelMode(QProcess::MergedChannels);
    shown.start(editor.Folder() + "/quorvin", {});
    ASSERT_TRUE(shown.waitForStarted(5000));
    ASSERT_EQ(Complete(sim, [&] { sim.WriteLine("program 11"); }).controls.size(),
              std::size_t(kParamCount));

    const std::string window =
        Xdotool(display.name, {"search", "--sync", "--onlyvisible", "--name", "^Quorvin$"});
    ASSERT_FALSE(window.empty());
    // Inside "Randomise", at 632, 244 on the panel.
    const auto click = [&] {
        Xdotool(display.name, {"mousemove", "--window", QString::fromStdString(window), "650",
                               "251", "click", "1"});
    };
    click();
    const Traffic random = Complete(sim, click, kParamCount);
    ASSERT_EQ(random.controls.size(), std::size_t(kParamCount)) << shown.readAll().toStdString();
    EXPECT_EQ(random.parameterChanges, kParamCount);
    for (int row = 0; row < kParamCount; ++row) {
        EXPECT_EQ(random.controls[row].first, kParamRows[row].bcrController);
        EXPECT_LE(random.controls[row].second, kParamRows[row].maxValue) << "row " << row;
    }
    EXPECT_EQ(SynthEditBuffer(sim), PatchShown(random.controls));

    ::kill(pid_t(shown.processId()), SIGTERM);
    EXPECT_TRUE(shown.waitForFinished(10000));
    EXPECT_EQ(shown.exitCode(), 0);
    EXPECT_EQ(shown.readAll().toStdString(), "");
}

} // namespace
