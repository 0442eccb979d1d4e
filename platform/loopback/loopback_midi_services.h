#pragma once
// In-process MIDI services for tests and benchmarks: named devices that behave like a
// driver's. Bytes injected into an input device are delivered on that device's own
// thread; whatever an output device is sent is recorded with its time and can be
// passed to a connected sink (a simulated instrument, which may answer by injecting).
//
// Threads: the test-facing calls may come from any thread; the MidiServices calls
// from the main thread. Sinks run inside the sending call.
#include "platform/midi_services/midi_input_delivery.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Calls whose next result a test may force.
enum class LoopbackCall {
    InputCaps,
    OpenInput,
    PrepareInput,
    AddInput,
    UnprepareInput,
    StartInput,
    StopInput,
    ResetInput,
    CloseInput,
    OutputCaps,
    OpenOutput,
    SendShort,
    PrepareOutput,
    SendLong,
    CloseOutput,
};

class LoopbackMidiServices : public DeliveringMidiServices {
public:
    struct SentMessage {
        std::chrono::steady_clock::time_point time;
        std::vector<uint8_t> bytes;
    };
    using Sink = std::function<void(const std::vector<uint8_t>&)>;

    LoopbackMidiServices();
    ~LoopbackMidiServices() override;

    // Each returns the new device's id (devices are numbered in the order added).
    uint32_t AddInputDevice(const std::string& name);
    uint32_t AddOutputDevice(const std::string& name,
                             uint16_t technology = MidiTechnology::kMidiPort, uint32_t support = 0);

    // Queues one message (or one part of a SysEx block) for delivery on the input's
    // thread; it is lost, as on a cable, when the device is not open and started.
    void Inject(const std::string& input, std::vector<uint8_t> bytes);
    // Returns once everything injected into the input so far has been delivered.
    void WaitDelivered(const std::string& input);

    std::vector<SentMessage> Sent(const std::string& output) const;
    void ClearSent(const std::string& output);
    void Connect(const std::string& output, Sink sink);
    bool IsOpen(const std::string& device) const;

    // The next call of that kind fails with code and does nothing else.
    void FailNext(LoopbackCall call, uint32_t code);

    // The devices are always as added: listing only counts them.
    uint32_t ListInputs() override { return InputCount(); }
    uint32_t InputCount() override;
    uint32_t InputCaps(uint32_t id, MidiInputCaps& caps) override;
    uint32_t OpenInput(uint32_t id, MidiDriverCallback callback, void* data,
                       MidiHandle& handle) override;
    uint32_t CloseInput(MidiHandle handle) override;
    uint32_t InputErrorText(uint32_t code, std::string& text) override;

    uint32_t ListOutputs() override { return OutputCount(); }
    uint32_t OutputCount() override;
    uint32_t OutputCaps(uint32_t id, MidiOutputCaps& caps) override;
    uint32_t OpenOutput(uint32_t id, MidiDriverCallback callback, void* data,
                        MidiHandle& handle) override;
    uint32_t SendShort(MidiHandle handle, uint32_t message) override;
    uint32_t PrepareOutputHeader(MidiHandle handle, MidiHeader& header) override;
    uint32_t UnprepareOutputHeader(MidiHandle handle, MidiHeader& header) override;
    uint32_t SendLong(MidiHandle handle, MidiHeader& header) override;
    uint32_t CloseOutput(MidiHandle handle) override;
    uint32_t GetOutputVolume(uint32_t id, uint32_t& volume) override;
    uint32_t SetOutputVolume(uint32_t id, uint32_t volume) override;
    uint32_t CachePatches(MidiHandle handle, uint32_t bank, uint16_t* patches,
                          uint32_t flags) override;
    uint32_t CacheDrumPatches(MidiHandle handle, uint32_t patch, uint16_t* keys,
                              uint32_t flags) override;
    uint32_t OutputDriverMessage(MidiHandle handle, uint32_t message, uintptr_t param1,
                                 uintptr_t param2) override;
    uint32_t OutputErrorText(uint32_t code, std::string& text) override;

protected:
    MidiInputDelivery* DeliveryOf(MidiHandle handle) override;
    uint32_t Admit(InputCall call) override;

private:
    struct InputDevice;
    struct OutputDevice;

    bool Failing(LoopbackCall call, uint32_t& code);
    InputDevice* FindInput(MidiHandle handle);
    InputDevice* InputNamed(const std::string& name) const;
    OutputDevice* FindOutput(MidiHandle handle);
    OutputDevice* OutputNamed(const std::string& name) const;
    void Record(OutputDevice& device, std::vector<uint8_t> bytes);

    mutable std::mutex lock_;
    std::vector<std::unique_ptr<InputDevice>> inputs_;
    std::vector<std::unique_ptr<OutputDevice>> outputs_;
    std::map<LoopbackCall, uint32_t> failures_;
};
