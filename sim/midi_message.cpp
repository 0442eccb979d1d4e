#include "sim/midi_message.h"

#include <cstdio>

namespace {
bool IsRealTime(uint8_t b) {
    return b >= 0xF8;
}

// Data bytes that follow a status byte other than SysEx, or -1 for the system
// messages a simulated instrument never handles (they are dropped with their data).
int DataBytesAfter(uint8_t status) {
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 1;
    case 0xF0:
        return -1;
    default:
        return 2;
    }
}
} // namespace

std::vector<std::span<const uint8_t>> SplitMidiMessages(const uint8_t* data, size_t size) {
    std::vector<std::span<const uint8_t>> messages;
    size_t i = 0;
    while (i < size) {
        const uint8_t status = data[i];
        if (status < 0x80 || IsRealTime(status)) {
            ++i;
            continue;
        }
        if (status == 0xF0) {
            size_t end = i + 1;
            while (end < size && data[end] < 0x80)
                ++end;
            if (end < size && data[end] == 0xF7) {
                messages.emplace_back(data + i, end + 1 - i);
                i = end + 1;
            } else {
                i = end; // cut short: resume at the status byte that interrupted it
            }
            continue;
        }
        const int needed = DataBytesAfter(status);
        size_t end = i + 1;
        while (end < size && data[end] < 0x80 && static_cast<int>(end - i - 1) < needed)
            ++end;
        if (needed >= 0 && static_cast<int>(end - i - 1) == needed)
            messages.emplace_back(data + i, end - i);
        i = end;
    }
    return messages;
}

std::string HexBytes(std::span<const uint8_t> bytes) {
    std::string text;
    char byte[4];
    for (uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, "%02X", b);
        if (!text.empty())
            text += ' ';
        text += byte;
    }
    return text;
}
