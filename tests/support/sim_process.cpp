#include "support/sim_process.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);
} // namespace

SimPorts SimPortsNamed(const std::string& name) {
    return {name + "-dw-in:DW-6000 in", name + "-dw-out:DW-6000 out", name + "-bcr-in:BCR2000 in",
            name + "-bcr-out:BCR2000 out"};
}

SimProcess::SimProcess(const std::vector<std::string>& args) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    const std::string program = std::string(QUORVIN_BINARY_DIR) + "/quorvin-sim";
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        for (int fd : {in[0], in[1], out[0], out[1]})
            close(fd);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    input = in[1];
    output = out[0];
}

SimProcess::~SimProcess() {
    CloseInput();
    if (pid > 0 && !exited) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(output);
}

void SimProcess::WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    if (write(input, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("quorvin-sim does not take \"" + line + "\"");
}

void SimProcess::CloseInput() {
    if (input >= 0)
        close(input);
    input = -1;
}

std::optional<std::vector<std::string>> SimProcess::ReadUntil(const std::string& prefix,
                                                              std::chrono::milliseconds patience) {
    std::vector<std::string> lines;
    const auto deadline = Clock::now() + patience;
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

int SimProcess::WaitExit() {
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
