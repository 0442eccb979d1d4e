// The port layer over a real JACK server (scripts/test starts one with the dummy
// driver when none runs): ports found and opened by name, names that would collide
// listed apart, short and long messages both ways, a large SysEx split over the lent
// buffers, and a burst arriving whole.
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "platform/midi_services/rtmidi_apis.h"
#include "platform/midi_services/rtmidi_services.h"

#include "midi_test_support.h"

#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

// The far end: a JACK client of the test's own with one port each way.
class FarEnd {
public:
    explicit FarEnd(const std::string& name)
        : out_(RtMidi::UNIX_JACK, name + "-tx"), in_(RtMidi::UNIX_JACK, name + "-rx") {
        out_.openVirtualPort("out");
        in_.ignoreTypes(false, false, false);
        in_.setCallback(&FarEnd::OnMessage, this);
        in_.openVirtualPort("in");
    }
    void Send(const Bytes& bytes) { out_.sendMessage(bytes.data(), bytes.size()); }
    std::vector<Bytes> Received() {
        std::lock_guard guard(lock_);
        return received_;
    }

private:
    static void OnMessage(double, std::vector<unsigned char>* message, void* self) {
        auto* far = static_cast<FarEnd*>(self);
        std::lock_guard guard(far->lock_);
        far->received_.emplace_back(message->begin(), message->end());
    }
    // Declared before the ports so they outlive them: the input's callback runs on the
    // JACK thread until its port is gone.
    std::mutex lock_;
    std::vector<Bytes> received_;
    RtMidiOut out_;
    RtMidiIn in_;
};

class JackPorts : public testing::Test {
protected:
    void SetUp() override {
        if (!JackServerRunning())
            GTEST_SKIP() << "no JACK server runs (scripts/test starts one)";
        far = std::make_unique<FarEnd>(name);
        services = std::make_unique<RtMidiServices>("qv-test-" + std::to_string(getpid()));
        input = std::make_unique<TMidiInput>(*services);
        output = std::make_unique<TMidiOutput>(*services);
        input->SetProductName(name + "-tx:out");
        output->SetProductName(name + "-rx:in");
        input->OnMidiInput = [this](QObject*) {
            while (input->GetEventCount() > 0)
                events.push_back(input->GetMidiEvent());
        };
    }

    const std::string name = "qv-far-" + std::to_string(getpid());
    std::unique_ptr<FarEnd> far;
    std::unique_ptr<RtMidiServices> services;
    std::unique_ptr<TMidiInput> input;
    std::unique_ptr<TMidiOutput> output;
    std::vector<std::unique_ptr<TMyMidiEvent>> events;
};

TEST_F(JackPorts, ControlChangeAndLargeSysexReachTheInputPort) {
    input->OpenAndStart();
    far->Send({0xB0, 37, 40});
    ASSERT_TRUE(RunUntil([&] { return events.size() == 1; }));
    EXPECT_EQ(events[0]->StatusByte, 0xB0);
    EXPECT_EQ(events[0]->DataByte1, 37);
    EXPECT_EQ(events[0]->DataByte2, 40);

    Bytes block(5000);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>(i % 0x80);
    block.front() = 0xF0;
    block.back() = 0xF7;
    far->Send(block);
    ASSERT_TRUE(RunUntil([&] { return events.size() == 3; }));
    ASSERT_EQ(events[1]->SysexSize, 4096);
    ASSERT_EQ(events[2]->SysexSize, 904);
    Bytes joined(events[1]->SysexData.get(), events[1]->SysexData.get() + 4096);
    joined.insert(joined.end(), events[2]->SysexData.get(), events[2]->SysexData.get() + 904);
    EXPECT_EQ(joined, block);
}

