#include "midi/circbuf.h"
#include "midi/midi_callback.h"
#include "platform/shell/notify_window.h"

#include "midi_test_support.h"
#include "support/error_of.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {
struct RingDeleter {
    void operator()(TCircularBuffer* ring) const { CircbufFree(ring); }
};
using Ring = std::unique_ptr<TCircularBuffer, RingDeleter>;

TMidiBufferItem Short(uint32_t message, uint32_t stamp = 0) {
    return {stamp, message, nullptr};
}

TEST(Ring, AcceptsCapacityRefusesOneMoreAndTakesAgainAfterARemove) {
    for (uint16_t capacity : {uint16_t{1}, uint16_t{3}, uint16_t{1024}, kMaxRingSlots}) {
        Ring ring(CircbufAlloc(capacity));
        ASSERT_TRUE(ring) << capacity;
        for (uint16_t i = 0; i < capacity; ++i)
            ASSERT_TRUE(CircbufPutEvent(ring.get(), Short(i))) << capacity;
        EXPECT_FALSE(CircbufPutEvent(ring.get(), Short(0xFFFF))) << capacity;
        EXPECT_EQ(ring->Filled, capacity);
        ASSERT_TRUE(CircbufRemoveEvent(ring.get()));
        EXPECT_TRUE(CircbufPutEvent(ring.get(), Short(7))) << capacity;
    }
}

TEST(Ring, CapacityOutsideOneTo5461MakesNoRing) {
    EXPECT_EQ(CircbufAlloc(0), nullptr);
    EXPECT_EQ(CircbufAlloc(kMaxRingSlots + 1), nullptr);
    EXPECT_EQ(CircbufAlloc(0xFFFF), nullptr);
}

TEST(Ring, ItemsComeOutInOrderAcrossTheWrap) {
    Ring ring(CircbufAlloc(4));
    std::vector<uint32_t> out;
    uint32_t next = 0;
    // Three rounds of three puts and three takes wrap the pointers twice.
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(CircbufPutEvent(ring.get(), Short(next++)));
        TMidiBufferItem item{};
        while (CircbufReadEvent(ring.get(), item)) {
            out.push_back(item.ShortMessage);
            CircbufRemoveEvent(ring.get());
        }
    }
    std::vector<uint32_t> expected(9);
    for (uint32_t i = 0; i < 9; ++i)
        expected[i] = i;
    EXPECT_EQ(out, expected);
    EXPECT_EQ(ring->ReadSlot, ring->WriteSlot);
}

// The driver's thread puts while the main thread takes, as in a port: every item
// arrives once, whole and in order, however the two threads interleave.
TEST(Ring, TwoThreadsPassAMillionItemsWholeAndInOrder) {
    constexpr uint32_t kItems = 1'000'000;
    Ring ring(CircbufAlloc(1024));
    std::thread producer([&] {
        for (uint32_t i = 0; i < kItems; ++i) {
            const TMidiBufferItem item{~i, i, reinterpret_cast<MidiHeader*>(uintptr_t{i} * 8)};
            while (!CircbufPutEvent(ring.get(), item))
                std::this_thread::yield();
        }
    });
    uint32_t next = 0;
    uint32_t wrong = 0;
    while (next < kItems) {
        TMidiBufferItem item{};
        if (!CircbufReadEvent(ring.get(), item)) {
            std::this_thread::yield();
            continue;
        }
        if (item.ShortMessage != next || item.TimeStamp != ~next ||
            item.SysexHeader != reinterpret_cast<MidiHeader*>(uintptr_t{next} * 8))
            ++wrong;
        CircbufRemoveEvent(ring.get());
        ++next;
    }
    producer.join();
    EXPECT_EQ(wrong, 0u) << "items out of order or torn";
    EXPECT_EQ(ring->Filled, 0);
}

