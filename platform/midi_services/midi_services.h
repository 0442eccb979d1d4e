#pragma once
// The platform's MIDI functions as the port layer sees them: count and name devices,
// open one with a driver callback, send short and long messages (a long one reported
// done through the callback), lend input buffers that come back filled, start, stop,
// reset, close, and give error texts. Every call returns a result code (0 = success).
//
// Devices are numbered as they were last listed: ListInputs and ListOutputs ask the
// system anew, and every other call (count, capabilities, open) answers from that list,
// so a number keeps naming the same device until the next listing.
//
// Threads: every call is made from the main thread. The callback registered by Open
// runs on a thread of the service (input data, buffers handed back) or inside the
// call that caused it (long message done, buffers handed back by ResetInput); it must
// not call back into the service.
#include <atomic>
#include <cstdint>
#include <string>

namespace MidiResult {
constexpr uint32_t kOk = 0;
constexpr uint32_t kError = 1;
constexpr uint32_t kBadDeviceId = 2;
constexpr uint32_t kAllocated = 4;
constexpr uint32_t kInvalidHandle = 5;
constexpr uint32_t kNoMemory = 7;
constexpr uint32_t kNotSupported = 8;
constexpr uint32_t kInvalidFlag = 10;
constexpr uint32_t kInvalidParameter = 11;
constexpr uint32_t kUnprepared = 64;
constexpr uint32_t kStillPlaying = 65;
constexpr uint32_t kNotReady = 67;
constexpr uint32_t kBadOpenMode = 70;
} // namespace MidiResult

// Message numbers given to the callback.
namespace MidiCallbackMessage {
constexpr uint32_t kInputOpened = 0x3C1;
constexpr uint32_t kInputClosed = 0x3C2;
constexpr uint32_t kInputData = 0x3C3;     // param1 packed message, param2 time stamp
constexpr uint32_t kInputLongData = 0x3C4; // param1 MidiHeader*, param2 time stamp
constexpr uint32_t kInputError = 0x3C5;
constexpr uint32_t kInputLongError = 0x3C6; // incomplete block, as kInputLongData
constexpr uint32_t kOutputOpened = 0x3C7;
constexpr uint32_t kOutputClosed = 0x3C8;
constexpr uint32_t kOutputDone = 0x3C9; // param1 MidiHeader* of the finished message
} // namespace MidiCallbackMessage

// Names the device that stands for "whichever the system prefers" (the mapper).
constexpr uint32_t kMidiMapper = 0xFFFFFFFF;

// Longest device name the services report.
constexpr std::size_t kMaxDeviceNameLength = 31;

// Header of one buffer lent to the service or sent through it. The owner sets data,
// bufferLength and user; the service sets bytesRecorded and flags. A lent buffer is
// filled and handed back on the service's thread, so its flags are atomic: the owner
// may look at them at any time.
struct MidiHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesRecorded = 0;
    uintptr_t user = 0;
    std::atomic<uint32_t> flags = 0;
};

namespace MidiHeaderFlag {
constexpr uint32_t kDone = 1;
constexpr uint32_t kPrepared = 2;
constexpr uint32_t kInQueue = 4;
} // namespace MidiHeaderFlag

using MidiHandle = uintptr_t;
using MidiDriverCallback = void (*)(MidiHandle handle, uint32_t message, void* data,
                                    uintptr_t param1, uintptr_t param2);

struct MidiInputCaps {
    uint16_t manufacturerId = 0;
    uint16_t productId = 0;
    uint32_t driverVersion = 0;
    std::string productName;
};

// Values of MidiOutputCaps::technology.
namespace MidiTechnology {
constexpr uint16_t kMidiPort = 1;
constexpr uint16_t kSynth = 2;
constexpr uint16_t kMapper = 5;
} // namespace MidiTechnology

// Bits of MidiOutputCaps::support.
namespace MidiSupport {
constexpr uint32_t kVolume = 1;
constexpr uint32_t kStereoVolume = 2;
constexpr uint32_t kCaching = 4;
constexpr uint32_t kStreaming = 8;
} // namespace MidiSupport

