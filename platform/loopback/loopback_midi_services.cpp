#include "platform/loopback/loopback_midi_services.h"

#include "platform/midi_services/midi_input_delivery.h"

#include <condition_variable>
#include <deque>
#include <thread>

namespace {
constexpr const char* kMapperName = "MIDI Mapper";
}

struct LoopbackMidiServices::InputDevice {
    std::string name;
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::vector<uint8_t>> queue;
    bool busy = false;
    bool quit = false;
    // Present while open; replaced only under `lock`, so the worker never sees it go.
    std::unique_ptr<MidiInputDelivery> delivery;
    std::thread worker;

    void Run() {
        std::unique_lock guard(lock);
        for (;;) {
            wake.wait(guard, [this] { return quit || !queue.empty(); });
            if (quit)
                return;
            std::vector<uint8_t> message = std::move(queue.front());
            queue.pop_front();
            busy = true;
            if (delivery)
                delivery->Deliver(message.data(), message.size());
            busy = false;
            if (queue.empty())
                idle.notify_all();
        }
    }
};

struct LoopbackMidiServices::OutputDevice {
    std::string name;
    uint16_t technology = MidiTechnology::kMidiPort;
    uint32_t support = 0;
    uint32_t volume = 0xFFFFFFFF;
    bool open = false;
    MidiDriverCallback callback = nullptr;
    void* data = nullptr;
    std::vector<SentMessage> sent;
    Sink sink;
};

LoopbackMidiServices::LoopbackMidiServices() = default;

LoopbackMidiServices::~LoopbackMidiServices() {
    for (auto& input : inputs_) {
        {
            std::lock_guard guard(input->lock);
            input->quit = true;
        }
        input->wake.notify_all();
        input->worker.join();
    }
}

uint32_t LoopbackMidiServices::AddInputDevice(const std::string& name) {
    auto device = std::make_unique<InputDevice>();
    device->name = name.substr(0, kMaxDeviceNameLength);
    device->worker = std::thread([raw = device.get()] { raw->Run(); });
    std::lock_guard guard(lock_);
    inputs_.push_back(std::move(device));
    return static_cast<uint32_t>(inputs_.size() - 1);
}

uint32_t LoopbackMidiServices::AddOutputDevice(const std::string& name, uint16_t technology,
                                               uint32_t support) {
    auto device = std::make_unique<OutputDevice>();
    device->name = name.substr(0, kMaxDeviceNameLength);
    device->technology = technology;
    device->support = support;
    std::lock_guard guard(lock_);
    outputs_.push_back(std::move(device));
    return static_cast<uint32_t>(outputs_.size() - 1);
}

LoopbackMidiServices::InputDevice* LoopbackMidiServices::InputNamed(const std::string& name) const {
    std::lock_guard guard(lock_);
    for (auto& input : inputs_)
        if (input->name == name)
            return input.get();
    return nullptr;
}

LoopbackMidiServices::OutputDevice*
LoopbackMidiServices::OutputNamed(const std::string& name) const {
    std::lock_guard guard(lock_);
    for (auto& output : outputs_)
        if (output->name == name)
            return output.get();
    return nullptr;
}

void LoopbackMidiServices::Inject(const std::string& input, std::vector<uint8_t> bytes) {
    InputDevice* device = InputNamed(input);
    if (!device)
        return;
    {
        std::lock_guard guard(device->lock);
        device->queue.push_back(std::move(bytes));
    }
    device->wake.notify_one();
}

void LoopbackMidiServices::WaitDelivered(const std::string& input) {
    InputDevice* device = InputNamed(input);
    if (!device)
        return;
    std::unique_lock guard(device->lock);
    device->idle.wait(guard, [device] { return device->queue.empty() && !device->busy; });
}

std::vector<LoopbackMidiServices::SentMessage>
LoopbackMidiServices::Sent(const std::string& output) const {
    OutputDevice* device = OutputNamed(output);
    std::lock_guard guard(lock_);
    return device ? device->sent : std::vector<SentMessage>{};
}

void LoopbackMidiServices::ClearSent(const std::string& output) {
    OutputDevice* device = OutputNamed(output);
    std::lock_guard guard(lock_);
    if (device)
        device->sent.clear();
}

void LoopbackMidiServices::Connect(const std::string& output, Sink sink) {
    OutputDevice* device = OutputNamed(output);
    std::lock_guard guard(lock_);
    if (device)
        device->sink = std::move(sink);
}

bool LoopbackMidiServices::IsOpen(const std::string& name) const {
    if (OutputDevice* output = OutputNamed(name)) {
        std::lock_guard guard(lock_);
        return output->open;
    }
    if (InputDevice* input = InputNamed(name)) {
        std::lock_guard guard(input->lock);
        return input->delivery != nullptr;
    }
    return false;
}

void LoopbackMidiServices::FailNext(LoopbackCall call, uint32_t code) {
    std::lock_guard guard(lock_);
    failures_[call] = code;
}

bool LoopbackMidiServices::Failing(LoopbackCall call, uint32_t& code) {
    std::lock_guard guard(lock_);
    auto it = failures_.find(call);
    if (it == failures_.end())
        return false;
    code = it->second;
    failures_.erase(it);
    return true;
}