TEST(Ring, ReadTwiceWithoutRemoveGivesTheSameItemAndEmptyRingGivesNone) {
    Ring ring(CircbufAlloc(2));
    TMidiBufferItem item{};
    EXPECT_FALSE(CircbufReadEvent(ring.get(), item));
    EXPECT_FALSE(CircbufRemoveEvent(ring.get()));
    CircbufPutEvent(ring.get(), Short(0x4025B0, 17));
    CircbufPutEvent(ring.get(), Short(0x90));
    TMidiBufferItem first{}, second{};
    ASSERT_TRUE(CircbufReadEvent(ring.get(), first));
    ASSERT_TRUE(CircbufReadEvent(ring.get(), second));
    EXPECT_EQ(first.ShortMessage, 0x4025B0u);
    EXPECT_EQ(second.ShortMessage, 0x4025B0u);
    EXPECT_EQ(second.TimeStamp, 17u);
    EXPECT_EQ(ring->Filled, 2);
}

// The driver callback against a real ring and notification window.
class Callback : public testing::Test {
protected:
    Callback()
        : window(
              [this](uint32_t message, uintptr_t param1, uintptr_t param2) {
                  posted.push_back({message, param1, param2});
                  return uintptr_t{0};
              },
              {}) {
        data = TPortCallbackDataAlloc();
        data->Buffer = ring.get();
        data->Window = &window;
    }
    ~Callback() override { TPortCallbackDataFree(data); }

    void Filters(bool sysexOnly, bool dropClock, bool dropSensing) {
        data->SysexOnly = sysexOnly;
        data->DropTimingClock = dropClock;
        data->DropActiveSensing = dropSensing;
    }
    std::vector<uint32_t> Stored() {
        std::vector<uint32_t> stored;
        TMidiBufferItem item{};
        while (CircbufReadEvent(ring.get(), item)) {
            stored.push_back(item.SysexHeader ? 0xF0 : item.ShortMessage);
            CircbufRemoveEvent(ring.get());
        }
        return stored;
    }

    struct Post {
        uint32_t message;
        uintptr_t param1, param2;
    };
    Ring ring{CircbufAlloc(4)};
    std::vector<Post> posted;
    TNotifyWindow window;
    TPortCallbackData* data;
};

TEST_F(Callback, FiltersDropOnlyWhatTheyName) {
    MidiHeader header;
    const auto sysex = reinterpret_cast<uintptr_t>(&header);
    struct Case {
        const char* what;
        bool sysexOnly, dropClock, dropSensing;
        uint32_t message;
        uintptr_t param1;
        bool stored;
    };
    const Case cases[] = {
        {"clock dropped", false, true, false, MidiCallbackMessage::kInputData, 0xF8, false},
        {"clock kept without its filter", false, false, true, MidiCallbackMessage::kInputData, 0xF8,
         true},
        {"sensing dropped", false, false, true, MidiCallbackMessage::kInputData, 0xFE, false},
        {"sensing kept without its filter", false, true, false, MidiCallbackMessage::kInputData,
         0xFE, true},
        {"quarter frame is not timing clock", false, true, true, MidiCallbackMessage::kInputData,
         0x35F1, true},
        {"only the one-byte message matches", false, true, true, MidiCallbackMessage::kInputData,
         0x1F8, true},
        {"control change passes", false, true, true, MidiCallbackMessage::kInputData, 0x2825B0,
         true},
        {"sysex-only drops short messages", true, false, false, MidiCallbackMessage::kInputData,
         0x2825B0, false},
        {"sysex-only keeps complete blocks", true, true, true, MidiCallbackMessage::kInputLongData,
         sysex, true},
        {"sysex-only keeps incomplete blocks", true, true, true,
         MidiCallbackMessage::kInputLongError, sysex, true},
        {"input error is ignored", false, false, false, MidiCallbackMessage::kInputError, 0x90,
         false},
        {"open notice is ignored", false, false, false, MidiCallbackMessage::kInputOpened, 0,
         false},
    };
    for (const Case& c : cases) {
        Filters(c.sysexOnly, c.dropClock, c.dropSensing);
        posted.clear();
        midiHandler(0, c.message, data, c.param1, 9);
        window.DispatchWaiting();
        const std::vector<uint32_t> stored = Stored();
        EXPECT_EQ(stored.size(), c.stored ? 1u : 0u) << c.what;
        ASSERT_EQ(posted.size(), c.stored ? 1u : 0u) << c.what;
        if (c.stored) {
            EXPECT_EQ(posted[0].message, PortNotification::kEventsWaiting) << c.what;
        }
    }
}

