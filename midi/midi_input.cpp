#include "midi/midi_input.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr const char* kOutOfRange = "Specified error number is out of range";
constexpr std::size_t kErrorTextRoom = 128;
} // namespace

TMidiInput::TMidiInput(MidiServices& services, QObject* owner) : TMidiIO(services, owner) {
    portState_ = misCreating;
    sysexOnly_ = false;
    numDevs_ = services_.InputCount();
    deviceHandle_ = 0;
    if (numDevs_ > 0)
        SetDeviceID(0);
    capacity_ = 1024;
    sysexBufferSize_ = 4096;
    sysexBufferCount_ = 16;
    notifyWindow_ = std::make_unique<TNotifyWindow>(
        [this](uint32_t message, uintptr_t param1, uintptr_t param2) {
            return MidiInput(message, param1, param2);
        },
        ErrorRoute());
    filteredMessages_ = {msgActiveSensing, msgMidiTimeCode};
    portState_ = misClosed;
}

TMidiInput::~TMidiInput() {
    if (portState_ == misOpen) {
        try {
            Close();
        } catch (const EMidiInputError&) {
            // Finished below, as far as the device allows.
        }
    }
    // A device that would not close may still call back: leave it its memory.
    if (!ShutDevice())
        return;
    CircbufFree(eventBuffer_);
    TPortCallbackDataFree(callbackData_);
}

uint32_t TMidiInput::DeviceCount() {
    numDevs_ = services_.ListInputs();
    return numDevs_;
}

std::string TMidiInput::MidiInErrorString(uint32_t code) {
    std::string text;
    if (services_.InputErrorText(code, text) != MidiResult::kOk)
        return kOutOfRange;
    if (text.size() >= kErrorTextRoom)
        text.resize(kErrorTextRoom - 1);
    return text;
}

void TMidiInput::Raise(uint32_t code) {
    error_ = static_cast<uint16_t>(code);
    throw EMidiInputError(MidiInErrorString(code));
}

void TMidiInput::SetDeviceID(uint32_t id) {
    if (portState_ == misOpen)
        throw EMidiInputError("Change to DeviceID while device was open");
    if (id >= services_.InputCount() && id != kMidiMapper)
        throw EMidiInputError("Invalid device ID");
    deviceId_ = id;
    MidiInputCaps caps;
    Check(services_.InputCaps(id, caps));
    CopyCommonCaps(caps);
    if (OnDeviceChanged)
        OnDeviceChanged(this);
}

void TMidiInput::SetProductName(const std::string& name) {
    if (portState_ == misOpen)
        throw EMidiInputError("Change to ProductName while device was open");
    if (loading_)
        return;
    const uint32_t count = services_.InputCount();
    uint32_t id = 0;
    for (; id < count; ++id) {
        MidiInputCaps caps;
        Check(services_.InputCaps(id, caps));
        if (caps.productName.substr(0, kMaxDeviceNameLength) == name) {
            productName_ = name;
            break;
        }
    }
    if (productName_ != name)
        throw EMidiInputError("MIDI Input Device " + name + " not installed ");
    SetDeviceID(id);
}

void TMidiInput::SetSysexBufferSize(uint16_t size) {
    if (portState_ == misOpen)
        throw EMidiInputError("Change to SysexBufferSize while device was open");
    sysexBufferSize_ = size;
}

void TMidiInput::SetSysexBufferCount(uint16_t count) {
    if (portState_ == misOpen)
        throw EMidiInputError("Change to SysexBufferCount while device was open");
    sysexBufferCount_ = count;
}

void TMidiInput::CopyFlags() {
    if (!callbackData_)
        return;
    callbackData_->SysexOnly.store(sysexOnly_, std::memory_order_relaxed);
    callbackData_->DropTimingClock.store(filteredMessages_.Contains(msgMidiTimeCode),
                                         std::memory_order_relaxed);
    callbackData_->DropActiveSensing.store(filteredMessages_.Contains(msgActiveSensing),
                                           std::memory_order_relaxed);
}

void TMidiInput::SetSysexOnly(bool sysexOnly) {
    sysexOnly_ = sysexOnly;
    CopyFlags();
}

