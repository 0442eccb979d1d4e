#include "midi/midi_input.h"
#include "platform/loopback/loopback_midi_services.h"

#include "midi_test_support.h"
#include "support/error_of.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Sysex(std::size_t length, uint8_t seed) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>((seed + i) & 0x7F);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

struct Received {
    uint8_t status, data1, data2;
    Bytes sysex;
    bool operator==(const Received&) const = default;
};

class InputPort : public testing::Test {
protected:
    InputPort() {
        services.AddInputDevice("Synth In");
        services.AddInputDevice("Controller In");
    }

    // Opens and starts port on device 0 with a handler that drains what waits.
    void OpenDraining(TMidiInput& port) {
        port.OnMidiInput = [this, &port](QObject*) { Drain(port); };
        port.OpenAndStart();
    }
    void Drain(TMidiInput& port) {
        while (port.GetEventCount() > 0) {
            auto event = port.GetMidiEvent();
            Received r{event->StatusByte, event->DataByte1, event->DataByte2, {}};
            if (event->SysexData)
                r.sysex.assign(event->SysexData.get(), event->SysexData.get() + event->SysexSize);
            EXPECT_EQ(event->SysexSize, r.sysex.size());
            received.push_back(std::move(r));
        }
    }
    void Inject(Bytes bytes, const std::string& device = "Synth In") {
        services.Inject(device, std::move(bytes));
    }
    void Delivered(const std::string& device = "Synth In") {
        services.WaitDelivered(device);
        Settle();
    }

    LoopbackMidiServices services;
    std::vector<Received> received;
};

TEST_F(InputPort, ConstructorSelectsDeviceZeroWithItsDefaults) {
    TMidiInput port(services);
    EXPECT_EQ(port.PortState(), misClosed);
    EXPECT_EQ(port.DeviceID(), 0u);
    EXPECT_EQ(port.ProductName(), "Synth In");
    EXPECT_EQ(port.Capacity(), 1024);
    EXPECT_EQ(port.SysexBufferSize(), 4096);
    EXPECT_EQ(port.SysexBufferCount(), 16);
    EXPECT_FALSE(port.SysexOnly());
    EXPECT_EQ(port.FilteredMessages(), (TMidiMsgFilter{msgActiveSensing, msgMidiTimeCode}));
    EXPECT_EQ(port.NumDevs(), 2u);

    LoopbackMidiServices empty;
    TMidiInput none(empty);
    EXPECT_EQ(none.ProductName(), "");
    EXPECT_EQ(none.PortState(), misClosed);
}

TEST_F(InputPort, DeliversShortMessagesInOrderOnlyWhileStarted) {
    TMidiInput port(services);
    port.OnMidiInput = [&](QObject* sender) {
        EXPECT_EQ(sender, &port);
        Drain(port);
    };
    port.Open();
    Inject({0x90, 60, 100});
    Delivered();
    EXPECT_TRUE(received.empty()) << "nothing before Start";

    port.Start();
    Inject({0xB0, 37, 40});
    Inject({0xC0, 5});
    Inject({0xF1, 0x35});
    Delivered();
    EXPECT_EQ(received,
              (std::vector<Received>{{0xB0, 37, 40, {}}, {0xC0, 5, 0, {}}, {0xF1, 0x35, 0, {}}}));

    port.Stop();
    Inject({0x80, 60, 0});
    Delivered();
    EXPECT_EQ(received.size(), 3u) << "nothing after Stop";
    EXPECT_EQ(port.PortState(), misOpen);
}

TEST_F(InputPort, EventsWaitingAtCloseAreGoneAndReopeningStartsEmpty) {
    TMidiInput port(services);
    port.OpenAndStart();
    Inject({0xB0, 1, 1});
    Inject({0xB0, 1, 2});
    Inject(Sysex(10, 1));
    Delivered();
    EXPECT_EQ(port.GetEventCount(), 3);
    port.StopAndClose();
    EXPECT_EQ(port.PortState(), misClosed);
    EXPECT_EQ(port.GetEventCount(), 0);
    EXPECT_EQ(port.GetMidiEvent(), nullptr);
    EXPECT_EQ(port.SysexHeaderCount(), 0u);
    EXPECT_FALSE(services.IsOpen("Synth In"));

    port.Open();
    EXPECT_EQ(port.GetEventCount(), 0);
    EXPECT_EQ(port.GetMidiEvent(), nullptr);
}