TEST_F(Callback, StoresTimeStampAndHeaderAndPostsOnePerEvent) {
    MidiHeader header;
    midiHandler(0, MidiCallbackMessage::kInputData, data, 0x2825B0, 1234);
    midiHandler(0, MidiCallbackMessage::kInputLongData, data, reinterpret_cast<uintptr_t>(&header),
                1240);
    window.DispatchWaiting();
    TMidiBufferItem item{};
    ASSERT_TRUE(CircbufReadEvent(ring.get(), item));
    EXPECT_EQ(item.TimeStamp, 1234u);
    EXPECT_EQ(item.ShortMessage, 0x2825B0u);
    EXPECT_EQ(item.SysexHeader, nullptr);
    CircbufRemoveEvent(ring.get());
    ASSERT_TRUE(CircbufReadEvent(ring.get(), item));
    EXPECT_EQ(item.TimeStamp, 1240u);
    EXPECT_EQ(item.ShortMessage, 0u);
    EXPECT_EQ(item.SysexHeader, &header);
    EXPECT_EQ(posted.size(), 2u);
}

TEST_F(Callback, FullRingPostsOverflowCarryingARefusedSysexBuffer) {
    for (int i = 0; i < 4; ++i)
        midiHandler(0, MidiCallbackMessage::kInputData, data, 0x90, 0);
    MidiHeader header;
    data->OpenSerial = 3;
    midiHandler(0, MidiCallbackMessage::kInputData, data, 0x80, 0);
    midiHandler(0, MidiCallbackMessage::kInputLongData, data, reinterpret_cast<uintptr_t>(&header),
                0);
    window.DispatchWaiting();
    ASSERT_EQ(posted.size(), 6u);
    EXPECT_EQ(posted[4].message, PortNotification::kRingFull);
    EXPECT_EQ(posted[4].param2, 0u);
    EXPECT_EQ(posted[5].message, PortNotification::kRingFull);
    EXPECT_EQ(posted[5].param1, 3u);
    EXPECT_EQ(posted[5].param2, reinterpret_cast<uintptr_t>(&header));
    EXPECT_EQ(Stored().size(), 4u);
}

TEST_F(Callback, OutputRecordHasNoRingAndOnlyPassesLongMessageDone) {
    data->Buffer = nullptr;
    MidiHeader header;
    midiHandler(0, MidiCallbackMessage::kInputData, data, 0x90, 0);
    midiHandler(0, MidiCallbackMessage::kInputLongData, data, reinterpret_cast<uintptr_t>(&header),
                0);
    midiHandler(0, MidiCallbackMessage::kOutputDone, data, reinterpret_cast<uintptr_t>(&header), 0);
    window.DispatchWaiting();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, PortNotification::kOutputDone);
    EXPECT_EQ(posted[0].param1, 0u);
    EXPECT_EQ(posted[0].param2, reinterpret_cast<uintptr_t>(&header));
}
// Through the real event loop: the failures go to the error handler, never through the
// socket notifier, and every record still arrives in order.
TEST(NotifyWindow, RecordsArriveInOrderAndOutliveAFailingHandler) {
    std::vector<uint32_t> handled;
    std::vector<std::string> errors;
    TNotifyWindow window(
        [&](uint32_t message, uintptr_t, uintptr_t) -> uintptr_t {
            handled.push_back(message);
            if (message == 2 || message == 150)
                throw std::runtime_error("handler failed on " + std::to_string(message));
            return 0;
        },
        [&](const std::exception_ptr& error) { errors.push_back(MessageOf(error)); });
    for (uint32_t message = 1; message <= 200; ++message)
        ASSERT_TRUE(window.Post(message, 0, 0));
    EXPECT_TRUE(RunUntil([&] { return handled.size() == 200; }));
    EXPECT_EQ(errors, (std::vector<std::string>{"handler failed on 2", "handler failed on 150"}));
    for (uint32_t i = 0; i < handled.size(); ++i)
        ASSERT_EQ(handled[i], i + 1);
}
} // namespace
