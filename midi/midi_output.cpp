#include "midi/midi_output.h"

namespace {
constexpr const char* kOutOfRange = "Specified error number is out of range";
constexpr std::size_t kErrorTextRoom = 128;

struct ContextText {
    TMIDIErrorContext context;
    uint32_t code;
    const char* text;
};

// Texts that say more than the platform's own for the call that failed.
constexpr ContextText kContextTexts[] = {
    {ecCaching, 5, "(Caching) The specified device handle is invalid."},
    {ecCaching, 7,
     "(Caching) The device does not have enough memory to cache all of the requested patches."},
    {ecCaching, 8, "(Caching) The specified device does not support patch caching."},
    {ecCaching, 10, "(Caching) The flag specified by wFlags is invalid."},
    {ecCaching, 11, "(Caching) The array pointed to by lpPatchArray is invalid."},
    {ecPutShort, 5, "(Short Msg) The specified device handle is invalid."},
    {ecPutShort, 67, "(Short Msg) The hardware is busy with other data."},
    {ecPutShort, 70,
     "(Short Msg) The application sent a message without a status byte to a stream handle."},
    {ecPutLong, 5, "(Long Msg) The specified device handle is invalid."},
    {ecPutLong, 11, "(Long Msg) The specified pointer or structure is invalid."},
    {ecPutLong, 64, "(Long Msg) The buffer pointed to by lpMidiOutHdr has not been prepared."},
    {ecPutLong, 67, "(Long Msg) The hardware is busy with other data."},
    {ecOutPrepareHeader, 5, "(Prep Header) The specified device handle is invalid."},
    {ecOutPrepareHeader, 7, "(Prep Header) The system is unable to allocate or lock memory."},
    {ecOutPrepareHeader, 11,
     "(Prep Header) The specified address is invalid or the given stream buffer is greater "
     "than 64K."},
};
} // namespace

TMidiOutput::TMidiOutput(MidiServices& services, QObject* owner) : TMidiIO(services, owner) {
    portState_ = mosClosed;
    numDevs_ = services_.OutputCount();
    notifyWindow_ = std::make_unique<TNotifyWindow>(
        [this](uint32_t message, uintptr_t param1, uintptr_t param2) {
            return MidiOutput(message, param1, param2);
        },
        ErrorRoute());
}

TMidiOutput::~TMidiOutput() {
    if (portState_ == mosOpen) {
        try {
            Close();
        } catch (const EMidiOutputError&) {
            // Reported through the port still being open, below.
        }
        // A device that would not close may still call back: leave it its record.
        if (portState_ == mosOpen)
            return;
    }
    TPortCallbackDataFree(callbackData_);
}

uint32_t TMidiOutput::DeviceCount() {
    numDevs_ = services_.ListOutputs();
    return numDevs_;
}

std::string TMidiOutput::MidiOutErrorString(uint32_t code, TMIDIErrorContext context) {
    for (const ContextText& entry : kContextTexts)
        if (entry.context == context && entry.code == code)
            return entry.text;
    std::string text;
    if (services_.OutputErrorText(code, text) != MidiResult::kOk)
        return kOutOfRange;
    if (text.size() >= kErrorTextRoom)
        text.resize(kErrorTextRoom - 1);
    return text;
}

void TMidiOutput::Raise(uint32_t code, TMIDIErrorContext context) {
    error_ = code;
    throw EMidiOutputError(MidiOutErrorString(code, context));
}

void TMidiOutput::SetDeviceID(uint32_t id) {
    if (portState_ == mosOpen)
        throw EMidiOutputError("Change to DeviceID while device was open");
    if (id >= services_.OutputCount() && id != kMidiMapper)
        throw EMidiOutputError("Invalid device ID");
    deviceId_ = id;
    MidiOutputCaps caps;
    if (const uint32_t result = services_.OutputCaps(id, caps); result != MidiResult::kOk)
        Raise(result, ecGeneric);
    CopyCommonCaps(caps);
    technology_ = static_cast<OutPortTech>(caps.technology & 0xFF);
    voices_ = caps.voices;
    notes_ = caps.notes;
    channelMask_ = caps.channelMask;
    support_ = caps.support;
    if (OnDeviceChanged)
        OnDeviceChanged(this);
}

