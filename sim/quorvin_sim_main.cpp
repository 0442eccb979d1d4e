// quorvin-sim: a simulated DW-6000 and BCR2000 on virtual MIDI ports, driven from the
// terminal or from a script on standard input.
//
// Threads: RtMidi calls the input callbacks on its own thread; the main thread reads
// commands. One mutex guards both instruments, their output ports and the terminal.
#include "platform/midi_services/rtmidi_apis.h"
#include "sim/bcr2000_sim.h"
#include "sim/dw6000_sim.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
const char* const kHelpText = R"(Usage: quorvin-sim [options]

A simulated Korg DW-6000 and Behringer BCR2000 on virtual MIDI ports. It prints what
each instrument receives and takes commands on standard input; it stops at the end of
its input, on "quit", Ctrl-C or SIGTERM.

Options:
  --channel N        DW-6000 receive channel, 1-16 (default 1)
  --strict           DW-6000 SysEx must carry its channel (default)
  --loose            DW-6000 takes SysEx for any channel
  --write-protect    DW-6000 WRITE switch on DISABLE: write requests fail
  --device-id N      BCR2000 device id, 1-16 (default 1)
  --api jack|alsa    MIDI system (default: JACK when a server runs, else ALSA)
  --name NAME        client name prefix (default quorvin-sim)
  --no-input         do not read commands; run until SIGINT or SIGTERM
  --help             this text

Commands:
  turn E D           turn BCR2000 encoder E (1-56) by D detents (negative: left)
  press B            press BCR2000 button B (1-64)
  release B          release it
  click B            press and release
  program P          choose program P (11-88) on the DW-6000 panel
  protect on|off     set the DW-6000 write protection
  show [dw|bcr]      show the state of both instruments or one
  help               this list
  quit               stop
)";

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

struct Options {
    Dw6000Settings synth;
    int deviceId = 1;
    std::optional<RtMidi::Api> api;
    std::string name = "quorvin-sim";
    bool readInput = true;
};

int ParseNumber(const std::string& option, const std::string& text, int low, int high) {
    size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || used == 0 || value < low || value > high)
        throw std::invalid_argument(option + " takes a number from " + std::to_string(low) +
                                    " to " + std::to_string(high) + ", not \"" + text + "\"");
    return value;
}

// Options as --name value or --name=value. Throws with the message for the user.
std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        std::optional<std::string> value;
        if (const size_t equals = option.find('='); equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        const auto argument = [&]() {
            if (value)
                return *value;
            if (i + 1 >= argc)
                throw std::invalid_argument(option + " needs a value");
            return std::string(argv[++i]);
        };
        if (option == "--help") {
            std::fputs(kHelpText, stdout);
            return std::nullopt;
        } else if (option == "--channel") {
            options.synth.channel = ParseNumber(option, argument(), 1, 16);
        } else if (option == "--strict" && !value) {
            options.synth.strictChannel = true;
        } else if (option == "--loose" && !value) {
            options.synth.strictChannel = false;
        } else if (option == "--write-protect" && !value) {
            options.synth.writeProtected = true;
        } else if (option == "--device-id") {
            options.deviceId = ParseNumber(option, argument(), 1, 16);
        } else if (option == "--api") {
            const std::string api = argument();
            if (api == "jack")
                options.api = RtMidi::UNIX_JACK;
            else if (api == "alsa")
                options.api = RtMidi::LINUX_ALSA;
            else
                throw std::invalid_argument("--api takes jack or alsa, not \"" + api + "\"");
        } else if (option == "--name") {
            options.name = argument();
            if (options.name.empty() || options.name.find(':') != std::string::npos)
                throw std::invalid_argument("--name needs a name without ':'");
        } else if (option == "--no-input" && !value) {
            options.readInput = false;
        } else {
            throw std::invalid_argument("unknown option " + std::string(argv[i]) + " (see --help)");
        }
    }
    return options;
}

RtMidi::Api ChooseApi(const Options& options) {
    const std::vector<RtMidi::Api> usable = AvailableMidiApis();
    const auto has = [&](RtMidi::Api api) {
        return std::find(usable.begin(), usable.end(), api) != usable.end();
    };
    if (options.api == RtMidi::UNIX_JACK && !has(RtMidi::UNIX_JACK))
        throw std::runtime_error("no JACK server is running (start one: jackd -d dummy)");
    if (options.api == RtMidi::LINUX_ALSA && !has(RtMidi::LINUX_ALSA))
        throw std::runtime_error("the ALSA sequencer (/dev/snd/seq) cannot be opened");
    if (options.api)
        return *options.api;
    if (has(RtMidi::UNIX_JACK))
        return RtMidi::UNIX_JACK;
    if (has(RtMidi::LINUX_ALSA))
        return RtMidi::LINUX_ALSA;
    throw std::runtime_error("no MIDI system: start a JACK server (jackd -d dummy) or load "
                             "the ALSA sequencer");
}