TEST_F(InputPort, SysexLongerThanABufferArrivesAsConsecutiveEvents) {
    TMidiInput port(services);
    port.SetSysexBufferSize(100);
    port.SetSysexBufferCount(4);
    OpenDraining(port);
    // Each buffer is lent again once taken, so a second and third block fit as well.
    for (uint8_t round = 0; round < 3; ++round) {
        received.clear();
        const Bytes block = Sysex(250, round);
        Inject(block);
        Delivered();
        ASSERT_EQ(received.size(), 3u) << int(round);
        Bytes joined;
        for (const Received& r : received) {
            EXPECT_EQ(r.status, 0xF0);
            joined.insert(joined.end(), r.sysex.begin(), r.sysex.end());
        }
        EXPECT_EQ(received[0].sysex.size(), 100u);
        EXPECT_EQ(received[2].sysex.size(), 50u);
        EXPECT_EQ(joined, block);
    }
}

// Blocks arrive on the driver's thread while the main thread takes them and lends their
// buffers back: every block and message comes out once, whole and in order.
TEST_F(InputPort, SysexBurstWhileDrainingArrivesWholeAndInOrder) {
    TMidiInput port(services);
    port.SetSysexBufferSize(32);
    port.SetSysexBufferCount(600);
    OpenDraining(port);
    std::vector<Received> expected;
    for (uint8_t i = 0; i < 250; ++i) {
        Inject(Sysex(20, i));
        Inject({0xB0, 7, static_cast<uint8_t>(i & 0x7F)});
        expected.push_back({0xF0, 0, 0, Sysex(20, i)});
        expected.push_back({0xB0, 7, static_cast<uint8_t>(i & 0x7F), {}});
    }
    EXPECT_TRUE(RunUntil([&] { return received.size() >= expected.size(); }));
    Delivered();
    EXPECT_EQ(received, expected);
}

TEST_F(InputPort, NoBuffersAreLentWhenSizeOrCountIsZero) {
    for (auto [size, count] : {std::pair<uint16_t, uint16_t>{0, 16}, {4096, 0}}) {
        received.clear();
        TMidiInput port(services);
        port.SetSysexBufferSize(size);
        port.SetSysexBufferCount(count);
        OpenDraining(port);
        EXPECT_EQ(port.SysexHeaderCount(), 0u);
        Inject(Sysex(20, 3));
        Inject({0xB0, 2, 3});
        Delivered();
        EXPECT_EQ(received, (std::vector<Received>{{0xB0, 2, 3, {}}})) << size << "/" << count;
        port.StopAndClose();
    }
}

TEST_F(InputPort, FilterChangesOnAnOpenPortApplyFromTheNextMessage) {
    TMidiInput port(services);
    OpenDraining(port);
    Inject({0xF8});
    Inject({0xFE});
    Inject({0xF1, 0x10});
    Delivered();
    EXPECT_EQ(received, (std::vector<Received>{{0xF1, 0x10, 0, {}}}));

    received.clear();
    port.SetMsgFilter({msgActiveSensing});
    Inject({0xF8});
    Inject({0xFE});
    Delivered();
    EXPECT_EQ(received, (std::vector<Received>{{0xF8, 0, 0, {}}}));

    received.clear();
    port.SetSysexOnly(true);
    Inject({0xB0, 1, 2});
    Inject(Sysex(5, 0));
    Delivered();
    EXPECT_EQ(received, (std::vector<Received>{{0xF0, 0, 0, Sysex(5, 0)}}));
}

TEST_F(InputPort, OverflowFiresAndSysexReceptionGoesOnAfterIt) {
    TMidiInput port(services);
    port.SetCapacity(4);
    port.SetSysexBufferSize(16);
    port.SetSysexBufferCount(2);
    int overflows = 0;
    port.OnOverflow = [&](QObject*) { ++overflows; };
    port.OpenAndStart();
    // Nobody drains: four messages fill the ring, both SysEx buffers are refused.
    for (uint8_t i = 0; i < 4; ++i)
        Inject({0xB0, 1, i});
    Inject(Sysex(8, 1));
    Inject(Sysex(8, 2));
    Inject({0xB0, 1, 9});
    Delivered();
    EXPECT_EQ(overflows, 3);
    EXPECT_EQ(port.GetEventCount(), 4);
    Drain(port);
    ASSERT_EQ(received.size(), 4u);

    // Both buffers went back to the platform, so both blocks of the next burst arrive.
    received.clear();
    port.OnMidiInput = [&](QObject*) { Drain(port); };
    Inject(Sysex(8, 3));
    Inject(Sysex(8, 4));
    Delivered();
    EXPECT_EQ(received,
              (std::vector<Received>{{0xF0, 0, 0, Sysex(8, 3)}, {0xF0, 0, 0, Sysex(8, 4)}}));
}

