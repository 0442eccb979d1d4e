#pragma once
// Which RtMidi back ends can be used on this machine, found without letting ALSA,
// libjack or RtMidi print anything: an unusable back end is simply left out.
#include <rtmidi/RtMidi.h>

#include <vector>

// Usable APIs in the order their ports are listed: ALSA sequencer, then JACK (only
// when a server already runs; none is ever started), then the platform's own
// (WinMM, CoreMIDI) where built in.
std::vector<RtMidi::Api> AvailableMidiApis();

// True when RtMidi was built with the API.
bool MidiApiCompiled(RtMidi::Api api);

// True when the ALSA sequencer can be opened; false where there is no ALSA.
bool AlsaSequencerUsable();

// True when a JACK server is running now. Never starts one; the probe's client name is
// this process's own, so probes of two programs never meet.
bool JackServerRunning();

// Silences ALSA's and libjack's own error printing for the whole process.
void SilenceMidiLibraries();