LoopbackMidiServices::InputDevice* LoopbackMidiServices::FindInput(MidiHandle handle) {
    std::lock_guard guard(lock_);
    for (auto& input : inputs_)
        if (reinterpret_cast<MidiHandle>(input.get()) == handle && input->delivery)
            return input.get();
    return nullptr;
}

LoopbackMidiServices::OutputDevice* LoopbackMidiServices::FindOutput(MidiHandle handle) {
    std::lock_guard guard(lock_);
    for (auto& output : outputs_)
        if (reinterpret_cast<MidiHandle>(output.get()) == handle && output->open)
            return output.get();
    return nullptr;
}

uint32_t LoopbackMidiServices::InputCount() {
    std::lock_guard guard(lock_);
    return static_cast<uint32_t>(inputs_.size());
}

uint32_t LoopbackMidiServices::InputCaps(uint32_t id, MidiInputCaps& caps) {
    uint32_t code = 0;
    if (Failing(LoopbackCall::InputCaps, code))
        return code;
    std::lock_guard guard(lock_);
    if (inputs_.empty() || (id != kMidiMapper && id >= inputs_.size()))
        return MidiResult::kBadDeviceId;
    caps = {};
    caps.productName = id == kMidiMapper ? kMapperName : inputs_[id]->name;
    caps.manufacturerId = 0x7D;
    caps.productId = static_cast<uint16_t>(id);
    caps.driverVersion = 0x0100;
    return MidiResult::kOk;
}

uint32_t LoopbackMidiServices::OpenInput(uint32_t id, MidiDriverCallback callback, void* data,
                                         MidiHandle& handle) {
    uint32_t code = 0;
    if (Failing(LoopbackCall::OpenInput, code))
        return code;
    InputDevice* device = nullptr;
    {
        std::lock_guard guard(lock_);
        if (id == kMidiMapper)
            id = 0;
        if (id >= inputs_.size())
            return MidiResult::kBadDeviceId;
        device = inputs_[id].get();
    }
    std::lock_guard guard(device->lock);
    if (device->delivery)
        return MidiResult::kAllocated;
    handle = reinterpret_cast<MidiHandle>(device);
    device->delivery = std::make_unique<MidiInputDelivery>(handle, callback, data);
    return MidiResult::kOk;
}

MidiInputDelivery* LoopbackMidiServices::DeliveryOf(MidiHandle handle) {
    InputDevice* device = FindInput(handle);
    return device ? device->delivery.get() : nullptr;
}

uint32_t LoopbackMidiServices::Admit(InputCall call) {
    static const std::map<InputCall, LoopbackCall> kCalls = {
        {InputCall::Prepare, LoopbackCall::PrepareInput},
        {InputCall::Unprepare, LoopbackCall::UnprepareInput},
        {InputCall::Add, LoopbackCall::AddInput},
        {InputCall::Start, LoopbackCall::StartInput},
        {InputCall::Stop, LoopbackCall::StopInput},
        {InputCall::Reset, LoopbackCall::ResetInput},
    };
    uint32_t code = MidiResult::kOk;
    Failing(kCalls.at(call), code);
    return code;
}

uint32_t LoopbackMidiServices::CloseInput(MidiHandle handle) {
    uint32_t code = 0;
    if (Failing(LoopbackCall::CloseInput, code))
        return code;
    InputDevice* device = FindInput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    if (device->delivery->HasBuffers())
        return MidiResult::kStillPlaying;
    std::lock_guard guard(device->lock);
    device->delivery.reset();
    return MidiResult::kOk;
}

uint32_t LoopbackMidiServices::InputErrorText(uint32_t code, std::string& text) {
    text = MidiResultText(code);
    return text.empty() ? MidiResult::kBadDeviceId : MidiResult::kOk;
}

uint32_t LoopbackMidiServices::OutputCount() {
    std::lock_guard guard(lock_);
    return static_cast<uint32_t>(outputs_.size());
}

uint32_t LoopbackMidiServices::OutputCaps(uint32_t id, MidiOutputCaps& caps) {
    uint32_t code = 0;
    if (Failing(LoopbackCall::OutputCaps, code))
        return code;
    std::lock_guard guard(lock_);
    if (outputs_.empty() || (id != kMidiMapper && id >= outputs_.size()))
        return MidiResult::kBadDeviceId;
    caps = {};
    caps.manufacturerId = 0x7D;
    caps.driverVersion = 0x0100;
    caps.channelMask = 0xFFFF;
    if (id == kMidiMapper) {
        caps.productName = kMapperName;
        caps.technology = MidiTechnology::kMapper;
        caps.productId = 0xFFFF;
        return MidiResult::kOk;
    }
    const OutputDevice& device = *outputs_[id];
    caps.productName = device.name;
    caps.productId = static_cast<uint16_t>(id);
    caps.technology = device.technology;
    caps.support = device.support;
    caps.voices = device.technology == MidiTechnology::kMidiPort ? 0 : 16;
    caps.notes = caps.voices;
    return MidiResult::kOk;
}

