#include "midi/midi_output.h"
#include "platform/loopback/loopback_midi_services.h"

#include "midi_test_support.h"
#include "support/error_of.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

class OutputPort : public testing::Test {
protected:
    OutputPort() {
        services.AddOutputDevice("Synth Out");
        services.AddOutputDevice("Controller Out", MidiTechnology::kSynth,
                                 MidiSupport::kVolume | MidiSupport::kCaching);
    }
    std::vector<Bytes> Sent(const std::string& name) {
        std::vector<Bytes> bytes;
        for (auto& message : services.Sent(name))
            bytes.push_back(message.bytes);
        return bytes;
    }

    LoopbackMidiServices services;
};

TEST_F(OutputPort, ErrorTextsByContextAndCode) {
    TMidiOutput port(services);
    struct Case {
        TMIDIErrorContext context;
        uint32_t code;
        std::string text;
    };
    const Case cases[] = {
        {ecCaching, 5, "(Caching) The specified device handle is invalid."},
        {ecCaching, 7,
         "(Caching) The device does not have enough memory to cache all of the requested "
         "patches."},
        {ecCaching, 8, "(Caching) The specified device does not support patch caching."},
        {ecCaching, 10, "(Caching) The flag specified by wFlags is invalid."},
        {ecCaching, 11, "(Caching) The array pointed to by lpPatchArray is invalid."},
        {ecPutShort, 5, "(Short Msg) The specified device handle is invalid."},
        {ecPutShort, 67, "(Short Msg) The hardware is busy with other data."},
        {ecPutShort, 70,
         "(Short Msg) The application sent a message without a status byte to a stream "
         "handle."},
        {ecPutLong, 5, "(Long Msg) The specified device handle is invalid."},
        {ecPutLong, 11, "(Long Msg) The specified pointer or structure is invalid."},
        {ecPutLong, 64, "(Long Msg) The buffer pointed to by lpMidiOutHdr has not been prepared."},
        {ecPutLong, 67, "(Long Msg) The hardware is busy with other data."},
        {ecOutPrepareHeader, 5, "(Prep Header) The specified device handle is invalid."},
        {ecOutPrepareHeader, 7, "(Prep Header) The system is unable to allocate or lock memory."},
        {ecOutPrepareHeader, 11,
         "(Prep Header) The specified address is invalid or the given stream buffer is greater "
         "than 64K."},
        // Without an entry of its own a code gets the platform's text...
        {ecGeneric, 5, MidiResultText(5)},
        {ecPutShort, 11, MidiResultText(11)},
        {ecCaching, 67, MidiResultText(67)},
        // ...and a code the platform does not know gets the out-of-range text.
        {ecGeneric, 999, "Specified error number is out of range"},
        {ecPutLong, 12, "Specified error number is out of range"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(port.MidiOutErrorString(c.code, c.context), c.text)
            << int(c.context) << "/" << c.code;
}

TEST_F(OutputPort, ConstructedClosedWithNoDeviceChosen) {
    TMidiOutput port(services);
    EXPECT_EQ(port.PortState(), mosClosed);
    EXPECT_EQ(port.DeviceID(), 0u);
    EXPECT_EQ(port.ProductName(), "");
    EXPECT_EQ(port.NumDevs(), 2);
}

TEST_F(OutputPort, SendsShortMessagesWithTheLengthOfTheirStatus) {
    TMidiOutput port(services);
    port.SetDeviceID(0);
    ASSERT_TRUE(port.Open());
    port.ControllerChange(0x11, 37, 40); // the channel is taken modulo 16
    port.ProgramChange(2, 5);
    port.NoteOn(0, 60, 100);
    port.NoteOff(0, 60, 0);
    port.NoteAftertouch(3, 61, 7);
    port.ChannelAftertouch(4, 9);
    port.ChangeInstrument(5, TGMInstrumentPatch{81});
    port.PutShort(0xF8, 0, 0);
    port.PutShort(0xF2, 0x10, 0x20);
    EXPECT_EQ(Sent("Synth Out"), (std::vector<Bytes>{{0xB1, 37, 40},
                                                     {0xC2, 5},
                                                     {0x90, 60, 100},
                                                     {0x80, 60, 0},
                                                     {0xA3, 61, 7},
                                                     {0xD4, 9},
                                                     {0xC5, 81},
                                                     {0xF8},
                                                     {0xF2, 0x10, 0x20}}));
}

TEST_F(OutputPort, PutLongCopiesAtOnceAndFreesItsCopyWhenReportedDone) {
    TMidiOutput port(services);
    port.SetDeviceID(0);
    ASSERT_TRUE(port.Open());
    int done = 0;
    port.OnMidiOutput = [&](QObject* sender) {
        EXPECT_EQ(sender, &port);
        ++done;
    };
    {
        uint8_t message[6] = {0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7};
        port.PutLong(message, sizeof message);
        std::fill(std::begin(message), std::end(message), 0);
    }
    port.PutLong(Bytes{0xF0, 0x7D, 0xF7}.data(), 3);
    EXPECT_EQ(port.LongMessagesInFlight(), 2u);
    EXPECT_TRUE(RunUntil([&] { return done == 2; }));
    EXPECT_EQ(port.LongMessagesInFlight(), 0u);
    EXPECT_EQ(Sent("Synth Out"),
              (std::vector<Bytes>{{0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7}, {0xF0, 0x7D, 0xF7}}));
}

TEST_F(OutputPort, EmptyLongMessageSendsNothingAndRaisesNothing) {
    TMidiOutput port(services);
    port.SetDeviceID(0);
    ASSERT_TRUE(port.Open());
    uint8_t none = 0;
    EXPECT_NO_THROW(port.PutLong(&none, 0));
    EXPECT_TRUE(Sent("Synth Out").empty());
    EXPECT_EQ(port.LongMessagesInFlight(), 0u);
}

TEST_F(OutputPort, ClosedPortRaisesAndSendsNothing) {
    TMidiOutput port(services);
    port.SetDeviceID(0);
    uint8_t bytes[3] = {0xF0, 0x01, 0xF7};
    TMyMidiEvent event;
    event.StatusByte = 0x90;
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.PutShort(0x90, 60, 1); }),
              "(Short Msg) Device not opened.");
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.ControllerChange(0, 1, 2); }),
              "(Short Msg) Device not opened.");
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.PutLong(bytes, 3); }),
              "(Long Msg) Device not opened.");
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.PutMidiEvent(event); }),
              "MIDI Output device not open");
    EXPECT_TRUE(Sent("Synth Out").empty());
}

