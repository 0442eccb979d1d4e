#pragma once
// Which RtMidi back ends can be used on this machine, found without letting ALSA,
// libjack or RtMidi print anything: an unusable back end is simply left out.
#include <rtmidi/RtMidi.h>

#include <vector>

// Usable APIs in the order their ports are listed: ALSA sequencer, then JACK (only
// when a server already runs; none is ever started), then the platform's own
// (WinMM, CoreMIDI) where built in.
std::vector<RtMidi::Api> AvailableMidiApis();

// True when a JACK server is running now. Never starts one.
bool JackServerRunning();

// Silences ALSA's and libjack's own error printing for the whole process.
void SilenceMidiLibraries();
