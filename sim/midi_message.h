#pragma once
// Cutting a run of received MIDI bytes into whole messages, shared by both simulated
// instruments. A driver normally hands over one message at a time, but nothing here
// relies on that: a buffer may hold several messages, or end in the middle of one.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

using MidiMessage = std::vector<uint8_t>;
using MidiMessages = std::vector<MidiMessage>;

// The complete messages in data[0, size): SysEx blocks from F0 to F7 and channel
// messages with all their data bytes. Real-time bytes between messages are skipped; a
// SysEx block cut short by any status byte or by the end of the buffer, a channel message
// short of data bytes, system messages and stray data bytes are dropped. Running status
// is not followed.
std::vector<std::span<const uint8_t>> SplitMidiMessages(const uint8_t* data, size_t size);

// "F0 42 30 04 10 F7": for logs and error messages.
std::string HexBytes(std::span<const uint8_t> bytes);