TEST_F(InputPort, FailedOpenCleansUpAndLeavesThePortClosed) {
    TMidiInput port(services);
    for (LoopbackCall call :
         {LoopbackCall::OpenInput, LoopbackCall::PrepareInput, LoopbackCall::AddInput}) {
        services.FailNext(call, MidiResult::kNoMemory);
        EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.Open(); }),
                  MidiResultText(MidiResult::kNoMemory));
        EXPECT_EQ(port.Error(), MidiResult::kNoMemory);
        EXPECT_EQ(port.PortState(), misClosed);
        EXPECT_EQ(port.DeviceHandle(), 0u);
        EXPECT_EQ(port.SysexHeaderCount(), 0u);
        EXPECT_FALSE(services.IsOpen("Synth In"));
    }
    OpenDraining(port);
    Inject({0x90, 1, 1});
    Delivered();
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(InputPort, RingCapacityBeyondTheLimitIsRefusedAtOpen) {
    TMidiInput port(services);
    port.SetCapacity(kMaxRingSlots + 1);
    EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.Open(); }),
              "Cannot make an event buffer of 5462 events (1 to 5461)");
    EXPECT_EQ(port.PortState(), misClosed);
    EXPECT_FALSE(services.IsOpen("Synth In"));
    port.SetCapacity(kMaxRingSlots);
    EXPECT_NO_THROW(port.Open());
}

TEST_F(InputPort, OpenOnAnOpenPortIsRefusedAndKeepsTheDevice) {
    TMidiInput port(services);
    OpenDraining(port);
    EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.Open(); }), "Open while device was open");
    EXPECT_EQ(port.PortState(), misOpen);
    Inject({0x90, 2, 2});
    Delivered();
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(InputPort, RefusedChangesLeaveThePortAsItWas) {
    TMidiInput port(services);
    port.Open();
    EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.SetDeviceID(1); }),
              "Change to DeviceID while device was open");
    EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.SetProductName("Controller In"); }),
              "Change to ProductName while device was open");
    EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.SetSysexBufferSize(10); }),
              "Change to SysexBufferSize while device was open");
    EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.SetSysexBufferCount(1); }),
              "Change to SysexBufferCount while device was open");
    EXPECT_EQ(port.DeviceID(), 0u);
    EXPECT_EQ(port.ProductName(), "Synth In");
    EXPECT_EQ(port.SysexBufferSize(), 4096);
    EXPECT_EQ(port.SysexBufferCount(), 16);
    EXPECT_EQ(port.PortState(), misOpen);
    port.Close();

    EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.SetDeviceID(2); }), "Invalid device ID");
    EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.SetProductName("synth in"); }),
              "MIDI Input Device synth in not installed ");
    EXPECT_EQ(port.DeviceID(), 0u);
    EXPECT_EQ(port.ProductName(), "Synth In");
}

TEST_F(InputPort, NameSelectionSkipsTheMapperAndHonoursLoading) {
    TMidiInput port(services);
    port.SetProductName("Controller In");
    EXPECT_EQ(port.DeviceID(), 1u);
    port.SetLoading(true);
    port.SetProductName("Synth In");
    EXPECT_EQ(port.DeviceID(), 1u);
    port.SetLoading(false);
    // The mapper's name is the port's own now, but no numbered device has it.
    port.SetDeviceID(kMidiMapper);
    EXPECT_EQ(port.ProductName(), "MIDI Mapper");
    EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.SetProductName("MIDI Mapper"); }),
              "Invalid device ID");
}

TEST_F(InputPort, ChangeDeviceMovesAnOpenPort) {
    TMidiInput port(services);
    OpenDraining(port);
    port.ChangeDevice(0, true);
    EXPECT_TRUE(services.IsOpen("Synth In"));
    port.ChangeDevice(1, true);
    EXPECT_FALSE(services.IsOpen("Synth In"));
    EXPECT_TRUE(services.IsOpen("Controller In"));
    Inject({0x90, 3, 3}, "Controller In");
    Delivered("Controller In");
    EXPECT_EQ(received, (std::vector<Received>{{0x90, 3, 3, {}}}));
}

