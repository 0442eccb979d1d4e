#include "platform/midi_services/rtmidi_services.h"

#include "platform/midi_services/midi_input_delivery.h"
#include "platform/midi_services/rtmidi_apis.h"

#include <regex>

namespace {
constexpr const char* kMapperName = "MIDI Mapper";

// RtMidi prints warnings through this unless told otherwise; the result codes say it all.
void QuietRtMidi(RtMidiError::Type, const std::string&, void*) {}

template <typename Port>
std::unique_ptr<Port> MakePort(RtMidi::Api api, const std::string& client) {
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

RtMidiServices::RtMidiServices(std::string clientName) : clientName_(std::move(clientName)) {
    SilenceMidiLibraries();
}

RtMidiServices::~RtMidiServices() {
    // RtMidi's thread must be gone before the delivery it calls into.
    for (auto& [handle, device] : openInputs_)
        device->port.reset();
}

std::string RtMidiServices::StableName(RtMidi::Api api, const std::string& reported) {
    std::string name = reported;
    if (api == RtMidi::LINUX_ALSA) {
        static const std::regex alsaNumbers(R"( \d+:\d+$)");
        name = std::regex_replace(name, alsaNumbers, "");
    }
    if (name.size() > kMaxDeviceNameLength)
        name.resize(kMaxDeviceNameLength);
    return name;
}

namespace {
template <typename Port>
void ListPorts(RtMidi::Api api, const std::string& client,
               std::vector<std::pair<RtMidi::Api, std::string>>& names) {
    std::unique_ptr<Port> probe = MakePort<Port>(api, client);
    if (!probe)
        return;
    const unsigned count = probe->getPortCount();
    for (unsigned i = 0; i < count; ++i)
        names.emplace_back(api, RtMidiServices::StableName(api, probe->getPortName(i)));
}
} // namespace

std::vector<RtMidiServices::PortRef> RtMidiServices::List(bool input) {
    std::vector<std::pair<RtMidi::Api, std::string>> names;
    for (RtMidi::Api api : AvailableMidiApis()) {
        if (input)
            ListPorts<RtMidiIn>(api, clientName_, names);
        else
            ListPorts<RtMidiOut>(api, clientName_, names);
    }
    std::vector<PortRef> ports;
    for (auto& [api, name] : names)
        ports.push_back({api, std::move(name)});
    return ports;
}

bool RtMidiServices::Resolve(uint32_t id, const std::vector<PortRef>& ports,
                             uint32_t& index) const {
    if (id == kMidiMapper)
        id = 0;
    if (id >= ports.size())
        return false;
    index = id;
    return true;
}

uint32_t RtMidiServices::InputCount() {
    inputs_ = List(true);
    inputsListed_ = true;
    return static_cast<uint32_t>(inputs_.size());
}

uint32_t RtMidiServices::OutputCount() {
    outputs_ = List(false);
    outputsListed_ = true;
    return static_cast<uint32_t>(outputs_.size());
}

uint32_t RtMidiServices::InputCaps(uint32_t id, MidiInputCaps& caps) {
    if (!inputsListed_)
        InputCount();
    uint32_t index = 0;
    if (!Resolve(id, inputs_, index))
        return MidiResult::kBadDeviceId;
    caps = {};
    caps.productName = id == kMidiMapper ? kMapperName : inputs_[index].name;
    return MidiResult::kOk;
}

uint32_t RtMidiServices::OutputCaps(uint32_t id, MidiOutputCaps& caps) {
    if (!outputsListed_)
        OutputCount();
    uint32_t index = 0;
    if (!Resolve(id, outputs_, index))
        return MidiResult::kBadDeviceId;
    caps = {};
    caps.productName = id == kMidiMapper ? kMapperName : outputs_[index].name;
    caps.technology = id == kMidiMapper ? MidiTechnology::kMapper : MidiTechnology::kMidiPort;
    caps.channelMask = 0xFFFF;
    return MidiResult::kOk;
}

namespace {
// Finds the port named `name` on `api` now; the numbering may have changed since listing.
template <typename Port>
bool FindPort(Port& port, RtMidi::Api api, const std::string& name, unsigned& number) {
    const unsigned count = port.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        if (RtMidiServices::StableName(api, port.getPortName(i)) == name) {
            number = i;
            return true;
        }
    }
    return false;
}

void OnRtMidiInput(double, std::vector<unsigned char>* message, void* user) {
    static_cast<MidiInputDelivery*>(user)->Deliver(message->data(), message->size());
}
} // namespace

uint32_t RtMidiServices::OpenInput(uint32_t id, MidiDriverCallback callback, void* data,
                                   MidiHandle& handle) {
    if (!inputsListed_)
        InputCount();
    uint32_t index = 0;
    if (!Resolve(id, inputs_, index))
        return MidiResult::kBadDeviceId;
    const PortRef ref = inputs_[index];
    auto device = std::make_unique<InputDevice>();
    device->port = MakePort<RtMidiIn>(ref.api, clientName_);
    unsigned number = 0;
    if (!device->port || !FindPort(*device->port, ref.api, ref.name, number))
        return MidiResult::kBadDeviceId;
    const MidiHandle newHandle = reinterpret_cast<MidiHandle>(device.get());
    device->delivery = std::make_unique<MidiInputDelivery>(newHandle, callback, data);
    try {
        // Every kind of message is passed on; the port layer does its own filtering.
        device->port->ignoreTypes(false, false, false);
        device->port->setCallback(OnRtMidiInput, device->delivery.get());
        device->port->openPort(number, "in");
    } catch (const RtMidiError&) {
        return MidiResult::kAllocated;
    }
    if (!device->port->isPortOpen())
        return MidiResult::kAllocated;
    openInputs_[newHandle] = std::move(device);
    handle = newHandle;
    return MidiResult::kOk;
}

RtMidiServices::InputDevice* RtMidiServices::FindInput(MidiHandle handle) {
    auto it = openInputs_.find(handle);
    return it == openInputs_.end() ? nullptr : it->second.get();
}

RtMidiServices::OutputDevice* RtMidiServices::FindOutput(MidiHandle handle) {
    auto it = openOutputs_.find(handle);
    return it == openOutputs_.end() ? nullptr : it->second.get();
}

uint32_t RtMidiServices::PrepareInputHeader(MidiHandle handle, MidiHeader& header) {
    InputDevice* device = FindInput(handle);
    return device ? device->delivery->Prepare(header) : MidiResult::kInvalidHandle;
}

uint32_t RtMidiServices::UnprepareInputHeader(MidiHandle handle, MidiHeader& header) {
    InputDevice* device = FindInput(handle);
    return device ? device->delivery->Unprepare(header) : MidiResult::kInvalidHandle;
}

uint32_t RtMidiServices::AddInputBuffer(MidiHandle handle, MidiHeader& header) {
    InputDevice* device = FindInput(handle);
    return device ? device->delivery->Add(header) : MidiResult::kInvalidHandle;
}

uint32_t RtMidiServices::StartInput(MidiHandle handle) {
    InputDevice* device = FindInput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    device->delivery->Start();
    return MidiResult::kOk;
}

uint32_t RtMidiServices::StopInput(MidiHandle handle) {
    InputDevice* device = FindInput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    device->delivery->Stop();
    return MidiResult::kOk;
}

uint32_t RtMidiServices::ResetInput(MidiHandle handle) {
    InputDevice* device = FindInput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    device->delivery->Reset();
    return MidiResult::kOk;
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
    if (!outputsListed_)
        OutputCount();
    uint32_t index = 0;
    if (!Resolve(id, outputs_, index))
        return MidiResult::kBadDeviceId;
    const PortRef ref = outputs_[index];
    auto device = std::make_unique<OutputDevice>();
    device->port = MakePort<RtMidiOut>(ref.api, clientName_);
    device->callback = callback;
    device->data = data;
    unsigned number = 0;
    if (!device->port || !FindPort(*device->port, ref.api, ref.name, number))
        return MidiResult::kBadDeviceId;
    try {
        device->port->openPort(number, "out");
    } catch (const RtMidiError&) {
        return MidiResult::kAllocated;
    }
    if (!device->port->isPortOpen())
        return MidiResult::kAllocated;
    handle = reinterpret_cast<MidiHandle>(device.get());
    openOutputs_[handle] = std::move(device);
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
