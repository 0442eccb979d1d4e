// The editor started on an INI file naming four JACK ports opens all four, and writes
// them back when SIGTERM ends it.
#include "support/e2e_harness.h"

#include <gtest/gtest.h>

namespace {

TEST(EditorOverJack, OpensTheFourRememberedPortsAndRemembersThemAtTheEnd) {
    JackServer jack;
    ASSERT_TRUE(jack.Running());
    TestMidiPorts ports;
    const std::string fromSynth = ports.AddSource("synth-out");
    const std::string fromController = ports.AddSource("bcr-out");
    const std::string toSynth = ports.AddSink("synth-in");
    const std::string toController = ports.AddSink("bcr-in");

    EditorProcess editor;
    const std::string devices = "[MidiDevices]\nInput=" + fromSynth + "\nOutput=" + toSynth +
                                "\nCtrlInput=" + fromController + "\nCtrlOutput=" + toController +
                                "\n";
    editor.WriteIni(devices);
    editor.Start();

    for (const std::string& port : {fromSynth, fromController, toSynth, toController})
        EXPECT_TRUE(WaitUntil([&] { return !JackConnections(port).empty(); }))
            << port << " was not connected; the editor said: " << editor.Output();

    EXPECT_EQ(editor.Terminate(), 0) << editor.Output();
    EXPECT_EQ(editor.Output(), "");
    EXPECT_EQ(editor.ReadIni().substr(0, devices.size()), devices);
    for (const std::string& port : {fromSynth, toSynth})
        EXPECT_TRUE(JackConnections(port).empty()) << port;
}

} // namespace
