#pragma once
// The JACK server as the MIDI services see it: one client of this program's own that
// lists the server's MIDI ports and connects them. It is made once and kept, so a
// listing costs no new client; it is made again when the server has gone away. No
// server is ever started.
//
// Threads: every call from the main thread. The server's shut-down notice arrives on
// JACK's thread and only sets a flag.
#include <atomic>
#include <string>
#include <vector>

struct _jack_client;

class JackPortList {
public:
    // clientName: the client's name on the server, unique to this program.
    explicit JackPortList(std::string clientName);
    ~JackPortList();
    JackPortList(const JackPortList&) = delete;
    JackPortList& operator=(const JackPortList&) = delete;

    // True when a server runs now; makes the client when there is none.
    bool Running();
    // Full names ("client:port") of the MIDI ports that send (sources) or receive
    // (sinks); none when no server runs.
    std::vector<std::string> Sources();
    std::vector<std::string> Sinks();
    bool Connect(const std::string& from, const std::string& to);

private:
    std::vector<std::string> Ports(unsigned long direction);
    static void OnShutdown(void* self);

    const std::string clientName_;
    _jack_client* client_ = nullptr;
    std::atomic<bool> gone_ = false;
};
