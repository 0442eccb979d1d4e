#include "midi/midi_type.h"

#include <new>

TMyMidiHdr::TMyMidiHdr(uint16_t size) : size_(size) {
    if (size == 0)
        return;
    Header = static_cast<MidiHeader*>(GlobalSharedLockedAlloc(sizeof(MidiHeader), HeaderBlock));
    Data = static_cast<uint8_t*>(GlobalSharedLockedAlloc(size, DataBlock));
    if (Header) {
        new (Header) MidiHeader{};
        Header->data = Data;
        Header->bufferLength = Data ? size : 0;
    }
}

TMyMidiHdr::~TMyMidiHdr() {
    GlobalSharedLockedFree(DataBlock, Data);
    GlobalSharedLockedFree(HeaderBlock, Header);
}

const std::array<std::string, 6> TechNameMap = {
    "None", "MIDI Port", "Generic Synth", "Square Wave Synth", "FM Synth", "MIDI Mapper",
};

const std::array<std::string, 128> TGMInstrumentStringMap = {
    // Piano
    "Acoustic Grand Piano",
    "Bright Acoustic Piano",
    "Electric Grand Piano",
    "Honky-tonk Piano",
    "Electric Piano 1",
    "Electric Piano 2",
    "Harpsichord",
    "Clavinet",
    // Chromatic percussion
    "Celesta",
    "Glockenspiel",
    "Music Box",
    "Vibraphone",
    "Marimba",
    "Xylophone",
    "Tubular Bells",
    "Dulcimer",
    // Organ
    "Drawbar Organ",
    "Percussive Organ",
    "Rock Organ",
    "Church Organ",
    "Reed Organ",
    "Accordion",
    "Harmonica",
    "Tango Accordion",
    // Guitar
    "Acoustic Guitar (nylon)",
    "Acoustic Guitar (steel)",
    "Electric Guitar (jazz)",
    "Electric Guitar (clean)",
    "Electric Guitar (muted)",
    "Overdriven Guitar",
    "Distortion Guitar",
    "Guitar Harmonics",
    // Bass
    "Acoustic Bass",
    "Electric Bass (finger)",
    "Electric Bass (pick)",
    "Fretless Bass",
    "Slap Bass 1",
    "Slap Bass 2",
    "Synth Bass 1",
    "Synth Bass 2",
    // Strings
    "Violin",
    "Viola",
    "Cello",
    "Contrabass",
    "Tremolo Strings",
    "Pizzicato Strings",
    "Orchestral Harp",
    "Timpani",
    // Ensemble
    "String Ensemble 1",
    "String Ensemble 2",
    "Synth Strings 1",
    "Synth Strings 2",
    "Choir Aahs",
    "Voice Oohs",
    "Synth Choir",
    "Orchestra Hit",
    // Brass
    "Trumpet",
    "Trombone",
    "Tuba",
    "Muted Trumpet",
    "French Horn",
    "Brass Section",
    "Synth Brass 1",
    "Synth Brass 2",
    // Reed
    "Soprano Sax",
    "Alto Sax",
    "Tenor Sax",
    "Baritone Sax",
    "Oboe",
    "English Horn",
    "Bassoon",
    "Clarinet",
    // Pipe
    "Piccolo",
    "Flute",
    "Recorder",
    "Pan Flute",
    "Blown Bottle",
    "Shakuhachi",
    "Whistle",
    "Ocarina",
    // Synth lead
    "Lead 1 (square)",
    "Lead 2 (sawtooth)",
    "Lead 3 (calliope)",
    "Lead 4 (chiff)",
    "Lead 5 (charang)",
    "Lead 6 (voice)",
    "Lead 7 (fifths)",
    "Lead 8 (bass + lead)",
    // Synth pad
    "Pad 1 (new age)",
    "Pad 2 (warm)",
    "Pad 3 (polysynth)",
    "Pad 4 (choir)",
    "Pad 5 (bowed)",
    "Pad 6 (metallic)",
    "Pad 7 (halo)",
    "Pad 8 (sweep)",
    // Synth effects
    "FX 1 (rain)",
    "FX 2 (soundtrack)",
    "FX 3 (crystal)",
    "FX 4 (atmosphere)",
    "FX 5 (brightness)",
    "FX 6 (goblins)",
    "FX 7 (echoes)",
    "FX 8 (sci-fi)",
    // Ethnic
    "Sitar",
    "Banjo",
    "Shamisen",
    "Koto",
    "Kalimba",
    "Bagpipe",
    "Fiddle",
    "Shanai",
    // Percussive
    "Tinkle Bell",
    "Agogo",
    "Steel Drums",
    "Woodblock",
    "Taiko Drum",
    "Melodic Tom",
    "Synth Drum",
    "Reverse Cymbal",
    // Sound effects
    "Guitar Fret Noise",
    "Breath Noise",
    "Seashore",
    "Bird Tweet",
    "Telephone Ring",
    "Helicopter",
    "Applause",
    "Gunshot",
};

std::string MIDIInstrumentToStr(TGMInstrumentPatch instrument) {
    return TGMInstrumentStringMap[static_cast<uint8_t>(instrument) & 0x7F];
}

std::string MidiMessageToStr(uint8_t status) {
    if (status < 0x80)
        return "Data Byte";
    switch (status & 0xF0) {
    case 0x80:
        return "Note Off";
    case 0x90:
        return "Note On";
    case 0xA0:
        return "Note Aftertouch";
    case 0xB0:
        return "Controller Change";
    case 0xC0:
        return "Program Change";
    case 0xD0:
        return "Channel Aftertouch";
    case 0xE0:
        return "Pitch Bend";
    default:
        break;
    }
    switch (status) {
    case 0xF0:
        return "System Exclusive";
    case 0xF1:
        return "MIDI Time Code Quarter Frame";
    case 0xF2:
        return "Song Position Pointer";
    case 0xF3:
        return "Song Select";
    case 0xF6:
        return "Tune Request";
    case 0xF7:
        return "End of System Exclusive";
    case 0xF8:
        return "Timing Clock";
    case 0xFA:
        return "Start";
    case 0xFB:
        return "Continue";
    case 0xFC:
        return "Stop";
    case 0xFE:
        return "Active Sensing";
    case 0xFF:
        return "System Reset";
    default:
        return "Undefined";
    }
}

void SetPatchChannels(TPatchArray& patches, uint8_t patch, uint16_t channels) {
    patches[patch & 0x7F] = channels;
}
