#pragma once
// An input port: one MIDI input device of the platform. While it is open the driver
// callback stores every incoming message in the port's ring and notifies the port's
// window; the port then fires OnMidiInput, and the handler takes the waiting events
// one by one. SysEx blocks arrive in a pool of buffers the port lends to the platform.
//
// Threads: every operation runs on the main thread, and OnMidiInput and OnOverflow
// fire there. The callback thread touches only the ring and the callback record.
#include "midi/midi_callback.h"
#include "midi/midi_type.h"
#include "platform/shell/notify_window.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class EMidiInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TMidiMsg : uint8_t { msgActiveSensing = 0, msgMidiTimeCode = 1 };
using TMidiMsgFilter = TSet<TMidiMsg>;

class TMidiInput : public TMidiIO {
    Q_OBJECT
public:
    explicit TMidiInput(MidiServices& services, QObject* owner = nullptr);
    ~TMidiInput() override;

    uint32_t DeviceCount() override;

    void SetDeviceID(uint32_t id);
    void SetProductName(const std::string& name);
    void SetCapacity(uint16_t capacity) { capacity_ = capacity; }
    void SetSysexBufferSize(uint16_t size);
    void SetSysexBufferCount(uint16_t count);
    void SetSysexOnly(bool sysexOnly);
    void SetMsgFilter(TMidiMsgFilter filter);
    void Open();
    void Start();
    void Stop();
    void Close();
    void OpenAndStart();
    void StopAndClose();
    void ChangeDevice(uint32_t id, bool openAfter);

    uint16_t GetEventCount() const;
    // The oldest waiting event, which the caller then owns; none when nothing waits.
    std::unique_ptr<TMyMidiEvent> GetMidiEvent();
    void FlushQueue();
    std::string MidiInErrorString(uint32_t code);

    uint16_t Capacity() const { return capacity_; }
    uint16_t Error() const { return error_; }
    uint16_t SysexBufferSize() const { return sysexBufferSize_; }
    uint16_t SysexBufferCount() const { return sysexBufferCount_; }
    bool SysexOnly() const { return sysexOnly_; }
    TMidiMsgFilter FilteredMessages() const { return filteredMessages_; }
    MidiInputState PortState() const { return portState_; }
    uint32_t NumDevs() const { return numDevs_; }
    // Buffers lent to the platform while open.
    std::size_t SysexHeaderCount() const { return sysexHeaders_.size(); }

    TNotifyEvent OnMidiInput;
    TNotifyEvent OnOverflow;

    // The notification window's handler.
    uintptr_t MidiInput(uint32_t message, uintptr_t param1, uintptr_t param2);

private:
    [[noreturn]] void Raise(uint32_t code);
    void Check(uint32_t result) {
        if (result != MidiResult::kOk)
            Raise(result);
    }
    void CopyFlags();
    void PrepareHeaders();
    void AddBuffers();
    // Lends a buffer back to the platform; a failure goes to OnError, and the buffer
    // waits for the next Open.
    void LendBack(MidiHeader& header);
    void UnprepareHeaders();
    // Hands the buffers back and closes the device, whatever fails on the way; false
    // when the device stays open.
    bool ShutDevice();
    void ReleaseAfterFailedOpen();
    void AttachRing(TCircularBuffer* ring);

    uint16_t capacity_ = 1024;
    uint16_t error_ = 0;
    uint16_t sysexBufferSize_ = 4096;
    uint16_t sysexBufferCount_ = 16;
    bool sysexOnly_ = false;
    TMidiMsgFilter filteredMessages_{msgActiveSensing, msgMidiTimeCode};
    std::unique_ptr<TNotifyWindow> notifyWindow_;
    MidiInputState portState_ = misCreating;
    TCircularBuffer* eventBuffer_ = nullptr;
    std::vector<std::unique_ptr<TMyMidiHdr>> sysexHeaders_;
    TPortCallbackData* callbackData_ = nullptr;
};
