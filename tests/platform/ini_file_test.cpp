#include "platform/shell/ini_file.h"
#include "support/temp_folder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class IniFileTest : public testing::Test {
protected:
    TempFolder folder;
    IniFile ini{folder.File("quorvin.INI")};
};

TEST_F(IniFileTest, NewFileKeepsSectionsAndKeysInTheOrderFirstWritten) {
    ini.WriteString("MidiDevices", "Input", "None");
    ini.WriteString("MidiDevices", "Output", "None");
    ini.WriteString("MidiDevices", "CtrlInput", "None");
    ini.WriteString("MidiDevices", "CtrlOutput", "None");
    ini.WriteString("MidiDevices", "Input", "BCR2000 Port 1");
    ini.WriteBool("Donate", "Button", true);

    EXPECT_EQ(folder.Text("quorvin.INI"), "[MidiDevices]\n"
                                          "Input=BCR2000 Port 1\n"
                                          "Output=None\n"
                                          "CtrlInput=None\n"
                                          "CtrlOutput=None\n"
                                          "\n"
                                          "\n"
                                          "[Donate]\n"
                                          "Button=1\n");
}

TEST_F(IniFileTest, NamesAreComparedIgnoringCase) {
    folder.Write("quorvin.INI", "[mididevices]\ninput=Synth In\n");

    EXPECT_EQ(ini.ReadString("MidiDevices", "INPUT", "None"), "Synth In");
    ini.WriteString("MIDIDEVICES", "Input", "Other");

    EXPECT_EQ(folder.Text("quorvin.INI"), "[mididevices]\ninput=Other\n");
}

TEST_F(IniFileTest, MissingFileOrKeyGivesTheDefault) {
    EXPECT_EQ(ini.ReadString("MidiDevices", "Input", "None"), "None");
    EXPECT_TRUE(ini.ReadBool("Donate", "Button", true));
    EXPECT_FALSE(QFile::exists(ini.FileName()));

    folder.Write("quorvin.INI", "[Donate]\nOther=0\n");
    EXPECT_EQ(ini.ReadInteger("Donate", "Button", 7), 7);
}

TEST_F(IniFileTest, ContentItDoesNotKnowIsKept) {
    folder.Write("quorvin.INI", "; written by hand\n"
                                "[Extra]\n"
                                "Colour=blue\n"
                                "\n"
                                "[Donate]\n"
                                "Button=0\n"
                                "Note=keep me\n");
    ini.WriteBool("Donate", "Button", false);
    ini.WriteBool("Donate", "Button", true);

    EXPECT_EQ(folder.Text("quorvin.INI"), "; written by hand\n"
                                          "\n"
                                          "\n"
                                          "[Extra]\n"
                                          "Colour=blue\n"
                                          "\n"
                                          "\n"
                                          "[Donate]\n"
                                          "Button=1\n"
                                          "Note=keep me\n");
}

TEST_F(IniFileTest, EveryWriteReachesTheFileAtOnce) {
    ini.WriteString("MidiDevices", "Input", "A");
    EXPECT_EQ(IniFile(ini.FileName()).ReadString("MidiDevices", "Input", ""), "A");

    // A change made behind its back is seen by the next read and kept by the next write.
    folder.Write("quorvin.INI", "[MidiDevices]\nInput=A\nOutput=B\n");
    EXPECT_EQ(ini.ReadString("MidiDevices", "Output", ""), "B");
    ini.WriteString("MidiDevices", "Input", "C");
    EXPECT_EQ(folder.Text("quorvin.INI"), "[MidiDevices]\nInput=C\nOutput=B\n");
}

TEST_F(IniFileTest, FailedWriteRaisesAnErrorNamingTheFile) {
    const QString fileName = folder.File("missing folder/quorvin.INI");
    IniFile unwritable(fileName);
    try {
        unwritable.WriteString("Donate", "Button", "1");
        FAIL() << "no error raised";
    } catch (const EIniFileError& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), "Unable to write to " + fileName);
    }
}

TEST_F(IniFileTest, BoolsAreWrittenAsOneAndZero) {
    ini.WriteBool("Donate", "Button", false);
    EXPECT_EQ(folder.Text("quorvin.INI"), "[Donate]\nButton=0\n");
    EXPECT_FALSE(ini.ReadBool("Donate", "Button", true));
    ini.WriteInteger("Donate", "Button", -12);
    EXPECT_EQ(ini.ReadInteger("Donate", "Button", 0), -12);
}

// "Button" is read as a whole number: anything else gives the default, and for the
// donate button any number but 0 means shown.
TEST_F(IniFileTest, ButtonIsReadAsAWholeNumber) {
    struct Case {
        const char* text;
        int integer; // with default 99
        bool shown;  // with default true
    };
    const Case cases[] = {
        {"0", 0, false},
        {"1", 1, true},
        {"2", 2, true},
        {"-1", -1, true},
        {"+0", 0, false},
        {" 0", 0, false},
        {"00", 0, false},
        {"0x10", 16, true},
        {"$0", 0, false},
        {"yes", 99, true},
        {"", 99, true},
        {"1.0", 99, true},
        {"0 1", 99, true},
        {"12abc", 99, true},
        {"0x", 99, true},
        {"2147483647", 2147483647, true},
        {"-2147483648", -2147483647 - 1, true},
        {"2147483648", 99, true},
        {"99999999999999", 99, true},
    };
    for (const Case& c : cases) {
        folder.Write("quorvin.INI", QByteArray("[Donate]\nButton=") + c.text + "\n");
        EXPECT_EQ(ini.ReadInteger("Donate", "Button", 99), c.integer) << '"' << c.text << '"';
        EXPECT_EQ(ini.ReadBool("Donate", "Button", true), c.shown) << '"' << c.text << '"';
    }
}

} // namespace