uint32_t LoopbackMidiServices::OpenOutput(uint32_t id, MidiDriverCallback callback, void* data,
                                          MidiHandle& handle) {
    uint32_t code = 0;
    if (Failing(LoopbackCall::OpenOutput, code))
        return code;
    std::lock_guard guard(lock_);
    if (id == kMidiMapper)
        id = 0;
    if (id >= outputs_.size())
        return MidiResult::kBadDeviceId;
    OutputDevice& device = *outputs_[id];
    if (device.open)
        return MidiResult::kAllocated;
    device.open = true;
    device.callback = callback;
    device.data = data;
    handle = reinterpret_cast<MidiHandle>(&device);
    return MidiResult::kOk;
}

void LoopbackMidiServices::Record(OutputDevice& device, std::vector<uint8_t> bytes) {
    Sink sink;
    {
        std::lock_guard guard(lock_);
        device.sent.push_back({std::chrono::steady_clock::now(), bytes});
        sink = device.sink;
    }
    if (sink)
        sink(bytes);
}

uint32_t LoopbackMidiServices::SendShort(MidiHandle handle, uint32_t message) {
    uint32_t code = 0;
    if (Failing(LoopbackCall::SendShort, code))
        return code;
    OutputDevice* device = FindOutput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    const std::size_t length = ShortMessageLength(static_cast<uint8_t>(message));
    if (length == 0)
        return MidiResult::kInvalidParameter;
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i < length; ++i)
        bytes.push_back(static_cast<uint8_t>(message >> (8 * i)));
    Record(*device, std::move(bytes));
    return MidiResult::kOk;
}

uint32_t LoopbackMidiServices::PrepareOutputHeader(MidiHandle handle, MidiHeader& header) {
    uint32_t code = 0;
    if (Failing(LoopbackCall::PrepareOutput, code))
        return code;
    return FindOutput(handle) ? PrepareOutgoing(header) : MidiResult::kInvalidHandle;
}

uint32_t LoopbackMidiServices::UnprepareOutputHeader(MidiHandle handle, MidiHeader& header) {
    return FindOutput(handle) ? UnprepareOutgoing(header) : MidiResult::kInvalidHandle;
}

uint32_t LoopbackMidiServices::SendLong(MidiHandle handle, MidiHeader& header) {
    uint32_t code = 0;
    if (Failing(LoopbackCall::SendLong, code))
        return code;
    OutputDevice* device = FindOutput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    if (!(header.flags & MidiHeaderFlag::kPrepared))
        return MidiResult::kUnprepared;
    Record(*device, std::vector<uint8_t>(header.data, header.data + header.bufferLength));
    header.flags |= MidiHeaderFlag::kDone;
    device->callback(handle, MidiCallbackMessage::kOutputDone, device->data,
                     reinterpret_cast<uintptr_t>(&header), 0);
    return MidiResult::kOk;
}

uint32_t LoopbackMidiServices::CloseOutput(MidiHandle handle) {
    uint32_t code = 0;
    if (Failing(LoopbackCall::CloseOutput, code))
        return code;
    OutputDevice* device = FindOutput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    std::lock_guard guard(lock_);
    device->open = false;
    return MidiResult::kOk;
}

uint32_t LoopbackMidiServices::GetOutputVolume(uint32_t id, uint32_t& volume) {
    std::lock_guard guard(lock_);
    if (id >= outputs_.size())
        return MidiResult::kBadDeviceId;
    if (!(outputs_[id]->support & MidiSupport::kVolume))
        return MidiResult::kNotSupported;
    volume = outputs_[id]->volume;
    return MidiResult::kOk;
}

uint32_t LoopbackMidiServices::SetOutputVolume(uint32_t id, uint32_t volume) {
    std::lock_guard guard(lock_);
    if (id >= outputs_.size())
        return MidiResult::kBadDeviceId;
    if (!(outputs_[id]->support & MidiSupport::kVolume))
        return MidiResult::kNotSupported;
    outputs_[id]->volume = volume;
    return MidiResult::kOk;
}

uint32_t LoopbackMidiServices::CachePatches(MidiHandle handle, uint32_t, uint16_t* patches,
                                            uint32_t) {
    OutputDevice* device = FindOutput(handle);
    if (!device)
        return MidiResult::kInvalidHandle;
    if (!(device->support & MidiSupport::kCaching))
        return MidiResult::kNotSupported;
    return patches ? MidiResult::kOk : MidiResult::kInvalidParameter;
}

uint32_t LoopbackMidiServices::CacheDrumPatches(MidiHandle handle, uint32_t, uint16_t* keys,
                                                uint32_t flags) {
    return CachePatches(handle, 0, keys, flags);
}

uint32_t LoopbackMidiServices::OutputDriverMessage(MidiHandle handle, uint32_t, uintptr_t,
                                                   uintptr_t) {
    return FindOutput(handle) ? MidiResult::kNotSupported : MidiResult::kInvalidHandle;
}

uint32_t LoopbackMidiServices::OutputErrorText(uint32_t code, std::string& text) {
    return InputErrorText(code, text);
}