template <typename Match> uint32_t TMidiOutput::Search(Match match) {
    const uint32_t count = services_.OutputCount();
    // The mapper is asked first, then every device in turn.
    for (uint32_t id = kMidiMapper;; ++id) {
        if (id == count)
            return count;
        MidiOutputCaps caps;
        if (const uint32_t result = services_.OutputCaps(id, caps); result != MidiResult::kOk)
            Raise(result, ecGeneric);
        if (match(caps))
            return id;
    }
}

void TMidiOutput::SetProductName(const std::string& name) {
    if (portState_ == mosOpen)
        throw EMidiOutputError("Change to ProductName while device was open");
    if (loading_)
        return;
    const uint32_t id = Search([&](const MidiOutputCaps& caps) {
        return caps.productName.substr(0, kMaxDeviceNameLength) == name;
    });
    if (id != services_.OutputCount())
        productName_ = name;
    if (productName_ != name)
        throw EMidiOutputError("MIDI output Device " + name + " not installed");
    SetDeviceID(id);
}

void TMidiOutput::SetTechnology(OutPortTech tech) {
    if (portState_ == mosOpen)
        throw EMidiOutputError("Change to Product Technology while device was open");
    const uint32_t id =
        Search([&](const MidiOutputCaps& caps) { return (caps.technology & 0xFF) == tech; });
    if (id != services_.OutputCount())
        technology_ = tech;
    if (technology_ != tech)
        throw EMidiOutputError("MIDI output technology " + TechNameMap[tech] + " not installed");
    SetDeviceID(id);
}

bool TMidiOutput::Open() {
    // Opening again would lose the handle of the device already open.
    if (deviceHandle_ != 0)
        throw EMidiOutputError("Open while device was open");
    if (!callbackData_)
        callbackData_ = TPortCallbackDataAlloc();
    if (!callbackData_) {
        error_ = MidiResult::kNoMemory;
        return false;
    }
    callbackData_->Window = notifyWindow_.get();
    MidiHandle handle = 0;
    const uint32_t result = services_.OpenOutput(deviceId_, midiHandler, callbackData_, handle);
    if (result != MidiResult::kOk) {
        error_ = result;
        TPortCallbackDataFree(callbackData_);
        callbackData_ = nullptr;
        return false;
    }
    error_ = MidiResult::kOk;
    deviceHandle_ = handle;
    portState_ = mosOpen;
    return true;
}

bool TMidiOutput::Close() {
    bool closed = false;
    if (portState_ == mosOpen) {
        if (const uint32_t result = services_.CloseOutput(deviceHandle_); result != MidiResult::kOk)
            Raise(result, ecGeneric);
        error_ = MidiResult::kOk;
        closed = true;
    }
    deviceHandle_ = 0;
    portState_ = mosClosed;
    return closed;
}

bool TMidiOutput::ChangeDevice(uint32_t id, bool openAfter) {
    if (portState_ != mosClosed)
        Close();
    if (portState_ != mosClosed)
        return false;
    SetDeviceID(id);
    return openAfter ? Open() : false;
}

void TMidiOutput::PutShort(uint8_t status, uint8_t data1, uint8_t data2) {
    if (portState_ != mosOpen)
        throw EMidiOutputError("(Short Msg) Device not opened.");
    const uint32_t message = status | data1 << 8 | data2 << 16;
    if (const uint32_t result = services_.SendShort(deviceHandle_, message);
        result != MidiResult::kOk)
        Raise(result, ecPutShort);
    error_ = MidiResult::kOk;
}

void TMidiOutput::PutLong(const uint8_t* data, uint16_t length) {
    if (portState_ != mosOpen)
        throw EMidiOutputError("(Long Msg) Device not opened.");
    // An empty message has nothing to send and nothing to report done.
    if (length == 0)
        return;
    auto owner = std::make_unique<TMyMidiHdr>(length);
    if (!owner->Valid())
        Raise(MidiResult::kNoMemory, ecOutPrepareHeader);
    std::copy(data, data + length, owner->Data);
    MidiHeader* header = owner->Header;
    header->user = reinterpret_cast<uintptr_t>(owner.get());
    if (const uint32_t result = services_.PrepareOutputHeader(deviceHandle_, *header);
        result != MidiResult::kOk)
        Raise(result, ecOutPrepareHeader);
    // Registered before sending: the done notice may be posted before SendLong returns.
    inFlight_[header] = std::move(owner);
    if (const uint32_t result = services_.SendLong(deviceHandle_, *header);
        result != MidiResult::kOk) {
        services_.UnprepareOutputHeader(deviceHandle_, *header);
        inFlight_.erase(header);
        Raise(result, ecPutLong);
    }
    error_ = MidiResult::kOk;
}

