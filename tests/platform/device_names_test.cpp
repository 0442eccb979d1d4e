#include "platform/midi_services/device_names.h"
#include "platform/midi_services/midi_services.h"
#include "platform/midi_services/rtmidi_services.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(DeviceNames, StableNamesLeaveOutAlsaNumbersOnly) {
    struct Case {
        RtMidi::Api api;
        std::string reported, stable;
    };
    const Case cases[] = {
        {RtMidi::LINUX_ALSA, "BCR2000:BCR2000 Port 1 24:0", "BCR2000:BCR2000 Port 1"},
        {RtMidi::LINUX_ALSA, "Midi Through:Midi Through Port-0 14:0",
         "Midi Through:Midi Through Port-0"},
        {RtMidi::UNIX_JACK, "acc-synth:out", "acc-synth:out"},
        {RtMidi::UNIX_JACK, "client 14:0", "client 14:0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RtMidiServices::StableName(c.api, c.reported), c.stable) << c.reported;
}

TEST(DeviceNames, NamesAreCutAndOnlyCollidingOnesGetASuffix) {
    const std::string longA = "a-very-long-jack-client-name:and-its-port-1";
    const std::string longB = "a-very-long-jack-client-name:and-its-port-2";
    const std::vector<std::string> full = {"BCR2000:out", longA, longB,
                                           "another-long-jack-client-name:its-port"};
    const std::vector<std::string> keys = {"JACK:" + full[0], "JACK:" + full[1], "JACK:" + full[2],
                                           "JACK:" + full[3]};
    const std::vector<std::string> names = UniqueDeviceNames(full, keys);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], "BCR2000:out");
    // Unique after the cut, so it keeps the plain cut name that was remembered before.
    EXPECT_EQ(names[3], "another-long-jack-client-name:i");
    for (std::size_t i : {1u, 2u}) {
        EXPECT_EQ(names[i].size(), kMaxDeviceNameLength);
        EXPECT_EQ(names[i].substr(0, 27), full[i].substr(0, 26) + "~");
    }
    EXPECT_NE(names[1], names[2]);
    // The same ports give the same names, in any order.
    const std::vector<std::string> swapped =
        UniqueDeviceNames({full[2], full[1]}, {keys[2], keys[1]});
    EXPECT_EQ(swapped, (std::vector<std::string>{names[2], names[1]}));
}

TEST(DeviceNames, TheSamePortOnTwoBackEndsAndEqualKeysStillGetUniqueNames) {
    const std::string port = "BCR2000:BCR2000 Port 1";
    const std::vector<std::string> bothApis =
        UniqueDeviceNames({port, port}, {"ALSA:" + port, "JACK:" + port});
    EXPECT_NE(bothApis[0], bothApis[1]);
    const std::vector<std::string> same = UniqueDeviceNames({port, port, port}, {"k", "k", "k"});
    EXPECT_EQ(std::set<std::string>(same.begin(), same.end()).size(), 3u);
    // A name that happens to look like a suffixed one is told apart as well.
    const std::vector<std::string> lookalike = UniqueDeviceNames(
        {"abc", "abc", UniqueDeviceNames({"abc", "abc"}, {"1", "2"})[0]}, {"1", "2", "3"});
    EXPECT_EQ(std::set<std::string>(lookalike.begin(), lookalike.end()).size(), 3u);
}

} // namespace
