#pragma once
// quorvin-sim as a process of a test: started with pipes on its standard input and
// output, fed command lines, read line by line, and killed if a test leaves it running.
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// The four ports of a quorvin-sim started with --name name on JACK, as the editor
// lists them.
struct SimPorts {
    std::string synthIn, synthOut, controllerIn, controllerOut;
};
SimPorts SimPortsNamed(const std::string& name);

class SimProcess {
public:
    // Runs QUORVIN_BINARY_DIR/quorvin-sim with args.
    explicit SimProcess(const std::vector<std::string>& args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // One command, as typed on the terminal.
    void WriteLine(const std::string& line);
    // End of its input, which stops it.
    void CloseInput();

    // Lines of output up to and including the first that starts with prefix; empty
    // when none comes in time.
    std::optional<std::vector<std::string>>
    ReadUntil(const std::string& prefix,
              std::chrono::milliseconds patience = std::chrono::seconds(10));

    // The exit status, or -1 when it keeps running past the deadline.
    int WaitExit();

    pid_t Pid() const { return pid; }

private:
    pid_t pid = -1;
    int input = -1;
    int output = -1;
    bool exited = false;
    std::string pending;
};