class Simulator {
public:
    Simulator(const Options& options, RtMidi::Api api_)
        : api(api_), synth(options.synth), controller(options.deviceId) {
        const std::string base = options.name;
        RefuseTakenName(base);
        // Outputs first: an input's callback may come as soon as it is open.
        synthOut = OpenOut(base + "-dw-out", "DW-6000 out");
        controllerOut = OpenOut(base + "-bcr-out", "BCR2000 out");
        synthIn = OpenIn(base + "-dw-in", "DW-6000 in", &Simulator::OnSynthInput);
        controllerIn = OpenIn(base + "-bcr-in", "BCR2000 in", &Simulator::OnControllerInput);
    }

    // "DW-6000 in: quorvin-sim-dw-in:DW-6000 in", one line per port, with the name RtMidi
    // lists under JACK (client:port); under ALSA it appends the client and port numbers.
    std::vector<std::string> PortLines() const {
        std::vector<std::string> lines;
        for (const char* port : {"DW-6000 in", "DW-6000 out", "BCR2000 in", "BCR2000 out"})
            lines.push_back(std::string(port) + ": " + listedNames.at(port));
        return lines;
    }

    // One command line; false when it asks to stop.
    bool Command(const std::string& line) {
        std::istringstream words(line);
        std::string command;
        if (!(words >> command) || command[0] == '#')
            return true;
        std::vector<std::string> args;
        for (std::string word; words >> word;)
            args.push_back(word);
        const auto count = [&](size_t n) {
            if (args.size() != n)
                throw std::invalid_argument(command + " takes " + std::to_string(n) + " argument" +
                                            (n == 1 ? "" : "s") + " (see help)");
        };
        std::lock_guard lock(mutex);
        if (command == "quit" || command == "exit") {
            return false;
        } else if (command == "help") {
            const char* commands = std::strstr(kHelpText, "Commands:");
            std::fputs(commands, stdout);
        } else if (command == "turn") {
            count(2);
            const int encoder = ParseNumber("encoder", args[0], 1, Bcr2000Sim::kEncoderCount);
            const int detents = ParseNumber("detents", args[1], -9600, 9600);
            SendControls("encoder " + args[0], controller.Turn(encoder, detents));
        } else if (command == "press" || command == "release" || command == "click") {
            count(1);
            const int button = ParseNumber("button", args[0], 1, Bcr2000Sim::kButtonCount);
            if (command != "release")
                SendControls("button " + args[0] + " pressed", controller.Press(button));
            if (command != "press")
                SendControls("button " + args[0] + " released", controller.Release(button));
        } else if (command == "program") {
            count(1);
            const int program = Dw6000ProgramFromName(args[0]);
            if (program < 0)
                throw std::invalid_argument("programs are 11 to 88 (bank 1-8, number 1-8)");
            for (const MidiMessage& message : synth.SelectProgram(program))
                Send(*synthOut, message);
            Print("DW-6000: program " + args[0] + " chosen on the panel, program change " +
                  std::to_string(program) + " sent");
        } else if (command == "protect") {
            count(1);
            if (args[0] != "on" && args[0] != "off")
                throw std::invalid_argument("protect takes on or off");
            synth.SetWriteProtected(args[0] == "on");
            Print(std::string("DW-6000: write protection ") + args[0]);
        } else if (command == "show") {
            if (args.size() > 1 || (args.size() == 1 && args[0] != "dw" && args[0] != "bcr"))
                throw std::invalid_argument("show takes nothing, dw or bcr");
            if (args.empty() || args[0] == "dw")
                ShowSynth();
            if (args.empty() || args[0] == "bcr")
                for (const std::string& text : controller.DescribeControls())
                    Print("BCR2000: " + text);
        } else {
            throw std::invalid_argument("unknown command \"" + command + "\" (see help)");
        }
        return true;
    }

private:
    using Callback = void (*)(double, std::vector<unsigned char>*, void*);

    void RefuseTakenName(const std::string& base) {
        RtMidiIn sources(api, base + "-probe");
        RtMidiOut destinations(api, base + "-probe");
        const auto taken = [&](RtMidi& lister) {
            for (unsigned k = 0; k < lister.getPortCount(); ++k)
                if (lister.getPortName(k).rfind(base + "-", 0) == 0 &&
                    lister.getPortName(k).find("-probe") == std::string::npos)
                    return true;
            return false;
        };
        if (api == RtMidi::UNIX_JACK && (taken(sources) || taken(destinations)))
            throw std::runtime_error("another quorvin-sim named \"" + base +
                                     "\" is running; choose another name with --name");
    }

    void Listed(const std::string& client, const std::string& port) {
        listedNames[port] = client + ":" + port;
    }

    std::unique_ptr<RtMidiOut> OpenOut(const std::string& client, const std::string& port) {
        auto out = std::make_unique<RtMidiOut>(api, client);
        out->openVirtualPort(port);
        Listed(client, port);
        return out;
    }

    std::unique_ptr<RtMidiIn> OpenIn(const std::string& client, const std::string& port,
                                     Callback callback) {
        auto in = std::make_unique<RtMidiIn>(api, client);
        in->ignoreTypes(false, true, true); // SysEx in; clock and active sensing out
        in->setCallback(callback, this);
        in->openVirtualPort(port);
        Listed(client, port);
        return in;
    }

