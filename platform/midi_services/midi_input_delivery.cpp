#include "platform/midi_services/midi_input_delivery.h"

#include <algorithm>
#include <cstring>

MidiInputDelivery::MidiInputDelivery(MidiHandle handle, MidiDriverCallback callback, void* data)
    : handle_(handle), callback_(callback), data_(data) {}

uint32_t MidiInputDelivery::Prepare(MidiHeader& header) {
    if (header.data == nullptr || header.bufferLength == 0)
        return MidiResult::kInvalidParameter;
    std::lock_guard guard(lock_);
    header.flags |= MidiHeaderFlag::kPrepared;
    return MidiResult::kOk;
}

uint32_t MidiInputDelivery::Unprepare(MidiHeader& header) {
    std::lock_guard guard(lock_);
    if (header.flags & MidiHeaderFlag::kInQueue)
        return MidiResult::kStillPlaying;
    header.flags &= ~MidiHeaderFlag::kPrepared;
    return MidiResult::kOk;
}

uint32_t MidiInputDelivery::Add(MidiHeader& header) {
    std::lock_guard guard(lock_);
    if (!(header.flags & MidiHeaderFlag::kPrepared))
        return MidiResult::kUnprepared;
    if (header.flags & MidiHeaderFlag::kInQueue)
        return MidiResult::kStillPlaying;
    header.flags = (header.flags & ~MidiHeaderFlag::kDone) | MidiHeaderFlag::kInQueue;
    header.bytesRecorded = 0;
    lent_.push_back(&header);
    return MidiResult::kOk;
}

void MidiInputDelivery::Start() {
    std::lock_guard guard(lock_);
    if (started_)
        return;
    started_ = true;
    startTime_ = std::chrono::steady_clock::now();
}

void MidiInputDelivery::Stop() {
    std::lock_guard guard(lock_);
    started_ = false;
}

void MidiInputDelivery::Reset() {
    std::lock_guard guard(lock_);
    started_ = false;
    inSysex_ = false;
    while (!lent_.empty())
        HandBack(0);
}

bool MidiInputDelivery::HasBuffers() {
    std::lock_guard guard(lock_);
    return !lent_.empty();
}

uint32_t MidiInputDelivery::Stamp() const {
    auto elapsed = std::chrono::steady_clock::now() - startTime_;
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void MidiInputDelivery::HandBack(uint32_t stamp) {
    MidiHeader* header = lent_.front();
    lent_.pop_front();
    header->flags = (header->flags & ~MidiHeaderFlag::kInQueue) | MidiHeaderFlag::kDone;
    callback_(handle_, MidiCallbackMessage::kInputLongData, data_,
              reinterpret_cast<uintptr_t>(header), stamp);
}

void MidiInputDelivery::Deliver(const uint8_t* bytes, std::size_t count) {
    if (count == 0)
        return;
    std::lock_guard guard(lock_);
    if (!started_)
        return;
    const uint32_t stamp = Stamp();
    const uint8_t status = bytes[0];
    if (status == 0xF0 || (inSysex_ && status < 0x80)) {
        DeliverSysex(bytes, count, stamp);
        return;
    }
    uint32_t packed = 0;
    const std::size_t length = std::min<std::size_t>(count, 3);
    for (std::size_t i = 0; i < length; ++i)
        packed |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    callback_(handle_, MidiCallbackMessage::kInputData, data_, packed, stamp);
}

void MidiInputDelivery::DeliverSysex(const uint8_t* bytes, std::size_t count, uint32_t stamp) {
    inSysex_ = bytes[count - 1] != 0xF7;
    // With no buffer lent the block has nowhere to go and is dropped, as a driver does.
    while (count > 0 && !lent_.empty()) {
        MidiHeader& header = *lent_.front();
        const std::size_t room = header.bufferLength - header.bytesRecorded;
        const std::size_t part = std::min(room, count);
        std::memcpy(header.data + header.bytesRecorded, bytes, part);
        header.bytesRecorded += static_cast<uint32_t>(part);
        bytes += part;
        count -= part;
        if (header.bytesRecorded == header.bufferLength || (count == 0 && !inSysex_))
            HandBack(stamp);
    }
}
