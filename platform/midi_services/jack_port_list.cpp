#include "platform/midi_services/jack_port_list.h"

#include "platform/midi_services/rtmidi_apis.h"

#include <jack/jack.h>

JackPortList::JackPortList(std::string clientName) : clientName_(std::move(clientName)) {}

JackPortList::~JackPortList() {
    if (client_ != nullptr)
        jack_client_close(client_);
}

void JackPortList::OnShutdown(void* self) {
    static_cast<JackPortList*>(self)->gone_.store(true);
}

bool JackPortList::Running() {
    if (client_ != nullptr && gone_.load()) {
        jack_client_close(client_);
        client_ = nullptr;
    }
    if (client_ != nullptr)
        return true;
    SilenceMidiLibraries();
    jack_status_t status{};
    client_ = jack_client_open(clientName_.c_str(), JackNoStartServer, &status);
    if (client_ == nullptr)
        return false;
    gone_.store(false);
    // Active, so the shut-down notice reaches it when the server ends.
    jack_on_shutdown(client_, &JackPortList::OnShutdown, this);
    if (jack_activate(client_) != 0) {
        jack_client_close(client_);
        client_ = nullptr;
    }
    return client_ != nullptr;
}

std::vector<std::string> JackPortList::Ports(unsigned long direction) {
    std::vector<std::string> names;
    if (!Running())
        return names;
    const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, direction);
    for (const char** port = ports; port != nullptr && *port != nullptr; ++port)
        names.emplace_back(*port);
    jack_free(ports);
    return names;
}

std::vector<std::string> JackPortList::Sources() {
    return Ports(JackPortIsOutput);
}

std::vector<std::string> JackPortList::Sinks() {
    return Ports(JackPortIsInput);
}

bool JackPortList::Connect(const std::string& from, const std::string& to) {
    return Running() && jack_connect(client_, from.c_str(), to.c_str()) == 0;
}
