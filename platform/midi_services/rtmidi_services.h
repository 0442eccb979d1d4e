#pragma once
// The program's MIDI services: the ports of every RtMidi back end usable on this
// machine (ALSA sequencer, then JACK when a server runs, or the platform's own),
// numbered from 0 in that order. Names are stable across runs: ALSA's client:port
// numbers are left out. Opening looks the port up again by its name, since the
// numbers shift when devices come and go.
//
// Threads: input arrives on RtMidi's thread (ALSA's reader, JACK's process thread)
// and reaches the callback from there; long messages are reported done inside SendLong.
#include "platform/midi_services/midi_services.h"

#include <rtmidi/RtMidi.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class MidiInputDelivery;

class RtMidiServices : public MidiServices {
public:
    // clientName: how this program shows itself to the back ends (JACK client name).
    explicit RtMidiServices(std::string clientName = "Quorvin");
    ~RtMidiServices() override;

    uint32_t InputCount() override;
    uint32_t InputCaps(uint32_t id, MidiInputCaps& caps) override;
    uint32_t OpenInput(uint32_t id, MidiDriverCallback callback, void* data,
                       MidiHandle& handle) override;
    uint32_t PrepareInputHeader(MidiHandle handle, MidiHeader& header) override;
    uint32_t UnprepareInputHeader(MidiHandle handle, MidiHeader& header) override;
    uint32_t AddInputBuffer(MidiHandle handle, MidiHeader& header) override;
    uint32_t StartInput(MidiHandle handle) override;
    uint32_t StopInput(MidiHandle handle) override;
    uint32_t ResetInput(MidiHandle handle) override;
    uint32_t CloseInput(MidiHandle handle) override;
    uint32_t InputErrorText(uint32_t code, std::string& text) override;

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

    // The name a port reported by a back end is listed under.
    static std::string StableName(RtMidi::Api api, const std::string& reported);

private:
    struct PortRef {
        RtMidi::Api api;
        std::string name;
    };
    struct InputDevice;
    struct OutputDevice;

    std::vector<PortRef> List(bool input);
    // The id of the device opened for id (the mapper stands for device 0).
    bool Resolve(uint32_t id, const std::vector<PortRef>& ports, uint32_t& index) const;
    InputDevice* FindInput(MidiHandle handle);
    OutputDevice* FindOutput(MidiHandle handle);

    const std::string clientName_;
    std::vector<PortRef> inputs_;
    std::vector<PortRef> outputs_;
    bool inputsListed_ = false;
    bool outputsListed_ = false;
    std::map<MidiHandle, std::unique_ptr<InputDevice>> openInputs_;
    std::map<MidiHandle, std::unique_ptr<OutputDevice>> openOutputs_;
};
