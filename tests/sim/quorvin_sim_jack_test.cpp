// quorvin-sim as other programs meet it: a process with scripted input, and ports on a
// running JACK server.
#include "platform/midi_services/rtmidi_apis.h"

#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);

// quorvin-sim started with pipes on its standard input and output; killed if a test
// leaves it running.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            throw std::runtime_error("pipe failed");
        pid = fork();
        if (pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            for (int fd : {in[0], in[1], out[0], out[1]})
                close(fd);
            const std::string program = std::string(QUORVIN_BINARY_DIR) + "/quorvin-sim";
            std::vector<char*> argv = {const_cast<char*>(program.c_str())};
            for (const std::string& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        input = in[1];
        output = out[0];
    }

    ~SimProcess() {
        CloseInput();
        if (pid > 0 && !exited) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(output);
    }

    void WriteLine(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(write(input, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    void CloseInput() {
        if (input >= 0)
            close(input);
        input = -1;
    }

    // Lines of output up to and including the first that starts with `prefix`; empty
    // when none comes in time.
    std::optional<std::vector<std::string>> ReadUntil(const std::string& prefix) {
        std::vector<std::string> lines;
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
                lines.push_back(pending.substr(0, end));
                pending.erase(0, end + 1);
                if (lines.back().rfind(prefix, 0) == 0)
                    return lines;
            }
            pollfd fd = {output, POLLIN, 0};
            if (poll(&fd, 1, 100) > 0) {
                char chunk[1024];
                const ssize_t got = read(output, chunk, sizeof chunk);
                if (got <= 0)
                    return std::nullopt;
                pending.append(chunk, static_cast<size_t>(got));
            }
        }
        return std::nullopt;
    }

    // The exit status, or -1 when it keeps running past the deadline.
    int WaitExit() {
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    pid_t pid = -1;

private:
    int input = -1;
    int output = -1;
    bool exited = false;
    std::string pending;
};

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
    const std::vector<std::string> expectedPorts = {
        "DW-6000 in: " + name + "-dw-in:DW-6000 in",
        "DW-6000 out: " + name + "-dw-out:DW-6000 out",
        "BCR2000 in: " + name + "-bcr-in:BCR2000 in",
        "BCR2000 out: " + name + "-bcr-out:BCR2000 out",
    };
    EXPECT_EQ(std::vector<std::string>(start->begin() + 1, start->end() - 1), expectedPorts);

    RtMidiOut toSynth(RtMidi::UNIX_JACK, name + "x-to-dw");
    RtMidiIn fromSynth(RtMidi::UNIX_JACK, name + "x-from-dw");
    RtMidiIn fromController(RtMidi::UNIX_JACK, name + "x-from-bcr");
    fromSynth.ignoreTypes(false, true, true);
    toSynth.openPort(PortNamed(toSynth, name + "-dw-in:DW-6000 in"));
    fromSynth.openPort(PortNamed(fromSynth, name + "-dw-out:DW-6000 out"));
    fromController.openPort(PortNamed(fromController, name + "-bcr-out:BCR2000 out"));

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
    kill(sim.pid, SIGTERM);
    EXPECT_EQ(sim.WaitExit(), 0);
}
} // namespace