TEST_F(OutputPort, PutMidiEventSendsSysexLongAndTheRestShort) {
    TMidiOutput port(services);
    port.SetDeviceID(1);
    ASSERT_TRUE(port.Open());
    TMyMidiEvent shortEvent;
    shortEvent.StatusByte = 0xB0;
    shortEvent.DataByte1 = 7;
    shortEvent.DataByte2 = 99;
    TMyMidiEvent sysex;
    sysex.StatusByte = 0xF0;
    sysex.SysexSize = 3;
    sysex.SysexData.reset(new uint8_t[3]{0xF0, 0x11, 0xF7});
    port.PutMidiEvent(shortEvent);
    port.PutMidiEvent(sysex);
    EXPECT_EQ(Sent("Controller Out"), (std::vector<Bytes>{{0xB0, 7, 99}, {0xF0, 0x11, 0xF7}}));
}

TEST_F(OutputPort, PlatformFailuresRaiseTheirContextText) {
    TMidiOutput port(services);
    port.SetDeviceID(0);
    ASSERT_TRUE(port.Open());
    uint8_t bytes[2] = {0xF0, 0xF7};
    services.FailNext(LoopbackCall::SendShort, 67);
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.PutShort(0x90, 1, 1); }),
              "(Short Msg) The hardware is busy with other data.");
    EXPECT_EQ(port.Error(), 67u);
    services.FailNext(LoopbackCall::PrepareOutput, 7);
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.PutLong(bytes, 2); }),
              "(Prep Header) The system is unable to allocate or lock memory.");
    services.FailNext(LoopbackCall::SendLong, 64);
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.PutLong(bytes, 2); }),
              "(Long Msg) The buffer pointed to by lpMidiOutHdr has not been prepared.");
    EXPECT_EQ(port.LongMessagesInFlight(), 0u);
    EXPECT_TRUE(Sent("Synth Out").empty());
}

