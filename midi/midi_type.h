#pragma once
// Types shared by the input and output ports: the common base, the received event, the
// owner of one platform buffer header, the port states and the name tables.
#include "platform/midi_services/locked_memory.h"
#include "platform/midi_services/midi_services.h"
#include "platform/shell/notify_window.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

// A set of the values of a small enumeration, one bit each.
template <typename E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members) {
        for (E member : members)
            Include(member);
    }
    constexpr bool Contains(E member) const { return bits_ & Bit(member); }
    constexpr void Include(E member) { bits_ |= Bit(member); }
    constexpr void Exclude(E member) { bits_ &= ~Bit(member); }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr uint32_t Bit(E member) { return 1u << static_cast<unsigned>(member); }
    uint32_t bits_ = 0;
};

using TNotifyEvent = std::function<void(QObject* sender)>;
using TErrorEvent = std::function<void(QObject* sender, const std::exception_ptr& error)>;

enum MidiInputState : uint8_t { misOpen = 0, misClosed = 1, misCreating = 2 };
enum MidiOutputState : uint8_t { mosOpen = 0, mosClosed = 1 };

// The port components' common base: owned and destroyed by the window that holds them.
// It holds what both directions copy from a device's capabilities.
class TMidiIO : public QObject {
    Q_OBJECT
public:
    TMidiIO(MidiServices& services, QObject* owner) : QObject(owner), services_(services) {}
    // Devices of this port's direction, listed anew; the port's device numbers and
    // names come from this listing until the next.
    virtual uint32_t DeviceCount() = 0;

    const std::string& ProductName() const { return productName_; }
    uint32_t DeviceID() const { return deviceId_; }
    uint16_t ManufacturerID() const { return manufacturerId_; }
    uint16_t ProductID() const { return productId_; }
    uint32_t DriverVersion() const { return driverVersion_; }
    MidiHandle DeviceHandle() const { return deviceHandle_; }
    // While loading a stored description, a product name is not applied.
    void SetLoading(bool loading) { loading_ = loading; }

    TNotifyEvent OnDeviceChanged;

    // Errors raised on the main thread while the port handles a notice from its driver:
    // by its event handlers (OnMidiInput, OnOverflow, OnMidiOutput) or by the port itself
    // (a buffer that cannot be lent back). The notices after it are still handled. An
    // error is dropped while this is unassigned. Must not raise.
    TErrorEvent OnError;

protected:
    // The notification window's error handler, which passes errors on to OnError.
    TNotifyWindow::ErrorHandler ErrorRoute() {
        return [this](const std::exception_ptr& error) { ReportError(error); };
    }
    void ReportError(const std::exception_ptr& error) {
        if (OnError)
            OnError(this, error);
    }
    // Copies the capabilities both directions have; the name is cut to the limit.
    template <typename Caps> void CopyCommonCaps(const Caps& caps) {
        productName_ = caps.productName.substr(0, kMaxDeviceNameLength);
        manufacturerId_ = caps.manufacturerId;
        productId_ = caps.productId;
        driverVersion_ = caps.driverVersion;
    }

    MidiServices& services_;
    std::string productName_;
    uint32_t deviceId_ = 0;
    uint16_t manufacturerId_ = 0;
    uint16_t productId_ = 0;
    uint32_t driverVersion_ = 0;
    uint32_t numDevs_ = 0;
    MidiHandle deviceHandle_ = 0;
    bool loading_ = false;
};

// One received MIDI event; a SysEx block has StatusByte 0xF0.
class TMyMidiEvent {
public:
    virtual ~TMyMidiEvent() = default;

    uint8_t StatusByte = 0;
    uint8_t DataByte1 = 0;
    uint8_t DataByte2 = 0;
    uint32_t TimeStamp = 0;
    uint16_t SysexSize = 0;
    // A copy of the block from its 0xF0 on; none for a short message or an empty block.
    std::unique_ptr<uint8_t[]> SysexData;
};

// Owner of one platform buffer header and its data bytes, both in fixed blocks.
class TMyMidiHdr {
public:
    // With size 0 neither block is made.
    explicit TMyMidiHdr(uint16_t size);
    ~TMyMidiHdr();
    TMyMidiHdr(const TMyMidiHdr&) = delete;
    TMyMidiHdr& operator=(const TMyMidiHdr&) = delete;

    // False when a block could not be made.
    bool Valid() const { return size_ == 0 || (Header && Data); }

    TBlockHandle HeaderBlock = 0;
    MidiHeader* Header = nullptr;
    TBlockHandle DataBlock = 0;
    uint8_t* Data = nullptr;

private:
    uint16_t size_;
};

enum OutPortTech : uint8_t {
    opt_None = 0,
    opt_MidiPort = 1,
    opt_Synth = 2,
    opt_SQSynth = 3,
    opt_FMSynth = 4,
    opt_Mapper = 5,
};
extern const std::array<std::string, 6> TechNameMap;

enum TFeature : uint8_t { ftCaching, ftStreaming, ftVolume, ftStereoVolume };
using TFeatureSet = TSet<TFeature>;

enum TMIDIErrorContext : uint8_t {
    ecGeneric,
    ecCaching,
    ecPutShort,
    ecPutLong,
    ecOutPrepareHeader
};

// A General MIDI program number, 0 to 127.
enum class TGMInstrumentPatch : uint8_t {};
extern const std::array<std::string, 128> TGMInstrumentStringMap;
std::string MIDIInstrumentToStr(TGMInstrumentPatch instrument);

// A display name for a status byte ("Data Byte" for 0x00 to 0x7F).
std::string MidiMessageToStr(uint8_t status);

// One entry per patch (or drum key) of a patch-cache request: bit n asks for channel n.
using TPatchArray = std::array<uint16_t, 128>;
void SetPatchChannels(TPatchArray& patches, uint8_t patch, uint16_t channels);