TEST_F(JackPorts, BurstOf2000ControlChangesArrivesCompleteAndInOrder) {
    // The far end's sender holds about a period's worth (RtMidi's JACK ring buffer), so
    // it is fed in slices of 100, one period apart: 2000 messages in some 60 ms, where a
    // cable needs 1.9 s. The port keeps its default ring of 1024.
    int overflows = 0;
    input->OnOverflow = [&](QObject*) { ++overflows; };
    input->OpenAndStart();
    // Sent from a thread of its own, as the instrument would, while the main thread
    // drains.
    std::thread sender([this] {
        for (int i = 0; i < 2000; ++i) {
            far->Send({static_cast<uint8_t>(0xB0 | (i >> 7) % 16), static_cast<uint8_t>(i & 0x7F),
                       static_cast<uint8_t>((i >> 4) & 0x7F)});
            if (i % 100 == 99)
                std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });
    const bool arrived = RunUntil([&] { return events.size() >= 2000; }, std::chrono::seconds(10));
    sender.join();
    ASSERT_TRUE(arrived) << events.size();
    EXPECT_EQ(overflows, 0);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ(events[i]->StatusByte, 0xB0 | (i >> 7) % 16) << i;
        ASSERT_EQ(events[i]->DataByte1, i & 0x7F) << i;
        ASSERT_EQ(events[i]->DataByte2, (i >> 4) & 0x7F) << i;
    }
}

TEST_F(JackPorts, OutputPortSendsShortAndLongMessages) {
    ASSERT_TRUE(output->Open());
    int done = 0;
    output->OnMidiOutput = [&](QObject*) { ++done; };
    output->ControllerChange(0, 37, 40);
    const Bytes request = {0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7};
    output->PutLong(request.data(), static_cast<uint16_t>(request.size()));
    ASSERT_TRUE(RunUntil([&] { return far->Received().size() == 2 && done == 1; }));
    EXPECT_EQ(far->Received(), (std::vector<Bytes>{{0xB0, 37, 40}, request}));
    EXPECT_EQ(output->LongMessagesInFlight(), 0u);
}

TEST_F(JackPorts, DeviceNamesAreListedAndOpenedByName) {
    EXPECT_EQ(input->ProductName(), name + "-tx:out");
    EXPECT_EQ(output->ProductName(), name + "-rx:in");
    // The numbering shifts when another client appears; the name still finds the port.
    FarEnd another("qv-other-" + std::to_string(getpid()));
    input->OpenAndStart();
    far->Send({0x90, 60, 1});
    ASSERT_TRUE(RunUntil([&] { return events.size() == 1; }));
    EXPECT_EQ(events[0]->StatusByte, 0x90);
}

// Two ports whose names differ only after the name limit: listed under two names, the
// same on every listing, and each name opens its own port.
TEST_F(JackPorts, NamesThatDifferOnlyPastTheLimitAreListedApartAndOpenTheirOwnPort) {
    const std::string common = "qv-a-rather-long-client-name-" + std::to_string(getpid()) + "-";
    ASSERT_GT(common.size(), kMaxDeviceNameLength);
    RtMidiOut first(RtMidi::UNIX_JACK, common + "1");
    RtMidiOut second(RtMidi::UNIX_JACK, common + "2");
    first.openVirtualPort("out");
    second.openVirtualPort("out");

    auto namesOf = [&](RtMidiServices& listing) {
        std::map<std::string, std::string> names; // full name -> listed name
        for (const RtMidiServices::ListedDevice& device : listing.ListedInputs())
            if (device.fullName.rfind(common, 0) == 0)
                names[device.fullName] = device.name;
        return names;
    };
    input->DeviceCount();
    const std::map<std::string, std::string> names = namesOf(*services);
    ASSERT_EQ(names.size(), 2u);
    const std::string firstName = names.at(common + "1:out");
    const std::string secondName = names.at(common + "2:out");
    EXPECT_NE(firstName, secondName);
    EXPECT_LE(firstName.size(), kMaxDeviceNameLength);
    EXPECT_LE(secondName.size(), kMaxDeviceNameLength);
    RtMidiServices again("qv-again-" + std::to_string(getpid()));
    EXPECT_EQ(namesOf(again), names);

    for (const auto& [name, sender, other] :
         {std::tuple{firstName, &first, &second}, std::tuple{secondName, &second, &first}}) {
        SCOPED_TRACE(name);
        events.clear();
        input->SetProductName(name);
        input->OpenAndStart();
        const std::vector<unsigned char> fromOther = {0x90, 1, 1}, fromSender = {0x90, 2, 2};
        other->sendMessage(&fromOther);
        sender->sendMessage(&fromSender);
        ASSERT_TRUE(RunUntil([&] { return !events.empty(); }));
        Settle();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0]->DataByte1, 2);
        input->StopAndClose();
    }
}
} // namespace