TEST_F(OutputPort, FailedOpenReturnsFalseAndStaysClosed) {
    TMidiOutput port(services);
    port.SetDeviceID(0);
    services.FailNext(LoopbackCall::OpenOutput, MidiResult::kAllocated);
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.PortState(), mosClosed);
    EXPECT_EQ(port.Error(), MidiResult::kAllocated);
    EXPECT_TRUE(port.Open());
}

TEST_F(OutputPort, OpenOnAnOpenPortIsRefusedAndKeepsTheDevice) {
    TMidiOutput port(services);
    port.SetDeviceID(0);
    ASSERT_TRUE(port.Open());
    const MidiHandle handle = port.DeviceHandle();
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.Open(); }), "Open while device was open");
    EXPECT_EQ(port.DeviceHandle(), handle);
    port.PutShort(0xFE, 0, 0);
    EXPECT_EQ(Sent("Synth Out").size(), 1u);
}

TEST_F(OutputPort, CloseReportsWhetherItClosedAndKeepsAFailedDeviceOpen) {
    TMidiOutput port(services);
    port.SetDeviceID(0);
    EXPECT_FALSE(port.Close());
    ASSERT_TRUE(port.Open());
    services.FailNext(LoopbackCall::CloseOutput, MidiResult::kNotReady);
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.Close(); }),
              MidiResultText(MidiResult::kNotReady));
    EXPECT_EQ(port.PortState(), mosOpen);
    EXPECT_NE(port.DeviceHandle(), 0u);
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(port.PortState(), mosClosed);
    EXPECT_FALSE(services.IsOpen("Synth Out"));
}

TEST_F(OutputPort, DeviceIdAndNameSelection) {
    TMidiOutput port(services);
    int changed = 0;
    port.OnDeviceChanged = [&](QObject*) { ++changed; };
    port.SetDeviceID(1);
    EXPECT_EQ(port.ProductName(), "Controller Out");
    EXPECT_EQ(port.Technology(), opt_Synth);
    port.SetDeviceID(kMidiMapper);
    EXPECT_EQ(port.ProductName(), "MIDI Mapper");
    EXPECT_EQ(port.Technology(), opt_Mapper);
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.SetDeviceID(2); }), "Invalid device ID");
    EXPECT_EQ(port.DeviceID(), kMidiMapper);
    port.SetProductName("Controller Out");
    EXPECT_EQ(port.DeviceID(), 1u);
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.SetProductName("controller out"); }),
              "MIDI output Device controller out not installed");
    EXPECT_EQ(port.ProductName(), "Controller Out");
    port.SetTechnology(opt_Synth);
    EXPECT_EQ(port.DeviceID(), 1u);
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.SetTechnology(opt_FMSynth); }),
              "MIDI output technology FM Synth not installed");
    EXPECT_EQ(changed, 4);
}

TEST_F(OutputPort, NameSearchAsksTheMapperFirst) {
    TMidiOutput port(services);
    port.SetProductName("MIDI Mapper");
    EXPECT_EQ(port.DeviceID(), kMidiMapper);
    services.FailNext(LoopbackCall::OutputCaps, MidiResult::kNoMemory);
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.SetProductName("Synth Out"); }),
              MidiResultText(MidiResult::kNoMemory));
}

