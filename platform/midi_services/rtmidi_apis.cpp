#include "platform/midi_services/rtmidi_apis.h"

#include <algorithm>
#include <string>

#ifdef QUORVIN_HAVE_ALSA
#include <alsa/asoundlib.h>
#include <unistd.h>
#endif
#ifdef QUORVIN_HAVE_JACK
#include <jack/jack.h>
#include <unistd.h>
#endif

namespace {
#ifdef QUORVIN_HAVE_ALSA
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
#endif
#ifdef QUORVIN_HAVE_JACK
void QuietJack(const char*) {}
#endif
} // namespace

bool MidiApiCompiled(RtMidi::Api api) {
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    return std::find(apis.begin(), apis.end(), api) != apis.end();
}

void SilenceMidiLibraries() {
#ifdef QUORVIN_HAVE_ALSA
    snd_lib_error_set_handler(QuietAlsa);
#endif
#ifdef QUORVIN_HAVE_JACK
    jack_set_error_function(QuietJack);
    jack_set_info_function(QuietJack);
#endif
}

bool AlsaSequencerUsable() {
#ifdef QUORVIN_HAVE_ALSA
    return MidiApiCompiled(RtMidi::LINUX_ALSA) && access("/dev/snd/seq", R_OK | W_OK) == 0;
#else
    return false;
#endif
}

bool JackServerRunning() {
#ifdef QUORVIN_HAVE_JACK
    SilenceMidiLibraries();
    const std::string name = "quorvin-probe-" + std::to_string(getpid());
    jack_status_t status{};
    jack_client_t* probe = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (probe == nullptr)
        return false;
    jack_client_close(probe);
    return true;
#else
    return false;
#endif
}

std::vector<RtMidi::Api> AvailableMidiApis() {
    SilenceMidiLibraries();
    std::vector<RtMidi::Api> usable;
    if (AlsaSequencerUsable())
        usable.push_back(RtMidi::LINUX_ALSA);
    if (MidiApiCompiled(RtMidi::UNIX_JACK) && JackServerRunning())
        usable.push_back(RtMidi::UNIX_JACK);
    for (RtMidi::Api api : {RtMidi::WINDOWS_MM, RtMidi::MACOSX_CORE})
        if (MidiApiCompiled(api))
            usable.push_back(api);
    return usable;
}
