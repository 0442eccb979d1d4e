#include "platform/midi_services/midi_input_delivery.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

namespace {
// Room for the buffers a port lends by default; more make the queue grow.
constexpr std::size_t kFirstQueueSize = 16;
} // namespace

bool MidiInputDelivery::LentQueue::Push(MidiHeader* header) {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (size_ == 0 || tail - head_.load(std::memory_order_acquire) == size_)
        return false;
    slots_[tail % size_] = header;
    // Published only once the slot holds the header.
    tail_.store(tail + 1, std::memory_order_release);
    return true;
}

MidiHeader* MidiInputDelivery::LentQueue::Pop() {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire))
        return nullptr;
    MidiHeader* header = slots_[head % size_];
    head_.store(head + 1, std::memory_order_release);
    return header;
}

void MidiInputDelivery::LentQueue::Grow() {
    const std::size_t size = std::max(kFirstQueueSize, 2 * size_);
    auto slots = std::make_unique<MidiHeader*[]>(size);
    const std::size_t head = head_.load(std::memory_order_relaxed);
    const std::size_t count = tail_.load(std::memory_order_relaxed) - head;
    for (std::size_t i = 0; i < count; ++i)
        slots[i] = slots_[(head + i) % size_];
    slots_ = std::move(slots);
    size_ = size;
    head_.store(0, std::memory_order_relaxed);
    tail_.store(count, std::memory_order_relaxed);
}

MidiInputDelivery::MidiInputDelivery(MidiHandle handle, MidiDriverCallback callback, void* data)
    : handle_(handle), callback_(callback), data_(data) {}

uint32_t MidiInputDelivery::Prepare(MidiHeader& header) {
    if (header.data == nullptr || header.bufferLength == 0)
        return MidiResult::kInvalidParameter;
    header.flags |= MidiHeaderFlag::kPrepared;
    return MidiResult::kOk;
}

uint32_t MidiInputDelivery::Unprepare(MidiHeader& header) {
    if (header.flags & MidiHeaderFlag::kInQueue)
        return MidiResult::kStillPlaying;
    header.flags &= ~MidiHeaderFlag::kPrepared;
    return MidiResult::kOk;
}

uint32_t MidiInputDelivery::Add(MidiHeader& header) {
    const uint32_t flags = header.flags;
    if (!(flags & MidiHeaderFlag::kPrepared))
        return MidiResult::kUnprepared;
    if (flags & MidiHeaderFlag::kInQueue)
        return MidiResult::kStillPlaying;
    header.flags = (flags & ~MidiHeaderFlag::kDone) | MidiHeaderFlag::kInQueue;
    header.bytesRecorded = 0;
    lentCount_.fetch_add(1, std::memory_order_relaxed);
    if (!lent_.Push(&header)) {
        // The queue is full: it grows while the driver's side is shut out, and only here,
        // so the driver's thread never allocates.
        const bool started = ShutOutDriver();
        lent_.Grow();
        lent_.Push(&header);
        started_.store(started, std::memory_order_seq_cst);
    }
    return MidiResult::kOk;
}

bool MidiInputDelivery::ShutOutDriver() {
    // Paired with Deliver, which says it is delivering before it looks whether it may:
    // either it sees the stop, or this sees it delivering and waits for it to end.
    const bool started = started_.exchange(false, std::memory_order_seq_cst);
    while (delivering_.load(std::memory_order_seq_cst))
        std::this_thread::yield();
    return started;
}

void MidiInputDelivery::Start() {
    if (started_.load(std::memory_order_seq_cst))
        return;
    ShutOutDriver();
    startTime_ = std::chrono::steady_clock::now();
    started_.store(true, std::memory_order_seq_cst);
}

void MidiInputDelivery::Stop() {
    ShutOutDriver();
}

void MidiInputDelivery::Reset() {
    ShutOutDriver();
    // The driver's side stays out until the next Start: its buffers are taken here.
    inSysex_ = false;
    if (filling_ != nullptr)
        HandBack(std::exchange(filling_, nullptr), 0);
    while (MidiHeader* header = lent_.Pop())
        HandBack(header, 0);
}

bool MidiInputDelivery::HasBuffers() const {
    return lentCount_.load(std::memory_order_acquire) > 0;
}