void TMidiInput::SetMsgFilter(TMidiMsgFilter filter) {
    filteredMessages_ = filter;
    CopyFlags();
}

void TMidiInput::Open() {
    // Opening again would lose the handle, buffers and ring of the device already open.
    if (deviceHandle_ != 0)
        throw EMidiInputError("Open while device was open");
    try {
        if (!eventBuffer_)
            eventBuffer_ = CircbufAlloc(capacity_);
        if (!eventBuffer_)
            throw EMidiInputError("Cannot make an event buffer of " + std::to_string(capacity_) +
                                  " events (1 to " + std::to_string(kMaxRingSlots) + ")");
        if (!callbackData_)
            callbackData_ = TPortCallbackDataAlloc();
        if (!callbackData_)
            Raise(MidiResult::kNoMemory);
        AttachRing(eventBuffer_);
        callbackData_->Window = notifyWindow_.get();
        callbackData_->OpenSerial.fetch_add(1, std::memory_order_relaxed);
        CopyFlags();
        MidiHandle handle = 0;
        Check(services_.OpenInput(deviceId_, midiHandler, callbackData_, handle));
        deviceHandle_ = handle;
        PrepareHeaders();
        AddBuffers();
    } catch (const EMidiInputError&) {
        ReleaseAfterFailedOpen();
        throw;
    }
    error_ = MidiResult::kOk;
    portState_ = misOpen;
}

bool TMidiInput::ShutDevice() {
    if (deviceHandle_ == 0)
        return true;
    // Buffers still lent come back first, or the device would refuse to close; they
    // find no ring, so this thread never puts into it.
    AttachRing(nullptr);
    services_.ResetInput(deviceHandle_);
    for (auto& owner : sysexHeaders_)
        services_.UnprepareInputHeader(deviceHandle_, *owner->Header);
    if (services_.CloseInput(deviceHandle_) != MidiResult::kOk)
        return false;
    deviceHandle_ = 0;
    sysexHeaders_.clear();
    return true;
}

void TMidiInput::AttachRing(TCircularBuffer* ring) {
    if (callbackData_)
        callbackData_->Buffer.store(ring, std::memory_order_release);
}

void TMidiInput::ReleaseAfterFailedOpen() {
    if (!ShutDevice())
        return;
    AttachRing(nullptr);
    CircbufFree(eventBuffer_);
    eventBuffer_ = nullptr;
    TPortCallbackDataFree(callbackData_);
    callbackData_ = nullptr;
}

void TMidiInput::PrepareHeaders() {
    if (sysexBufferCount_ == 0 || sysexBufferSize_ == 0 || deviceHandle_ == 0)
        return;
    sysexHeaders_.reserve(sysexBufferCount_);
    for (uint16_t i = 0; i < sysexBufferCount_; ++i) {
        auto owner = std::make_unique<TMyMidiHdr>(sysexBufferSize_);
        if (!owner->Valid())
            Raise(MidiResult::kNoMemory);
        owner->Header->user = reinterpret_cast<uintptr_t>(owner.get());
        Check(services_.PrepareInputHeader(deviceHandle_, *owner->Header));
        sysexHeaders_.push_back(std::move(owner));
    }
}

void TMidiInput::AddBuffers() {
    for (auto& owner : sysexHeaders_)
        Check(services_.AddInputBuffer(deviceHandle_, *owner->Header));
}

void TMidiInput::Start() {
    if (portState_ == misOpen)
        Check(services_.StartInput(deviceHandle_));
}

void TMidiInput::Stop() {
    if (portState_ == misOpen)
        Check(services_.StopInput(deviceHandle_));
}

void TMidiInput::OpenAndStart() {
    Open();
    Start();
}

void TMidiInput::StopAndClose() {
    Stop();
    Close();
}

