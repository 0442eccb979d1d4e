#include "platform/midi_services/rtmidi_services.h"

#include "platform/midi_services/device_names.h"
#include "platform/midi_services/rtmidi_apis.h"

#ifdef QUORVIN_HAVE_JACK
#include "platform/midi_services/jack_port_list.h"

#include <unistd.h>
#endif

#include <iostream>
#include <regex>

namespace {
constexpr const char* kMapperName = "MIDI Mapper";
// The names of the ports this program opens.
constexpr const char* kOwnInput = "in";
constexpr const char* kOwnOutput = "out";

// RtMidi prints warnings through this unless told otherwise; the result codes say it all.
void QuietRtMidi(RtMidiError::Type, const std::string&, void*) {}

// RtMidi writes a warning to std::cerr while its constructor runs, before an error
// callback can be set (a JACK server that went away since it was found, say); the
// stream is muted for that long. Only the main thread makes ports.
class MutedErrorStream {
public:
    MutedErrorStream() : saved_(std::cerr.rdbuf(nullptr)) {}
    ~MutedErrorStream() { std::cerr.rdbuf(saved_); }

private:
    std::streambuf* saved_;
};

template <typename Port>
std::unique_ptr<Port> MakePort(RtMidi::Api api, const std::string& client) {
    MutedErrorStream muted;
    try {
        auto port = std::make_unique<Port>(api, client);
        port->setErrorCallback(QuietRtMidi, nullptr);
        return port;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

uint32_t MidiResultTextInto(uint32_t code, std::string& text) {
    text = MidiResultText(code);
    return text.empty() ? MidiResult::kBadDeviceId : MidiResult::kOk;
}

std::string ApiKey(RtMidi::Api api) {
    return RtMidi::getApiName(api);
}

// Finds the port named `fullName` on `api` now; the numbering may have changed since
// listing.
template <typename Port>
bool FindPort(Port& port, RtMidi::Api api, const std::string& fullName, unsigned& number) {
    const unsigned count = port.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        if (RtMidiServices::StableName(api, port.getPortName(i)) == fullName) {
            number = i;
            return true;
        }
    }
    return false;
}

void OnRtMidiInput(double, std::vector<unsigned char>* message, void* delivery) {
    static_cast<MidiInputDelivery*>(delivery)->Deliver(message->data(), message->size());
}
} // namespace

struct RtMidiServices::InputDevice {
    std::unique_ptr<MidiInputDelivery> delivery;
    std::unique_ptr<RtMidiIn> port;
};

struct RtMidiServices::OutputDevice {
    std::unique_ptr<RtMidiOut> port;
    MidiDriverCallback callback;
    void* data;
};

namespace {
// Names this process's JACK clients start with.
std::string OwnPrefix(const std::string& clientName) {
#ifdef QUORVIN_HAVE_JACK
    return clientName + "-" + std::to_string(getpid()) + "-";
#else
    return clientName + "-";
#endif
}
} // namespace

RtMidiServices::RtMidiServices(std::string clientName)
    : clientName_(std::move(clientName)), ownPrefix_(OwnPrefix(clientName_)) {
    SilenceMidiLibraries();
#ifdef QUORVIN_HAVE_JACK
    jack_ = std::make_unique<JackPortList>(ownPrefix_ + "list");
#endif
}

RtMidiServices::~RtMidiServices() {
    // RtMidi's thread must be gone before the delivery it calls into.
    for (auto& [handle, device] : openInputs_)
        device->port.reset();
}

std::string RtMidiServices::StableName(RtMidi::Api api, const std::string& reported) {
    if (api != RtMidi::LINUX_ALSA)
        return reported;
    static const std::regex alsaNumbers(R"( \d+:\d+$)");
    return std::regex_replace(reported, alsaNumbers, "");
}

std::optional<uint32_t> RtMidiServices::FindListed(const std::vector<ListedDevice>& devices,
                                                   const std::string& name) {
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (devices[i].name == name)
            return static_cast<uint32_t>(i);
    return std::nullopt;
}

std::string RtMidiServices::NextClientName() {
    return ownPrefix_ + std::to_string(++clientsMade_);
}

namespace {
template <typename Port, typename Listers>
void ListWith(Listers& listers, RtMidi::Api api, const std::string& client,
              std::vector<RtMidiServices::ListedDevice>& devices) {
    std::unique_ptr<Port>& lister = listers[api];
    if (!lister)
        lister = MakePort<Port>(api, client);
    if (!lister)
        return;
    const unsigned count = lister->getPortCount();
    for (unsigned i = 0; i < count; ++i)
        devices.push_back({api, RtMidiServices::StableName(api, lister->getPortName(i)), {}});
}
} // namespace

std::vector<RtMidiServices::ListedDevice> RtMidiServices::List(bool input) {
    std::vector<ListedDevice> devices;
    if (AlsaSequencerUsable()) {
        if (input)
            ListWith<RtMidiIn>(inputListers_, RtMidi::LINUX_ALSA, clientName_, devices);
        else
            ListWith<RtMidiOut>(outputListers_, RtMidi::LINUX_ALSA, clientName_, devices);
    }
#ifdef QUORVIN_HAVE_JACK
    if (MidiApiCompiled(RtMidi::UNIX_JACK)) {
        // An input device is a port that sends, an output device one that receives.
        for (std::string& port : input ? jack_->Sources() : jack_->Sinks())
            if (port.rfind(ownPrefix_, 0) != 0)
                devices.push_back({RtMidi::UNIX_JACK, std::move(port), {}});
    }
#endif
    for (RtMidi::Api api : {RtMidi::WINDOWS_MM, RtMidi::MACOSX_CORE}) {
        if (!MidiApiCompiled(api))
            continue;
        if (input)
            ListWith<RtMidiIn>(inputListers_, api, clientName_, devices);
        else
            ListWith<RtMidiOut>(outputListers_, api, clientName_, devices);
    }
    std::vector<std::string> fullNames, keys;
    for (const ListedDevice& device : devices) {
        fullNames.push_back(device.fullName);
        keys.push_back(ApiKey(device.api) + ":" + device.fullName);
    }
    const std::vector<std::string> names = UniqueDeviceNames(fullNames, keys);
    for (std::size_t i = 0; i < devices.size(); ++i)
        devices[i].name = names[i];
    return devices;
}

uint32_t RtMidiServices::ListInputs() {
    inputs_ = List(true);
    return static_cast<uint32_t>(inputs_->size());
}

uint32_t RtMidiServices::ListOutputs() {
    outputs_ = List(false);
    return static_cast<uint32_t>(outputs_->size());
}

const std::vector<RtMidiServices::ListedDevice>& RtMidiServices::ListedInputs() {
    if (!inputs_)
        ListInputs();
    return *inputs_;
}

const std::vector<RtMidiServices::ListedDevice>& RtMidiServices::ListedOutputs() {
    if (!outputs_)
        ListOutputs();
    return *outputs_;
}

uint32_t RtMidiServices::InputCount() {
    return static_cast<uint32_t>(ListedInputs().size());
}

uint32_t RtMidiServices::OutputCount() {
    return static_cast<uint32_t>(ListedOutputs().size());
}

const RtMidiServices::ListedDevice* RtMidiServices::Resolve(uint32_t id, bool input) {
    const std::vector<ListedDevice>& devices = input ? ListedInputs() : ListedOutputs();
    if (id == kMidiMapper)
        id = 0;
    return id < devices.size() ? &devices[id] : nullptr;
}

uint32_t RtMidiServices::InputCaps(uint32_t id, MidiInputCaps& caps) {
    const ListedDevice* device = Resolve(id, true);
    if (!device)
        return MidiResult::kBadDeviceId;
    caps = {};
    caps.productName = id == kMidiMapper ? kMapperName : device->name;
    return MidiResult::kOk;
}

uint32_t RtMidiServices::OutputCaps(uint32_t id, MidiOutputCaps& caps) {
    const ListedDevice* device = Resolve(id, false);
    if (!device)
        return MidiResult::kBadDeviceId;
    caps = {};
    caps.productName = id == kMidiMapper ? kMapperName : device->name;
    caps.technology = id == kMidiMapper ? MidiTechnology::kMapper : MidiTechnology::kMidiPort;
    caps.channelMask = 0xFFFF;
    return MidiResult::kOk;
}

uint32_t RtMidiServices::OpenInput(uint32_t id, MidiDriverCallback callback, void* data,
                                   MidiHandle& handle) {
    const ListedDevice* listed = Resolve(id, true);
    if (!listed)
        return MidiResult::kBadDeviceId;
    const ListedDevice device = *listed;
    const bool jack = device.api == RtMidi::UNIX_JACK;
    const std::string client = jack ? NextClientName() : clientName_;
    auto opened = std::make_unique<InputDevice>();
    opened->port = MakePort<RtMidiIn>(device.api, client);
    if (!opened->port)
        return MidiResult::kBadDeviceId;
    const MidiHandle newHandle = reinterpret_cast<MidiHandle>(opened.get());
    opened->delivery = std::make_unique<MidiInputDelivery>(newHandle, callback, data);
    // Every kind of message is passed on; the port layer does its own filtering.
    opened->port->ignoreTypes(false, false, false);
    opened->port->setCallback(OnRtMidiInput, opened->delivery.get());
    if (const uint32_t result = Attach(*opened->port, device, client, true);
        result != MidiResult::kOk)
        return result;
    openInputs_[newHandle] = std::move(opened);
    handle = newHandle;
    return MidiResult::kOk;
}

template <typename Port>
uint32_t RtMidiServices::Attach(Port& port, const ListedDevice& device, const std::string& client,
                                bool input) {
    const char* own = input ? kOwnInput : kOwnOutput;
    try {
        if (device.api == RtMidi::UNIX_JACK) {
            // A port of the client's own, connected by the list's client: a listing on a
            // new client costs JACK far more than opening it. RtMidi does not count such
            // a port as open, so the connection is the test.
            port.openVirtualPort(own);
#ifdef QUORVIN_HAVE_JACK
            const std::string mine = client + ":" + own;
            if (!(input ? jack_->Connect(device.fullName, mine)
                        : jack_->Connect(mine, device.fullName)))
                return MidiResult::kBadDeviceId;
#endif
            return MidiResult::kOk;
        }
        unsigned number = 0;
        if (!FindPort(port, device.api, device.fullName, number))
            return MidiResult::kBadDeviceId;
        port.openPort(number, own);
        return port.isPortOpen() ? MidiResult::kOk : MidiResult::kAllocated;
    } catch (const RtMidiError&) {
        return MidiResult::kAllocated;
    }
}

RtMidiServices::InputDevice* RtMidiServices::FindInput(MidiHandle handle) {
    auto it = openInputs_.find(handle);
    return it == openInputs_.end() ? nullptr : it->second.get();
}

RtMidiServices::OutputDevice* RtMidiServices::FindOutput(MidiHandle handle) {
    auto it = openOutputs_.find(handle);
    return it == openOutputs_.end() ? nullptr : it->second.get();
}

MidiInputDelivery* RtMidiServices::DeliveryOf(MidiHandle handle) {
    InputDevice* device = FindInput(handle);
    return device ? device->delivery.get() : nullptr;
}

uint32_t RtMidiServices::CloseInput(MidiHandle handle) {
    InputDevice* device = FindInput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    if (device->delivery->HasBuffers())
        return MidiResult::kStillPlaying;
    device->port.reset();
    openInputs_.erase(handle);
    return MidiResult::kOk;
}

uint32_t RtMidiServices::InputErrorText(uint32_t code, std::string& text) {
    return MidiResultTextInto(code, text);
}

uint32_t RtMidiServices::OpenOutput(uint32_t id, MidiDriverCallback callback, void* data,
                                    MidiHandle& handle) {
    const ListedDevice* listed = Resolve(id, false);
    if (!listed)
        return MidiResult::kBadDeviceId;
    const ListedDevice device = *listed;
    const bool jack = device.api == RtMidi::UNIX_JACK;
    const std::string client = jack ? NextClientName() : clientName_;
    auto opened = std::make_unique<OutputDevice>();
    opened->port = MakePort<RtMidiOut>(device.api, client);
    opened->callback = callback;
    opened->data = data;
    if (!opened->port)
        return MidiResult::kBadDeviceId;
    if (const uint32_t result = Attach(*opened->port, device, client, false);
        result != MidiResult::kOk)
        return result;
    handle = reinterpret_cast<MidiHandle>(opened.get());
    openOutputs_[handle] = std::move(opened);
    return MidiResult::kOk;
}

uint32_t RtMidiServices::SendShort(MidiHandle handle, uint32_t message) {
    OutputDevice* device = FindOutput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    const uint8_t bytes[3] = {static_cast<uint8_t>(message), static_cast<uint8_t>(message >> 8),
                              static_cast<uint8_t>(message >> 16)};
    const std::size_t length = ShortMessageLength(bytes[0]);
    if (length == 0)
        return MidiResult::kInvalidParameter;
    try {
        device->port->sendMessage(bytes, length);
    } catch (const RtMidiError&) {
        return MidiResult::kNotReady;
    }
    return MidiResult::kOk;
}

uint32_t RtMidiServices::PrepareOutputHeader(MidiHandle handle, MidiHeader& header) {
    return FindOutput(handle) ? PrepareOutgoing(header) : MidiResult::kInvalidHandle;
}

uint32_t RtMidiServices::UnprepareOutputHeader(MidiHandle handle, MidiHeader& header) {
    return FindOutput(handle) ? UnprepareOutgoing(header) : MidiResult::kInvalidHandle;
}

uint32_t RtMidiServices::SendLong(MidiHandle handle, MidiHeader& header) {
    OutputDevice* device = FindOutput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    if (!(header.flags & MidiHeaderFlag::kPrepared))
        return MidiResult::kUnprepared;
    if (header.bufferLength > 0) {
        try {
            device->port->sendMessage(header.data, header.bufferLength);
        } catch (const RtMidiError&) {
            return MidiResult::kNotReady;
        }
    }
    header.flags |= MidiHeaderFlag::kDone;
    device->callback(handle, MidiCallbackMessage::kOutputDone, device->data,
                     reinterpret_cast<uintptr_t>(&header), 0);
    return MidiResult::kOk;
}

uint32_t RtMidiServices::CloseOutput(MidiHandle handle) {
    if (!FindOutput(handle))
        return MidiResult::kInvalidHandle;
    openOutputs_.erase(handle);
    return MidiResult::kOk;
}

uint32_t RtMidiServices::GetOutputVolume(uint32_t, uint32_t&) {
    return MidiResult::kNotSupported;
}

uint32_t RtMidiServices::SetOutputVolume(uint32_t, uint32_t) {
    return MidiResult::kNotSupported;
}

uint32_t RtMidiServices::CachePatches(MidiHandle, uint32_t, uint16_t*, uint32_t) {
    return MidiResult::kNotSupported;
}

uint32_t RtMidiServices::CacheDrumPatches(MidiHandle, uint32_t, uint16_t*, uint32_t) {
    return MidiResult::kNotSupported;
}

uint32_t RtMidiServices::OutputDriverMessage(MidiHandle, uint32_t, uintptr_t, uintptr_t) {
    return MidiResult::kNotSupported;
}

uint32_t RtMidiServices::OutputErrorText(uint32_t code, std::string& text) {
    return MidiResultTextInto(code, text);
}