TEST_F(InputPort, NotificationsAndErrorTexts) {
    TMidiInput port(services);
    int fired = 0;
    port.OnMidiInput = [&](QObject*) { ++fired; };
    port.OnOverflow = [&](QObject*) { ++fired; };
    EXPECT_EQ(port.MidiInput(PortNotification::kQueryEndSession, 0, 0), 1u);
    // A closed port fires nothing, and an open one only when events wait.
    port.MidiInput(PortNotification::kEventsWaiting, 0, 0);
    port.MidiInput(PortNotification::kRingFull, 0, 0);
    port.Open();
    port.MidiInput(PortNotification::kEventsWaiting, 0, 0);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(port.MidiInErrorString(MidiResult::kBadDeviceId),
              MidiResultText(MidiResult::kBadDeviceId));
    EXPECT_EQ(port.MidiInErrorString(4242), "Specified error number is out of range");
}

// Whichever step of Close fails, the port stays open on its device, and a later Close
// and Open work as if nothing had happened.
TEST_F(InputPort, AFailedCloseKeepsThePortOpenAndALaterCloseAndOpenSucceed) {
    for (LoopbackCall call :
         {LoopbackCall::ResetInput, LoopbackCall::UnprepareInput, LoopbackCall::CloseInput}) {
        SCOPED_TRACE(static_cast<int>(call));
        received.clear();
        TMidiInput port(services);
        OpenDraining(port);
        services.FailNext(call, MidiResult::kError);
        EXPECT_EQ(ErrorOf<EMidiInputError>([&] { port.Close(); }),
                  MidiResultText(MidiResult::kError));
        EXPECT_EQ(port.PortState(), misOpen);
        EXPECT_NE(port.DeviceHandle(), 0u);

        EXPECT_NO_THROW(port.StopAndClose());
        EXPECT_EQ(port.PortState(), misClosed);
        EXPECT_FALSE(services.IsOpen("Synth In"));
        OpenDraining(port);
        Inject(Sysex(6, 1));
        Inject({0xB0, 4, 5});
        Delivered();
        EXPECT_EQ(received, (std::vector<Received>{{0xF0, 0, 0, Sysex(6, 1)}, {0xB0, 4, 5, {}}}));
    }
}

// A SysEx buffer the platform will not take back is reported; the block it held, and
// everything after it, is still handed out once each.
TEST_F(InputPort, ABufferThatCannotBeLentBackLosesNoEvent) {
    for (LoopbackCall call : {LoopbackCall::PrepareInput, LoopbackCall::AddInput}) {
        SCOPED_TRACE(static_cast<int>(call));
        received.clear();
        std::vector<std::string> errors;
        TMidiInput port(services);
        port.SetSysexBufferSize(16);
        port.SetSysexBufferCount(2);
        port.OnError = [&](QObject*, const std::exception_ptr& error) {
            errors.push_back(MessageOf<EMidiInputError>(error));
        };
        OpenDraining(port);
        services.FailNext(call, MidiResult::kNoMemory);
        Inject(Sysex(8, 1));
        Inject({0xB0, 1, 2});
        Inject(Sysex(8, 2));
        Delivered();
        EXPECT_EQ(received,
                  (std::vector<Received>{
                      {0xF0, 0, 0, Sysex(8, 1)}, {0xB0, 1, 2, {}}, {0xF0, 0, 0, Sysex(8, 2)}}));
        EXPECT_EQ(errors, std::vector<std::string>{MidiResultText(MidiResult::kNoMemory)});
    }
}
} // namespace

namespace {

// A handler that fails on one event: the error reaches OnError through the real event
// loop, and the events after it are still handed out, in order.
TEST_F(InputPort, AHandlerErrorReachesOnErrorAndLaterEventsFollow) {
    TMidiInput port(services);
    std::vector<std::string> errors;
    port.OnError = [&](QObject* sender, const std::exception_ptr& error) {
        EXPECT_EQ(sender, &port);
        errors.push_back(MessageOf(error));
    };
    port.OnMidiInput = [&](QObject*) {
        while (port.GetEventCount() > 0) {
            auto event = port.GetMidiEvent();
            received.push_back({event->StatusByte, event->DataByte1, event->DataByte2, {}});
            if (event->DataByte1 == 2)
                throw std::runtime_error("cannot apply controller 2");
        }
    };
    port.OpenAndStart();
    for (uint8_t controller = 1; controller <= 4; ++controller)
        Inject({0xB0, controller, 0x40});
    services.WaitDelivered("Synth In");
    EXPECT_TRUE(RunUntil([&] { return received.size() == 4; }));
    EXPECT_EQ(errors, std::vector<std::string>{"cannot apply controller 2"});
    for (uint8_t i = 0; i < received.size(); ++i)
        EXPECT_EQ(received[i].data1, i + 1);
    port.StopAndClose();
}

} // namespace