void TMidiInput::Close() {
    if (portState_ != misOpen)
        return;
    // Closed first, so the notices the reset causes find a closed port and fire nothing.
    // The ring is taken from the callback before the reset: the buffers the reset hands
    // back on this thread would only vanish with it, and the driver's thread stays the
    // only one that puts into the ring.
    portState_ = misClosed;
    AttachRing(nullptr);
    try {
        Check(services_.ResetInput(deviceHandle_));
        UnprepareHeaders();
        Check(services_.CloseInput(deviceHandle_));
    } catch (const EMidiInputError&) {
        // The device is still there: the port stays open on it, and a later Close tries
        // again from where this one stopped.
        AttachRing(eventBuffer_);
        portState_ = misOpen;
        throw;
    }
    deviceHandle_ = 0;
    CircbufFree(eventBuffer_);
    eventBuffer_ = nullptr;
}

void TMidiInput::UnprepareHeaders() {
    while (!sysexHeaders_.empty()) {
        Check(services_.UnprepareInputHeader(deviceHandle_, *sysexHeaders_.back()->Header));
        sysexHeaders_.pop_back();
    }
}

void TMidiInput::ChangeDevice(uint32_t id, bool openAfter) {
    if (id == deviceId_)
        return;
    Stop();
    Close();
    SetDeviceID(id);
    if (openAfter) {
        Open();
        Start();
    }
}

uint16_t TMidiInput::GetEventCount() const {
    if (portState_ != misOpen || !eventBuffer_)
        return 0;
    return eventBuffer_->Filled.load(std::memory_order_acquire);
}

void TMidiInput::LendBack(MidiHeader& header) {
    try {
        Check(services_.PrepareInputHeader(deviceHandle_, header));
        Check(services_.AddInputBuffer(deviceHandle_, header));
    } catch (const EMidiInputError&) {
        ReportError(std::current_exception());
    }
}

std::unique_ptr<TMyMidiEvent> TMidiInput::GetMidiEvent() {
    TMidiBufferItem item{};
    if (portState_ != misOpen || !CircbufReadEvent(eventBuffer_, item))
        return nullptr;
    auto event = std::make_unique<TMyMidiEvent>();
    event->TimeStamp = item.TimeStamp;
    if (!item.SysexHeader) {
        event->StatusByte = static_cast<uint8_t>(item.ShortMessage);
        event->DataByte1 = static_cast<uint8_t>(item.ShortMessage >> 8);
        event->DataByte2 = static_cast<uint8_t>(item.ShortMessage >> 16);
        CircbufRemoveEvent(eventBuffer_);
        return event;
    }
    // The block is copied and its item removed before the buffer goes back, so a buffer
    // that cannot be lent again loses nothing and is never handed out twice.
    MidiHeader& header = *item.SysexHeader;
    event->StatusByte = 0xF0;
    event->SysexSize = static_cast<uint16_t>(header.bytesRecorded);
    if (event->SysexSize > 0) {
        event->SysexData = std::make_unique<uint8_t[]>(event->SysexSize);
        std::memcpy(event->SysexData.get(), header.data, event->SysexSize);
    }
    CircbufRemoveEvent(eventBuffer_);
    LendBack(header);
    return event;
}

void TMidiInput::FlushQueue() {
    while (GetEventCount() > 0)
        GetMidiEvent();
}

uintptr_t TMidiInput::MidiInput(uint32_t message, uintptr_t param1, uintptr_t param2) {
    switch (message) {
    case PortNotification::kEventsWaiting:
        if (OnMidiInput && portState_ == misOpen && GetEventCount() > 0)
            OnMidiInput(this);
        return 0;
    case PortNotification::kRingFull: {
        if (portState_ != misOpen)
            return 0;
        // A SysEx buffer the full ring refused goes back to the platform, or the port
        // would have one buffer fewer until it is opened again.
        auto* header = reinterpret_cast<MidiHeader*>(param2);
        const bool current =
            param1 == callbackData_->OpenSerial.load(std::memory_order_relaxed) &&
            std::any_of(sysexHeaders_.begin(), sysexHeaders_.end(),
                        [header](const auto& owner) { return owner->Header == header; });
        if (header && current)
            LendBack(*header);
        if (OnOverflow)
            OnOverflow(this);
        return 0;
    }
    case PortNotification::kQueryEndSession:
        return 1;
    default:
        return 0;
    }
}
