// The patch road: from a 32-byte dump handed to the synthesizer's input port to the
// 35th feedback control change handed to the controller's output, with every label and
// both envelope graphs updated on the way. Its floor is the 35 pauses of 1 ms that space
// the feedback; the same run also measures what 35 such pauses take on this machine.
#include "app/tf_midi.h"
#include "platform/loopback/loopback_midi_services.h"
#include "platform/shell/dialogs.h"
#include "sim/dw6000_sim.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;
constexpr int kWarmUp = 10;
constexpr int kDecodes = 250;
constexpr double kFloorMs = 35.0;

// A decode of a whole dump shows no dialog; any that did would be a fault worth seeing.
class CountingDialogs : public Dialogs {
public:
    int shown = 0;
    DialogAnswer MessageDlg(const QString&, DialogType, DialogButtons) override {
        ++shown;
        return DialogAnswer::Ok;
    }
    void ShowMessage(const QString&) override { ++shown; }
    void ShowErrorBox(const QString&) override { ++shown; }
};

std::vector<uint8_t> Dump(const Dw6000Patch& patch) {
    std::vector<uint8_t> block(32);
    const uint8_t header[] = {0xF0, 0x42, 0x30, 0x04, 0x40};
    std::copy(std::begin(header), std::end(header), block.begin());
    std::copy(patch.begin(), patch.end(), block.begin() + 5);
    block[31] = 0xF7;
    return block;
}

// Processor time the calling thread has used: the work of a decode without its pauses.
double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Summary {
    double p50, p99, max;
};
Summary Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::size_t(q * double(ms.size() - 1) + 0.5)]; };
    return {at(0.50), at(0.99), ms.back()};
}

void Print(const char* what, const Summary& s) {
    std::printf("%-28s p50 %6.2f ms (%.3f x floor)  p99 %6.2f ms (%.3f x floor)  max %6.2f ms "
                "(%.3f x floor)\n",
                what, s.p50, s.p50 / kFloorMs, s.p99, s.p99 / kFloorMs, s.max, s.max / kFloorMs);
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    CountingDialogs dialogs;
    LoopbackMidiServices midi;
    midi.AddInputDevice("DW In");
    midi.AddInputDevice("BCR In");
    midi.AddOutputDevice("DW Out");
    midi.AddOutputDevice("BCR Out");
    QFile ini(
        QDir(folder.path()).filePath(IniFileNameFor(QCoreApplication::applicationFilePath())));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[MidiDevices]\nInput=DW In\nOutput=DW Out\nCtrlInput=BCR In\nCtrlOutput=BCR Out\n");
    ini.close();

    TfMidi window(TfMidiServices{dialogs, midi, folder.path(), folder.path()});
    window.show();
    QCoreApplication::processEvents();

    // Every decode a different program, so every label and picture has something to do.
    const Dw6000Sim synth;
    std::vector<double> road;
    double cpuMs = 0;
    for (int i = 0; i < kWarmUp + kDecodes; ++i) {
        const std::vector<uint8_t> dump = Dump(synth.Program(i % Dw6000Sim::kProgramCount));
        midi.ClearSent("BCR Out");
        const double cpuBefore = ThreadCpuMs();
        const Clock::time_point handed = Clock::now();
        midi.Inject("DW In", dump);
        std::vector<LoopbackMidiServices::SentMessage> sent;
        while ((sent = midi.Sent("BCR Out")).size() < std::size_t(kParamCount))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (i >= kWarmUp) {
            road.push_back(Ms(sent.back().time - handed).count());
            cpuMs += ThreadCpuMs() - cpuBefore;
        }
    }

    // What the pauses alone cost here: 35 sleeps of 1 ms, back to back.
    std::vector<double> pauses;
    for (int i = 0; i < kDecodes; ++i) {
        const Clock::time_point start = Clock::now();
        for (int row = 0; row < kParamCount; ++row)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        pauses.push_back(Ms(Clock::now() - start).count());
    }

    std::printf("patch road over the loopback service, %d decodes, floor %.0f ms\n", kDecodes,
                kFloorMs);
    Print("dump in -> 35th feedback out", Summarise(road));
    Print("35 pauses of 1 ms alone", Summarise(pauses));
    std::printf("main thread's processor time per decode: %.2f ms\n", cpuMs / kDecodes);
    if (dialogs.shown != 0)
        std::printf("unexpected: %d dialogs shown\n", dialogs.shown);
    return 0;
}
