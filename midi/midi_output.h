#pragma once
// An output port: one MIDI output device of the platform, opened by number or name,
// sending short (channel) messages and long (System Exclusive) ones.
//
// Threads: every operation runs on the main thread. The driver callback only posts the
// "long message done" notice; the message's copy is freed here, on the main thread.
#include "midi/midi_callback.h"
#include "midi/midi_type.h"
#include "platform/shell/notify_window.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

class EMidiOutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TMidiOutput : public TMidiIO {
    Q_OBJECT
public:
    explicit TMidiOutput(MidiServices& services, QObject* owner = nullptr);
    ~TMidiOutput() override;

    uint32_t DeviceCount() override;
    // False when the device cannot be opened; raises only when the port is already open.
    virtual bool Open();
    // True when an open device was closed; false when the port was not open.
    virtual bool Close();
    virtual bool ChangeDevice(uint32_t id, bool openAfter);
    virtual void PutMidiEvent(const TMyMidiEvent& event);
    virtual void PutShort(uint8_t status, uint8_t data1, uint8_t data2);
    // Copies the bytes at once; the caller's buffer may be reused on return.
    virtual void PutLong(const uint8_t* data, uint16_t length);

    void SetDeviceID(uint32_t id);
    void SetProductName(const std::string& name);
    void SetTechnology(OutPortTech tech);

    void NoteOff(uint8_t channel, uint8_t note, uint8_t velocity);
    void NoteOn(uint8_t channel, uint8_t note, uint8_t velocity);
    void NoteAftertouch(uint8_t channel, uint8_t note, uint8_t pressure);
    void ControllerChange(uint8_t channel, uint8_t controller, uint8_t value);
    void ProgramChange(uint8_t channel, uint8_t program);
    void ChangeInstrument(uint8_t channel, TGMInstrumentPatch instrument);
    void ChannelAftertouch(uint8_t channel, uint8_t pressure);

    TFeatureSet GetFeaturesAsSet() const;
    bool GetSupportsCaching() const { return GetFeaturesAsSet().Contains(ftCaching); }
    bool GetSupportsStreaming() const { return GetFeaturesAsSet().Contains(ftStreaming); }
    bool GetSupportsVolControl() const { return GetFeaturesAsSet().Contains(ftVolume); }
    bool GetSupportsLRVolCtrl() const { return GetFeaturesAsSet().Contains(ftStereoVolume); }
    void GetVolume(uint16_t& first, uint16_t& second);
    uint16_t GetVolume();
    void GetVolume(uint16_t& volume) { volume = GetVolume(); }
    void SetVolume(uint16_t first, uint16_t second);
    void SetVolume(uint16_t volume) { SetVolume(volume, volume); }
    uint32_t DriverMidiMessage(uint32_t message, uintptr_t param1, uintptr_t param2);
    bool CachePatches(uint32_t bank, TPatchArray& patches, uint32_t flags);
    bool CacheDrumPatches(uint32_t patch, TPatchArray& keys, uint32_t flags);

    std::string MidiOutErrorString(uint32_t code, TMIDIErrorContext context);

    MidiOutputState PortState() const { return portState_; }
    uint32_t Error() const { return error_; }
    OutPortTech Technology() const { return technology_; }
    uint16_t Voices() const { return voices_; }
    uint16_t Notes() const { return notes_; }
    uint16_t ChannelMask() const { return channelMask_; }
    uint32_t Support() const { return support_; }
    uint16_t NumDevs() const { return static_cast<uint16_t>(numDevs_); }
    // Long messages sent and not yet reported done.
    std::size_t LongMessagesInFlight() const { return inFlight_.size(); }

    TNotifyEvent OnMidiOutput;

    // The notification window's handler.
    uintptr_t MidiOutput(uint32_t message, uintptr_t param1, uintptr_t param2);

private:
    [[noreturn]] void Raise(uint32_t code, TMIDIErrorContext context);
    // The device where a search from the mapper over every device stops.
    template <typename Match> uint32_t Search(Match match);

    std::unique_ptr<TNotifyWindow> notifyWindow_;
    MidiOutputState portState_ = mosClosed;
    TPortCallbackData* callbackData_ = nullptr;
    uint32_t error_ = 0;
    OutPortTech technology_ = opt_None;
    uint16_t voices_ = 0;
    uint16_t notes_ = 0;
    uint16_t channelMask_ = 0;
    uint32_t support_ = 0;
    std::map<MidiHeader*, std::unique_ptr<TMyMidiHdr>> inFlight_;
};