struct MidiOutputCaps {
    uint16_t manufacturerId = 0;
    uint16_t productId = 0;
    uint32_t driverVersion = 0;
    std::string productName;
    uint16_t technology = 0;
    uint16_t voices = 0;
    uint16_t notes = 0;
    uint16_t channelMask = 0;
    uint32_t support = 0;
};

class MidiServices {
public:
    virtual ~MidiServices() = default;

    // Input devices
    // Lists the devices anew; returns their count.
    virtual uint32_t ListInputs() = 0;
    // Devices of the last listing (the first call lists them).
    virtual uint32_t InputCount() = 0;
    virtual uint32_t InputCaps(uint32_t id, MidiInputCaps& caps) = 0;
    virtual uint32_t OpenInput(uint32_t id, MidiDriverCallback callback, void* data,
                               MidiHandle& handle) = 0;
    virtual uint32_t PrepareInputHeader(MidiHandle handle, MidiHeader& header) = 0;
    virtual uint32_t UnprepareInputHeader(MidiHandle handle, MidiHeader& header) = 0;
    virtual uint32_t AddInputBuffer(MidiHandle handle, MidiHeader& header) = 0;
    virtual uint32_t StartInput(MidiHandle handle) = 0;
    virtual uint32_t StopInput(MidiHandle handle) = 0;
    // Stops input and hands every lent buffer back through the callback.
    virtual uint32_t ResetInput(MidiHandle handle) = 0;
    virtual uint32_t CloseInput(MidiHandle handle) = 0;
    // 0 and the text when the code is known; room for 128 characters.
    virtual uint32_t InputErrorText(uint32_t code, std::string& text) = 0;

    // Output devices
    virtual uint32_t ListOutputs() = 0;
    virtual uint32_t OutputCount() = 0;
    virtual uint32_t OutputCaps(uint32_t id, MidiOutputCaps& caps) = 0;
    virtual uint32_t OpenOutput(uint32_t id, MidiDriverCallback callback, void* data,
                                MidiHandle& handle) = 0;
    // status | data1 << 8 | data2 << 16; as many bytes are sent as the status calls for.
    virtual uint32_t SendShort(MidiHandle handle, uint32_t message) = 0;
    virtual uint32_t PrepareOutputHeader(MidiHandle handle, MidiHeader& header) = 0;
    virtual uint32_t UnprepareOutputHeader(MidiHandle handle, MidiHeader& header) = 0;
    // Sends header.bufferLength bytes; kOutputDone follows through the callback.
    virtual uint32_t SendLong(MidiHandle handle, MidiHeader& header) = 0;
    virtual uint32_t CloseOutput(MidiHandle handle) = 0;
    virtual uint32_t GetOutputVolume(uint32_t id, uint32_t& volume) = 0;
    virtual uint32_t SetOutputVolume(uint32_t id, uint32_t volume) = 0;
    virtual uint32_t CachePatches(MidiHandle handle, uint32_t bank, uint16_t* patches,
                                  uint32_t flags) = 0;
    virtual uint32_t CacheDrumPatches(MidiHandle handle, uint32_t patch, uint16_t* keys,
                                      uint32_t flags) = 0;
    virtual uint32_t OutputDriverMessage(MidiHandle handle, uint32_t message, uintptr_t param1,
                                         uintptr_t param2) = 0;
    virtual uint32_t OutputErrorText(uint32_t code, std::string& text) = 0;
};

// The text for a result code shared by both directions; empty when the code is unknown.
std::string MidiResultText(uint32_t code);

// Preparing and unpreparing a header for an outgoing long message, for services whose
// devices need nothing more than the header's own marks.
uint32_t PrepareOutgoing(MidiHeader& header);
uint32_t UnprepareOutgoing(MidiHeader& header);

// Bytes a short message with this status byte has on the wire (0 for a data byte).
std::size_t ShortMessageLength(uint8_t status);
