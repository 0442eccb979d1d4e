#include "platform/midi_services/midi_services.h"

std::string MidiResultText(uint32_t code) {
    switch (code) {
    case MidiResult::kOk:
        return "The specified command was carried out.";
    case MidiResult::kError:
        return "An unspecified error occurred in the MIDI service.";
    case MidiResult::kBadDeviceId:
        return "The specified device identifier is out of range.";
    case MidiResult::kAllocated:
        return "The specified device is already in use.";
    case MidiResult::kInvalidHandle:
        return "The specified device handle is invalid.";
    case MidiResult::kNoMemory:
        return "There is not enough memory available for this task.";
    case MidiResult::kNotSupported:
        return "The device does not support this function.";
    case MidiResult::kInvalidFlag:
        return "An invalid flag was passed to the MIDI service.";
    case MidiResult::kInvalidParameter:
        return "An invalid parameter was passed to the MIDI service.";
    case MidiResult::kUnprepared:
        return "The buffer header has not been prepared.";
    case MidiResult::kStillPlaying:
        return "Buffers are still lent to the device.";
    case MidiResult::kNotReady:
        return "The device is busy with other data.";
    case MidiResult::kBadOpenMode:
        return "The operation is not possible in the mode the device was opened in.";
    default:
        return {};
    }
}

std::size_t ShortMessageLength(uint8_t status) {
    if (status < 0x80)
        return 0;
    if (status < 0xC0 || (status >= 0xE0 && status < 0xF0))
        return 3;
    if (status < 0xE0)
        return 2;
    switch (status) {
    case 0xF1:
    case 0xF3:
        return 2;
    case 0xF2:
        return 3;
    default:
        return 1;
    }
}

uint32_t PrepareOutgoing(MidiHeader& header) {
    if (header.data == nullptr && header.bufferLength > 0)
        return MidiResult::kInvalidParameter;
    header.flags |= MidiHeaderFlag::kPrepared;
    return MidiResult::kOk;
}

uint32_t UnprepareOutgoing(MidiHeader& header) {
    header.flags &= ~MidiHeaderFlag::kPrepared;
    return MidiResult::kOk;
}
