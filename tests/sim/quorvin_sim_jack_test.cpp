// quorvin-sim as other programs meet it: a process with scripted input, and ports on a
// running JACK server.
#include "platform/midi_services/rtmidi_apis.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>

#include <csignal>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);

unsigned PortNamed(RtMidi& midi, const std::string& name) {
    for (unsigned k = 0; k < midi.getPortCount(); ++k)
        if (midi.getPortName(k) == name)
            return k;
    throw std::runtime_error("no port " + name);
}

std::vector<unsigned char> NextMessage(RtMidiIn& in) {
    std::vector<unsigned char> message;
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
        in.getMessage(&message);
        if (!message.empty())
            return message;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return message;
}

class QuorvinSimOnJack : public ::testing::Test {
protected:
    void SetUp() override {
        SilenceMidiLibraries();
        if (!JackServerRunning())
            GTEST_SKIP() << "no JACK server is running";
    }

    // Unique per process, so that test runs side by side do not meet.
    const std::string name = "qvtest" + std::to_string(getpid());
};

TEST_F(QuorvinSimOnJack, AnswersADataSaveRequestAndRunsItsScript) {
    SimProcess sim({"--api", "jack", "--name", name});
    const auto start = sim.ReadUntil("ready");
    ASSERT_TRUE(start) << "quorvin-sim did not start";
    const SimPorts ports = SimPortsNamed(name);
    const std::vector<std::string> expectedPorts = {
        "DW-6000 in: " + ports.synthIn,
        "DW-6000 out: " + ports.synthOut,
        "BCR2000 in: " + ports.controllerIn,
        "BCR2000 out: " + ports.controllerOut,
    };
    EXPECT_EQ(std::vector<std::string>(start->begin() + 1, start->end() - 1), expectedPorts);

    RtMidiOut toSynth(RtMidi::UNIX_JACK, name + "x-to-dw");
    RtMidiIn fromSynth(RtMidi::UNIX_JACK, name + "x-from-dw");
    RtMidiIn fromController(RtMidi::UNIX_JACK, name + "x-from-bcr");
    fromSynth.ignoreTypes(false, true, true);
    toSynth.openPort(PortNamed(toSynth, ports.synthIn));
    fromSynth.openPort(PortNamed(fromSynth, ports.synthOut));
    fromController.openPort(PortNamed(fromController, ports.controllerOut));

    const std::vector<unsigned char> request = {0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7};
    toSynth.sendMessage(&request);
    const std::vector<unsigned char> dump = NextMessage(fromSynth);
    ASSERT_EQ(dump.size(), 32u);
    EXPECT_EQ(std::vector<unsigned char>(dump.begin(), dump.begin() + 5),
              (std::vector<unsigned char>{0xF0, 0x42, 0x30, 0x04, 0x40}));
    EXPECT_EQ(dump.back(), 0xF7);
    EXPECT_TRUE(sim.ReadUntil("DW-6000: data save request"));

    sim.WriteLine("turn 33 5");
    EXPECT_EQ(NextMessage(fromController), (std::vector<unsigned char>{0xB0, 81, 5}));
    sim.WriteLine("program 12");
    EXPECT_EQ(NextMessage(fromSynth), (std::vector<unsigned char>{0xC0, 1}));

    sim.CloseInput();
    EXPECT_EQ(sim.WaitExit(), 0) << "end of input stops it";
}

TEST_F(QuorvinSimOnJack, StopsCleanlyOnSigterm) {
    SimProcess sim({"--api", "jack", "--name", name, "--no-input"});
    ASSERT_TRUE(sim.ReadUntil("ready"));
    kill(sim.Pid(), SIGTERM);
    EXPECT_EQ(sim.WaitExit(), 0);
}
} // namespace
