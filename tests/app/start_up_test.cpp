#include "platform/shell/ini_file.h"
#include "window_fixture.h"

#include <QDir>
#include <QLabel>
#include <QTabWidget>
#include <QToolButton>

#include "widgets/mbadsr2.h"

namespace {

TEST_F(WindowTest, StartsWithoutSettingsFileOnTheMidiPageWithDonateShown) {
    AddInterface();
    Open();

    EXPECT_EQ(fMidi, window.get());
    EXPECT_EQ(window->iniFile->FileName(), folder.File(IniName()));
    EXPECT_FALSE(window->sbDonate->isHidden());
    EXPECT_EQ(window->pcGraphMidi->currentWidget(), window->tsMidi);
    EXPECT_EQ(window->iMidiIn, -1);
    EXPECT_EQ(window->iCtrlOut, -1);
    EXPECT_TRUE(dialogs.shown.empty());

    Close();
    EXPECT_EQ(fMidi, nullptr);
    EXPECT_EQ(folder.Text(IniName()), "[MidiDevices]\nInput=None\nOutput=None\nCtrlInput=None\n"
                                      "CtrlOutput=None\n\n\n[Donate]\nButton=1\n");
}

// The donate button follows "Button" read as a whole number, and shut-down writes back
// what was shown.
TEST_F(WindowTest, DonateButtonFollowsTheSettingsFileAndIsWrittenBack) {
    struct Case {
        const char* stored;
        bool hidden;
        const char* written;
    };
    const Case cases[] = {{"0", true, "0"},
                          {"1", false, "1"},
                          {"2", false, "1"},
                          {"no", false, "1"},
                          {"", false, "1"}};
    AddInterface();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        folder.Write(IniName(), QByteArray("[MidiDevices]\nInput=None\nOutput=None\nCtrlInput="
                                           "None\nCtrlOutput=None\n\n[Donate]\nButton=") +
                                    c.stored + "\n");
        Open();
        EXPECT_EQ(window->sbDonate->isHidden(), c.hidden);
        Close();
        EXPECT_EQ(folder.Text(IniName()),
                  std::string("[MidiDevices]\nInput=None\nOutput=None\nCtrlInput=None\n"
                              "CtrlOutput=None\n\n\n[Donate]\nButton=") +
                      c.written + "\n");
    }
}

TEST_F(WindowTest, ShutDownThatCannotWriteTheSettingsShowsTheErrorAndEnds) {
    AddInterface();
    Open();
    const QString fileName = window->iniFile->FileName();
    // A folder in the file's place cannot be written, not even by root.
    ASSERT_TRUE(QFile::remove(fileName));
    ASSERT_TRUE(QDir(folder.Path()).mkdir(IniName()));

    Close();

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, ShownKind::ErrorBox);
    EXPECT_EQ(dialogs.shown[0].text, "Unable to write to " + fileName);
}

TEST_F(WindowTest, GraphsStartWithTheStartUpEnvelope) {
    Open();
    const int expected[8] = {5, 31, 1, 20, 31, 10, 10, 0};
    for (Tmbadsr2* graph : {window->VCAadsr, window->VCFadsr}) {
        SCOPED_TRACE(graph->objectName().toStdString());
        for (int index = 0; index < 8; ++index)
            EXPECT_EQ(graph->GetValue(index), expected[index]) << "index " << index;
    }
}

TEST_F(WindowTest, ParameterTableIsTiedToThePanelLabels) {
    Open();
    EXPECT_EQ(window->params[0].label, window->lBut36);
    EXPECT_EQ(window->params[24].label, window->lEnc20);
    EXPECT_EQ(window->params[34].label, window->lEnc27);
    EXPECT_EQ(window->lEnc27->text(), "28");

    window->params[22].SetFromController(1);
    EXPECT_EQ(window->lBut33->text(), " 8'");
}

TEST(IniFileName, IsTheExecutablesNameWithExtensionIni) {
    EXPECT_EQ(IniFileNameFor("/opt/quorvin/quorvin"), "quorvin.INI");
    EXPECT_EQ(IniFileNameFor("C:/Programs/Quorvin/quorvin.exe"), "quorvin.INI");
    EXPECT_EQ(IniFileNameFor("/home/a.b/quorvin"), "quorvin.INI");
    EXPECT_EQ(IniFileNameFor("/opt/quorvin.v2.exe"), "quorvin.v2.INI");
}

} // namespace