uintptr_t TMidiOutput::MidiOutput(uint32_t message, uintptr_t, uintptr_t param2) {
    if (message != PortNotification::kOutputDone)
        return 0;
    auto* header = reinterpret_cast<MidiHeader*>(param2);
    auto it = inFlight_.find(header);
    if (it == inFlight_.end())
        return 0;
    services_.UnprepareOutputHeader(deviceHandle_, *header);
    inFlight_.erase(it);
    if (OnMidiOutput)
        OnMidiOutput(this);
    return 0;
}

void TMidiOutput::PutMidiEvent(const TMyMidiEvent& event) {
    if (portState_ != mosOpen)
        throw EMidiOutputError("MIDI Output device not open");
    if (event.SysexData)
        PutLong(event.SysexData.get(), event.SysexSize);
    else
        PutShort(event.StatusByte, event.DataByte1, event.DataByte2);
}

void TMidiOutput::NoteOff(uint8_t channel, uint8_t note, uint8_t velocity) {
    PutShort(0x80 | (channel & 0x0F), note, velocity);
}

void TMidiOutput::NoteOn(uint8_t channel, uint8_t note, uint8_t velocity) {
    PutShort(0x90 | (channel & 0x0F), note, velocity);
}

void TMidiOutput::NoteAftertouch(uint8_t channel, uint8_t note, uint8_t pressure) {
    PutShort(0xA0 | (channel & 0x0F), note, pressure);
}

void TMidiOutput::ControllerChange(uint8_t channel, uint8_t controller, uint8_t value) {
    PutShort(0xB0 | (channel & 0x0F), controller, value);
}

void TMidiOutput::ProgramChange(uint8_t channel, uint8_t program) {
    PutShort(0xC0 | (channel & 0x0F), program, 0);
}

void TMidiOutput::ChangeInstrument(uint8_t channel, TGMInstrumentPatch instrument) {
    PutShort(0xC0 | (channel & 0x0F), static_cast<uint8_t>(instrument), 0);
}

void TMidiOutput::ChannelAftertouch(uint8_t channel, uint8_t pressure) {
    PutShort(0xD0 | (channel & 0x0F), pressure, 0);
}

TFeatureSet TMidiOutput::GetFeaturesAsSet() const {
    TFeatureSet features;
    if (support_ & MidiSupport::kCaching)
        features.Include(ftCaching);
    if (support_ & MidiSupport::kStreaming)
        features.Include(ftStreaming);
    if (support_ & MidiSupport::kVolume)
        features.Include(ftVolume);
    if (support_ & MidiSupport::kStereoVolume)
        features.Include(ftStereoVolume);
    return features;
}

void TMidiOutput::GetVolume(uint16_t& first, uint16_t& second) {
    uint32_t volume = 0;
    if (const uint32_t result = services_.GetOutputVolume(deviceId_, volume);
        result != MidiResult::kOk)
        Raise(result, ecGeneric);
    first = static_cast<uint16_t>(volume >> 16);
    second = GetSupportsLRVolCtrl() ? static_cast<uint16_t>(volume) : first;
}

uint16_t TMidiOutput::GetVolume() {
    uint16_t first = 0;
    uint16_t second = 0;
    GetVolume(first, second);
    return first;
}

void TMidiOutput::SetVolume(uint16_t first, uint16_t second) {
    if (!GetSupportsLRVolCtrl())
        second = first;
    const uint32_t volume = static_cast<uint32_t>(first) << 16 | second;
    if (const uint32_t result = services_.SetOutputVolume(deviceId_, volume);
        result != MidiResult::kOk)
        Raise(result, ecGeneric);
}

uint32_t TMidiOutput::DriverMidiMessage(uint32_t message, uintptr_t param1, uintptr_t param2) {
    return services_.OutputDriverMessage(deviceHandle_, message, param1, param2);
}

bool TMidiOutput::CachePatches(uint32_t bank, TPatchArray& patches, uint32_t flags) {
    error_ = services_.CachePatches(deviceHandle_, bank, patches.data(), flags);
    return error_ == MidiResult::kOk;
}

bool TMidiOutput::CacheDrumPatches(uint32_t patch, TPatchArray& keys, uint32_t flags) {
    error_ = services_.CacheDrumPatches(deviceHandle_, patch, keys.data(), flags);
    return error_ == MidiResult::kOk;
}
