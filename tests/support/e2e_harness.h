#pragma once
// End-to-end fixture pieces: a JACK server (reused when one runs), MIDI ports of the
// test's own on it, and the real editor executable run offscreen from a folder of its
// own, with its INI file beside it. Everything started here is stopped by the
// destructors, also when a test fails half-way.
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class RtMidiIn;
class RtMidiOut;

using MidiMessage = std::vector<uint8_t>;

// A JACK server with the dummy driver: the one already running, or one started here
// and stopped again by the destructor.
class JackServer {
public:
    JackServer();
    ~JackServer();
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    bool Running() const;

private:
    QProcess server;
};

// Full names ("client:port") of the ports connected to the named JACK port.
std::vector<std::string> JackConnections(const std::string& port);

// Ports of the test's own on JACK: sources the editor reads from, sinks it writes to.
// Each port is its own JACK client, named after the process so parallel runs never meet.
class TestMidiPorts {
public:
    TestMidiPorts();
    ~TestMidiPorts();

    // Both return the port's full name as the editor lists it.
    std::string AddSource(const std::string& name);
    std::string AddSink(const std::string& name);

    void Send(const std::string& source, const MidiMessage& message);
    std::vector<MidiMessage> Received(const std::string& sink);
    // Waits until the sink's messages satisfy done, or the timeout passes.
    bool WaitFor(const std::string& sink,
                 const std::function<bool(const std::vector<MidiMessage>&)>& done,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    struct Sink;
    std::string prefix;
    int next = 0;
    std::vector<std::pair<std::string, std::unique_ptr<RtMidiOut>>> sources;
    std::vector<std::unique_ptr<Sink>> sinks;
    Sink& FindSink(const std::string& name);
};

// The real quorvin executable, copied into a temporary folder so that its INI file
// (beside the executable) is the test's own.
class EditorProcess {
public:
    EditorProcess();
    ~EditorProcess();

    QString Folder() const { return folder.path(); }
    QString IniPath() const;
    void WriteIni(const std::string& text);
    std::string ReadIni() const;

    void Start();
    bool IsRunning() const;
    // Sends SIGTERM and waits for the end; returns the exit code, or -1 when the
    // editor had to be killed.
    int Terminate(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // What the editor wrote on stdout and stderr so far.
    std::string Output();

private:
    QTemporaryDir folder;
    QProcess editor;
    std::string output;
};

// Polls done every few milliseconds until it holds or the timeout passes.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