    static void OnSynthInput(double, std::vector<unsigned char>* bytes, void* self) {
        auto* sim = static_cast<Simulator*>(self);
        std::lock_guard lock(sim->mutex);
        const MidiMessages replies = sim->synth.Receive(bytes->data(), bytes->size());
        for (const std::string& line : sim->synth.TakeLog())
            sim->Print("DW-6000: " + line);
        for (const MidiMessage& reply : replies)
            sim->Send(*sim->synthOut, reply);
    }

    static void OnControllerInput(double, std::vector<unsigned char>* bytes, void* self) {
        auto* sim = static_cast<Simulator*>(self);
        std::lock_guard lock(sim->mutex);
        const MidiMessages replies = sim->controller.Receive(bytes->data(), bytes->size());
        for (const std::string& line : sim->controller.TakeLog())
            sim->Print("BCR2000: " + line);
        for (const MidiMessage& reply : replies)
            sim->Send(*sim->controllerOut, reply);
    }

    // Called with the mutex held. A failed send is reported, never thrown into RtMidi.
    void Send(RtMidiOut& out, const MidiMessage& message) {
        try {
            out.sendMessage(message.data(), message.size());
        } catch (const RtMidiError& error) {
            std::fprintf(stderr, "quorvin-sim: sending %s failed: %s\n", HexBytes(message).c_str(),
                         error.getMessage().c_str());
        }
    }

    void SendControls(const std::string& what, const MidiMessages& messages) {
        if (messages.empty()) {
            Print("BCR2000: " + what + ": nothing sent");
            return;
        }
        for (const MidiMessage& message : messages) {
            Send(*controllerOut, message);
            Print("BCR2000: " + what + " \u2192 CC " + std::to_string(message[1]) + " = " +
                  std::to_string(message[2]) + " on channel " +
                  std::to_string((message[0] & 0x0F) + 1));
        }
    }

    void ShowSynth() {
        const Dw6000Settings& s = synth.Settings();
        Print("DW-6000: program " + Dw6000ProgramName(synth.CurrentProgram()) + ", channel " +
              std::to_string(s.channel) + (s.strictChannel ? ", strict" : ", loose") +
              " channel matching, write " + (s.writeProtected ? "protected" : "enabled"));
        for (const std::string& text : synth.DescribeEditBuffer())
            Print("DW-6000: " + text);
    }

    void Print(const std::string& line) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
    }

    RtMidi::Api api;
    std::map<std::string, std::string> listedNames;
    std::mutex mutex;
    Dw6000Sim synth;
    Bcr2000Sim controller;
    // Outputs before inputs: the inputs close first, so no callback sends into a
    // closed port.
    std::unique_ptr<RtMidiOut> synthOut;
    std::unique_ptr<RtMidiOut> controllerOut;
    std::unique_ptr<RtMidiIn> synthIn;
    std::unique_ptr<RtMidiIn> controllerIn;
};

// Runs commands from standard input until its end, "quit" or a signal.
void RunCommands(Simulator& simulator, bool readInput) {
    std::string pending;
    bool inputOpen = readInput;
    while (true) {
        pollfd fds[2] = {{signalPipe[0], POLLIN, 0}, {inputOpen ? 0 : -1, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            continue; // interrupted: the signal's byte is waiting in the pipe
        if (fds[0].revents != 0)
            return;
        if (fds[1].revents == 0)
            continue;
        char chunk[4096];
        const ssize_t got = read(0, chunk, sizeof chunk);
        if (got <= 0)
            pending += '\n'; // end of input: the last line counts even without a newline
        else
            pending.append(chunk, static_cast<size_t>(got));
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            try {
                if (!simulator.Command(line))
                    return;
            } catch (const std::exception& error) {
                std::fprintf(stderr, "quorvin-sim: %s\n", error.what());
            }
        }
        if (got <= 0)
            return;
    }
}
} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    try {
        const std::optional<Options> options = ParseOptions(argc, argv);
        if (!options)
            return 0;
        if (pipe(signalPipe) != 0)
            throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        std::signal(SIGPIPE, SIG_IGN);

        SilenceMidiLibraries();
        const RtMidi::Api api = ChooseApi(*options);
        Simulator simulator(*options, api);
        const Dw6000Settings& synth = options->synth;
        std::printf("quorvin-sim: DW-6000 on channel %d, %s channel matching, write %s; "
                    "BCR2000 device id %d; MIDI through %s\n",
                    synth.channel, synth.strictChannel ? "strict" : "loose",
                    synth.writeProtected ? "protected" : "enabled", options->deviceId,
                    api == RtMidi::UNIX_JACK ? "JACK" : "ALSA");
        for (const std::string& port : simulator.PortLines())
            std::printf("%s\n", port.c_str());
        std::printf("ready%s\n", options->readInput ? " (type help for commands)" : "");
        RunCommands(simulator, options->readInput);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quorvin-sim: %s\n", error.what());
        return 1;
    }
    return 0;
}
