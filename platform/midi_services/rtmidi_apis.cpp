#include "platform/midi_services/rtmidi_apis.h"

#include <algorithm>

#if defined(__linux__)
#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <unistd.h>
#endif

namespace {
#if defined(__linux__)
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
void QuietJack(const char*) {}
#endif

bool Compiled(RtMidi::Api api) {
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    return std::find(apis.begin(), apis.end(), api) != apis.end();
}
} // namespace

void SilenceMidiLibraries() {
#if defined(__linux__)
    snd_lib_error_set_handler(QuietAlsa);
    jack_set_error_function(QuietJack);
    jack_set_info_function(QuietJack);
#endif
}

bool JackServerRunning() {
#if defined(__linux__)
    SilenceMidiLibraries();
    jack_status_t status{};
    jack_client_t* probe = jack_client_open("quorvin-probe", JackNoStartServer, &status);
    if (probe == nullptr)
        return false;
    jack_client_close(probe);
    return true;
#else
    return false;
#endif
}

std::vector<RtMidi::Api> AvailableMidiApis() {
    std::vector<RtMidi::Api> usable;
#if defined(__linux__)
    SilenceMidiLibraries();
    if (Compiled(RtMidi::LINUX_ALSA) && access("/dev/snd/seq", R_OK | W_OK) == 0)
        usable.push_back(RtMidi::LINUX_ALSA);
    if (Compiled(RtMidi::UNIX_JACK) && JackServerRunning())
        usable.push_back(RtMidi::UNIX_JACK);
#endif
    for (RtMidi::Api api : {RtMidi::WINDOWS_MM, RtMidi::MACOSX_CORE})
        if (Compiled(api))
            usable.push_back(api);
    return usable;
}
