#include "e2e_harness.h"

#include "platform/midi_services/rtmidi_apis.h"

#include <QFile>
#include <QProcessEnvironment>

#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <csignal>
#include <stdexcept>
#include <thread>
#include <unistd.h>

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

JackServer::JackServer() {
    SilenceMidiLibraries();
    if (JackServerRunning())
        return;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start("jackd", {"-r", "-d", "dummy", "-r", "48000", "-p", "128"});
    WaitUntil([] { return JackServerRunning(); }, std::chrono::seconds(10));
}

JackServer::~JackServer() {
    if (server.state() == QProcess::NotRunning)
        return;
    server.terminate();
    if (!server.waitForFinished(5000))
        server.kill();
    server.waitForFinished(1000);
}

bool JackServer::Running() const {
    return JackServerRunning();
}

std::vector<std::string> JackConnections(const std::string& port) {
    std::vector<std::string> names;
    jack_status_t status{};
    const std::string client = "qv-lsp-" + std::to_string(getpid());
    jack_client_t* probe = jack_client_open(client.c_str(), JackNoStartServer, &status);
    if (probe == nullptr)
        return names;
    if (jack_port_t* p = jack_port_by_name(probe, port.c_str())) {
        if (const char** connected = jack_port_get_all_connections(probe, p)) {
            for (const char** c = connected; *c != nullptr; ++c)
                names.emplace_back(*c);
            jack_free(connected);
        }
    }
    jack_client_close(probe);
    return names;
}

struct TestMidiPorts::Sink {
    std::string name;
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<MidiMessage> messages;
    // Last, so it goes first: its callback runs on the JACK thread until it is gone.
    std::unique_ptr<RtMidiIn> port;

    static void Arrive(double, std::vector<unsigned char>* message, void* self) {
        auto* sink = static_cast<Sink*>(self);
        std::lock_guard guard(sink->lock);
        sink->messages.emplace_back(message->begin(), message->end());
        sink->arrived.notify_all();
    }
};

TestMidiPorts::TestMidiPorts() : prefix("qvt" + std::to_string(getpid())) {}

TestMidiPorts::~TestMidiPorts() {
    for (auto& sink : sinks)
        sink->port->closePort();
    for (auto& source : sources)
        source.second->closePort();
}

std::string TestMidiPorts::AddSource(const std::string& name) {
    const std::string client = prefix + char('a' + next++);
    auto port = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, client);
    port->openVirtualPort(name);
    const std::string full = client + ":" + name;
    sources.emplace_back(full, std::move(port));
    return full;
}

std::string TestMidiPorts::AddSink(const std::string& name) {
    const std::string client = prefix + char('a' + next++);
    auto sink = std::make_unique<Sink>();
    sink->name = client + ":" + name;
    sink->port = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, client);
    sink->port->ignoreTypes(false, true, true);
    sink->port->setCallback(&Sink::Arrive, sink.get());
    sink->port->openVirtualPort(name);
    sinks.push_back(std::move(sink));
    return sinks.back()->name;
}

void TestMidiPorts::Send(const std::string& source, const MidiMessage& message) {
    for (auto& [name, port] : sources)
        if (name == source) {
            port->sendMessage(&message);
            return;
        }
    throw std::invalid_argument("no test source " + source);
}

TestMidiPorts::Sink& TestMidiPorts::FindSink(const std::string& name) {
    for (auto& sink : sinks)
        if (sink->name == name)
            return *sink;
    throw std::invalid_argument("no test sink " + name);
}

std::vector<MidiMessage> TestMidiPorts::Received(const std::string& sink) {
    Sink& s = FindSink(sink);
    std::lock_guard guard(s.lock);
    return s.messages;
}

bool TestMidiPorts::WaitFor(const std::string& sink,
                            const std::function<bool(const std::vector<MidiMessage>&)>& done,
                            std::chrono::milliseconds timeout) {
    Sink& s = FindSink(sink);
    std::unique_lock guard(s.lock);
    return s.arrived.wait_for(guard, timeout, [&] { return done(s.messages); });
}

EditorProcess::EditorProcess() {
    const QString binary = QStringLiteral(QUORVIN_BINARY_DIR "/quorvin");
    if (!folder.isValid() || !QFile::copy(binary, folder.filePath("quorvin")))
        throw std::runtime_error("cannot copy the editor into a test folder");
    QFile::setPermissions(folder.filePath("quorvin"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

EditorProcess::~EditorProcess() {
    if (editor.state() != QProcess::NotRunning) {
        editor.kill();
        editor.waitForFinished(2000);
    }
}

QString EditorProcess::IniPath() const {
    return folder.filePath("quorvin.INI");
}

void EditorProcess::WriteIni(const std::string& text) {
    QFile file(IniPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + IniPath().toStdString());
    file.write(text.data(), qint64(text.size()));
}

std::string EditorProcess::ReadIni() const {
    QFile file(IniPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

void EditorProcess::Start() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", folder.path());
    editor.setProcessEnvironment(env);
    editor.setWorkingDirectory(folder.path());
    editor.setProcessChannelMode(QProcess::MergedChannels);
    editor.start(folder.filePath("quorvin"), {});
    if (!editor.waitForStarted(5000))
        throw std::runtime_error("the editor did not start");
}

bool EditorProcess::IsRunning() const {
    return editor.state() == QProcess::Running;
}

int EditorProcess::Terminate(std::chrono::milliseconds timeout) {
    if (editor.state() == QProcess::NotRunning)
        return editor.exitCode();
    ::kill(pid_t(editor.processId()), SIGTERM);
    if (editor.waitForFinished(int(timeout.count())) && editor.exitStatus() == QProcess::NormalExit)
        return editor.exitCode();
    editor.kill();
    editor.waitForFinished(2000);
    return -1;
}

std::string EditorProcess::Output() {
    output += editor.readAll().toStdString();
    return output;
}