uint32_t MidiInputDelivery::Stamp() const {
    auto elapsed = std::chrono::steady_clock::now() - startTime_;
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void MidiInputDelivery::HandBack(MidiHeader* header, uint32_t stamp) {
    header->flags = (header->flags & ~MidiHeaderFlag::kInQueue) | MidiHeaderFlag::kDone;
    lentCount_.fetch_sub(1, std::memory_order_release);
    callback_(handle_, MidiCallbackMessage::kInputLongData, data_,
              reinterpret_cast<uintptr_t>(header), stamp);
}

void MidiInputDelivery::Deliver(const uint8_t* bytes, std::size_t count) {
    if (count == 0)
        return;
    delivering_.store(true, std::memory_order_seq_cst);
    if (started_.load(std::memory_order_seq_cst)) {
        const uint32_t stamp = Stamp();
        const uint8_t status = bytes[0];
        if (status == 0xF0 || (inSysex_ && status < 0x80)) {
            DeliverSysex(bytes, count, stamp);
        } else {
            uint32_t packed = 0;
            const std::size_t length = std::min<std::size_t>(count, 3);
            for (std::size_t i = 0; i < length; ++i)
                packed |= static_cast<uint32_t>(bytes[i]) << (8 * i);
            callback_(handle_, MidiCallbackMessage::kInputData, data_, packed, stamp);
        }
    }
    delivering_.store(false, std::memory_order_seq_cst);
}

void MidiInputDelivery::DeliverSysex(const uint8_t* bytes, std::size_t count, uint32_t stamp) {
    inSysex_ = bytes[count - 1] != 0xF7;
    while (count > 0) {
        if (filling_ == nullptr)
            filling_ = lent_.Pop();
        // With no buffer lent the rest has nowhere to go and is dropped, as a driver does.
        if (filling_ == nullptr)
            return;
        MidiHeader& header = *filling_;
        const std::size_t room = header.bufferLength - header.bytesRecorded;
        const std::size_t part = std::min(room, count);
        std::memcpy(header.data + header.bytesRecorded, bytes, part);
        header.bytesRecorded += static_cast<uint32_t>(part);
        bytes += part;
        count -= part;
        if (header.bytesRecorded == header.bufferLength || (count == 0 && !inSysex_))
            HandBack(std::exchange(filling_, nullptr), stamp);
    }
}

template <typename Call>
uint32_t DeliveringMidiServices::Forward(InputCall kind, MidiHandle handle, Call call) {
    if (const uint32_t admitted = Admit(kind); admitted != MidiResult::kOk)
        return admitted;
    MidiInputDelivery* delivery = DeliveryOf(handle);
    return delivery ? call(*delivery) : MidiResult::kInvalidHandle;
}

uint32_t DeliveringMidiServices::PrepareInputHeader(MidiHandle handle, MidiHeader& header) {
    return Forward(InputCall::Prepare, handle,
                   [&](MidiInputDelivery& d) { return d.Prepare(header); });
}

uint32_t DeliveringMidiServices::UnprepareInputHeader(MidiHandle handle, MidiHeader& header) {
    return Forward(InputCall::Unprepare, handle,
                   [&](MidiInputDelivery& d) { return d.Unprepare(header); });
}

uint32_t DeliveringMidiServices::AddInputBuffer(MidiHandle handle, MidiHeader& header) {
    return Forward(InputCall::Add, handle, [&](MidiInputDelivery& d) { return d.Add(header); });
}

uint32_t DeliveringMidiServices::StartInput(MidiHandle handle) {
    return Forward(InputCall::Start, handle, [](MidiInputDelivery& d) {
        d.Start();
        return MidiResult::kOk;
    });
}

uint32_t DeliveringMidiServices::StopInput(MidiHandle handle) {
    return Forward(InputCall::Stop, handle, [](MidiInputDelivery& d) {
        d.Stop();
        return MidiResult::kOk;
    });
}

uint32_t DeliveringMidiServices::ResetInput(MidiHandle handle) {
    return Forward(InputCall::Reset, handle, [](MidiInputDelivery& d) {
        d.Reset();
        return MidiResult::kOk;
    });
}