TEST_F(OutputPort, RefusedChangesOnAnOpenPortLeaveItAsItWas) {
    TMidiOutput port(services);
    port.SetDeviceID(0);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.SetDeviceID(1); }),
              "Change to DeviceID while device was open");
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.SetProductName("Controller Out"); }),
              "Change to ProductName while device was open");
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { port.SetTechnology(opt_Synth); }),
              "Change to Product Technology while device was open");
    EXPECT_EQ(port.DeviceID(), 0u);
    EXPECT_EQ(port.ProductName(), "Synth Out");
    EXPECT_EQ(port.Technology(), opt_MidiPort);
    EXPECT_EQ(port.PortState(), mosOpen);
}

TEST_F(OutputPort, LoadingIgnoresTheProductName) {
    TMidiOutput port(services);
    port.SetLoading(true);
    port.SetProductName("Controller Out");
    EXPECT_EQ(port.ProductName(), "");
    port.SetLoading(false);
}

TEST_F(OutputPort, ChangeDeviceClosesSwitchesAndReopens) {
    TMidiOutput port(services);
    port.SetDeviceID(0);
    ASSERT_TRUE(port.Open());
    EXPECT_TRUE(port.ChangeDevice(1, true));
    EXPECT_FALSE(services.IsOpen("Synth Out"));
    EXPECT_TRUE(services.IsOpen("Controller Out"));
    EXPECT_FALSE(port.ChangeDevice(0, false));
    EXPECT_EQ(port.PortState(), mosClosed);
    EXPECT_EQ(port.DeviceID(), 0u);
}

TEST_F(OutputPort, FeaturesVolumeAndCachingFollowTheDevice) {
    TMidiOutput plain(services);
    plain.SetDeviceID(0);
    EXPECT_EQ(plain.GetFeaturesAsSet(), TFeatureSet{});
    EXPECT_EQ(ErrorOf<EMidiOutputError>([&] { plain.GetVolume(); }),
              MidiResultText(MidiResult::kNotSupported));
    ASSERT_TRUE(plain.Open());
    TPatchArray patches{};
    EXPECT_FALSE(plain.CachePatches(0, patches, 0));
    EXPECT_EQ(plain.Error(), MidiResult::kNotSupported);
    EXPECT_EQ(plain.DriverMidiMessage(0x800, 0, 0), MidiResult::kNotSupported);

    TMidiOutput synth(services);
    synth.SetDeviceID(1);
    EXPECT_EQ(synth.GetFeaturesAsSet(), (TFeatureSet{ftVolume, ftCaching}));
    EXPECT_TRUE(synth.GetSupportsVolControl());
    EXPECT_FALSE(synth.GetSupportsLRVolCtrl());
    // Without stereo volume the second channel follows the first both ways.
    synth.SetVolume(0x1234, 0x5678);
    uint16_t first = 0, second = 0;
    synth.GetVolume(first, second);
    EXPECT_EQ(first, 0x1234);
    EXPECT_EQ(second, 0x1234);
    ASSERT_TRUE(synth.Open());
    SetPatchChannels(patches, 5, 0x0001);
    EXPECT_TRUE(synth.CachePatches(0, patches, 0));
    EXPECT_EQ(patches[5], 0x0001);
}

TEST(MidiNames, LookupTables) {
    EXPECT_EQ(TechNameMap[opt_SQSynth], "Square Wave Synth");
    EXPECT_EQ(MIDIInstrumentToStr(TGMInstrumentPatch{0}), "Acoustic Grand Piano");
    EXPECT_EQ(MIDIInstrumentToStr(TGMInstrumentPatch{81}), "Lead 2 (sawtooth)");
    EXPECT_EQ(MIDIInstrumentToStr(TGMInstrumentPatch{127}), "Gunshot");
    EXPECT_EQ(MidiMessageToStr(0xB3), "Controller Change");
    EXPECT_EQ(MidiMessageToStr(0xF8), "Timing Clock");
    EXPECT_EQ(MidiMessageToStr(0x40), "Data Byte");
}
} // namespace
