#pragma once
// The program's MIDI services: the ports of every RtMidi back end usable on this
// machine (ALSA sequencer, then JACK when a server runs, or the platform's own),
// numbered from 0 in that order as they were last listed. Listed names are stable
// across runs (ALSA's client:port numbers are left out) and unique within the name
// limit; each listed device keeps its full identity, by which it is opened, since
// numbers shift when devices come and go. This program's own JACK ports are not
// listed.
//
// Nothing is printed: back ends that cannot be used are left out, and RtMidi's
// warnings are kept off the terminal.
//
// Threads: input arrives on RtMidi's thread (ALSA's reader, JACK's process thread)
// and reaches the callback from there; long messages are reported done inside SendLong.
#include "platform/midi_services/midi_input_delivery.h"

#include <rtmidi/RtMidi.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class JackPortList;

class RtMidiServices : public DeliveringMidiServices {
public:
    // One listed device: the back end it belongs to, its full name there (stable: no
    // ALSA numbers) and the unique name it is listed under.
    struct ListedDevice {
        RtMidi::Api api;
        std::string fullName;
        std::string name;
    };

    // clientName: how this program shows itself to the back ends; its JACK clients are
    // named after it and the process, so two programs' clients never meet.
    explicit RtMidiServices(std::string clientName = "Quorvin");
    ~RtMidiServices() override;

    uint32_t ListInputs() override;
    uint32_t InputCount() override;
    uint32_t InputCaps(uint32_t id, MidiInputCaps& caps) override;
    uint32_t OpenInput(uint32_t id, MidiDriverCallback callback, void* data,
                       MidiHandle& handle) override;
    uint32_t CloseInput(MidiHandle handle) override;
    uint32_t InputErrorText(uint32_t code, std::string& text) override;

    uint32_t ListOutputs() override;
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

    // The devices of the last listing, in device-number order.
    const std::vector<ListedDevice>& ListedInputs();
    const std::vector<ListedDevice>& ListedOutputs();
    // The device number of the listed device with this unique name.
    static std::optional<uint32_t> FindListed(const std::vector<ListedDevice>& devices,
                                              const std::string& name);

    // The name a port reported by a back end is known by across runs.
    static std::string StableName(RtMidi::Api api, const std::string& reported);

protected:
    MidiInputDelivery* DeliveryOf(MidiHandle handle) override;

private:
    struct InputDevice;
    struct OutputDevice;

    std::vector<ListedDevice> List(bool input);
    // The listed device that id names (the mapper stands for device 0).
    const ListedDevice* Resolve(uint32_t id, bool input);
    // Opens the port of an input (or output) on the listed device.
    template <typename Port>
    uint32_t Attach(Port& port, const ListedDevice& device, const std::string& client, bool input);
    // A JACK client name of this program's own, new for every port opened.
    std::string NextClientName();
    InputDevice* FindInput(MidiHandle handle);
    OutputDevice* FindOutput(MidiHandle handle);

    const std::string clientName_;
    // Every JACK client of this program starts so; its ports are never listed.
    const std::string ownPrefix_;
    unsigned clientsMade_ = 0;
#ifdef QUORVIN_HAVE_JACK
    std::unique_ptr<JackPortList> jack_;
#endif
    // Kept for listing: one RtMidi object per back end and direction (not JACK).
    std::map<RtMidi::Api, std::unique_ptr<RtMidiIn>> inputListers_;
    std::map<RtMidi::Api, std::unique_ptr<RtMidiOut>> outputListers_;
    std::optional<std::vector<ListedDevice>> inputs_;
    std::optional<std::vector<ListedDevice>> outputs_;
    std::map<MidiHandle, std::unique_ptr<InputDevice>> openInputs_;
    std::map<MidiHandle, std::unique_ptr<OutputDevice>> openOutputs_;
};
