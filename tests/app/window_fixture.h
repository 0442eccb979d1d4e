#pragma once
// A real main window built on a temporary folder, the loopback MIDI services and
// scripted dialogs.
#include "app/tf_midi.h"
#include "platform/loopback/loopback_midi_services.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

#include <QCoreApplication>

#include <gtest/gtest.h>
#include <memory>

class WindowTest : public testing::Test {
protected:
    QString IniName() const { return IniFileNameFor(QCoreApplication::applicationFilePath()); }

    // One MIDI interface, so that start-up finds a device and asks nothing.
    void AddInterface() {
        midi.AddInputDevice("Interface In");
        midi.AddOutputDevice("Interface Out");
    }
    void Open() {
        window =
            std::make_unique<TfMidi>(TfMidiServices{dialogs, midi, folder.Path(), folder.Path()});
    }
    void Close() { window.reset(); }

    TempFolder folder;
    ScriptedDialogs dialogs;
    LoopbackMidiServices midi;
    std::unique_ptr<TfMidi> window;
};
