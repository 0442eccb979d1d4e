// A random patch: every row within its range, shown, and sent to both instruments,
// the controller first for each row.
#include "platform/loopback/loopback_midi_services.h"
#include "synth_link_fixture.h"
#include "widgets/mbadsr2.h"

#include <QLabel>
#include <QMouseEvent>

#include <set>

namespace {

class RandomiseTest : public SynthLinkTest {
protected:
    void SetUp() override {
        ConnectSynth();
        OpenOn();
        ASSERT_TRUE(ControllerGot(kParamCount)); // the start-up patch
        midi.ClearSent("DW Out");
        midi.ClearSent("BCR Out");
    }

    void ClickLabel17() {
        const QPointF at(5, 5);
        QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(window->Label17, &press);
        QCoreApplication::sendEvent(window->Label17, &release);
    }

    bool GraphsShown() const {
        return window->VCFadsr->isVisibleTo(window.get()) &&
               window->VCAadsr->isVisibleTo(window.get());
    }

    Dw6000Patch EditorsPatch() const {
        Dw6000Patch patch{};
        for (const CcParam& param : window->params)
            patch[param.dumpIndex] += uint8_t(param.value);
        return patch;
    }
};

TEST_F(RandomiseTest, EveryRowWithinItsRangeSentControllerFirstAndTheSynthesizerEndsEqual) {
    std::set<Dw6000Patch> patches;
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(testing::Message() << "run " << run);
        midi.ClearSent("DW Out");
        midi.ClearSent("BCR Out");
        window->Randomise();

        const auto feedback = midi.Sent("BCR Out");
        const auto changes = midi.Sent("DW Out");
        ASSERT_EQ(feedback.size(), std::size_t(kParamCount));
        ASSERT_EQ(changes.size(), std::size_t(kParamCount));
        for (int row = 0; row < kParamCount; ++row) {
            SCOPED_TRACE(testing::Message() << "row " << row);
            const CcParam& param = window->params[row];
            const int32_t plain = param.PlainValue();
            EXPECT_GE(plain, 0);
            EXPECT_LE(plain, kParamRows[row].maxValue);
            if (row == 26 || row == 28) {
                EXPECT_LE(plain, 3);
            }
            EXPECT_EQ(feedback[row].bytes,
                      (Bytes{0xB0, uint8_t(param.bcrController), uint8_t(plain)}));
            EXPECT_EQ(changes[row].bytes[5], param.dumpIndex);
            EXPECT_LE(feedback[row].time, changes[row].time);
            if (row + 1 < kParamCount) {
                EXPECT_LE(changes[row].time, feedback[row + 1].time);
            }
        }
        EXPECT_EQ(synth.EditBuffer(), EditorsPatch());
        EXPECT_TRUE(GraphsShown());
        patches.insert(EditorsPatch());
    }
    EXPECT_GT(patches.size(), 1u) << "every run the same patch";
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(RandomiseTest, AClickOnTheLabelRandomises) {
    ClickLabel17();
    EXPECT_EQ(midi.Sent("BCR Out").size(), std::size_t(kParamCount));
    EXPECT_EQ(midi.Sent("DW Out").size(), std::size_t(kParamCount));
    EXPECT_EQ(synth.EditBuffer(), EditorsPatch());
}

TEST_F(RandomiseTest, AFailingSynthesizerOutputEndsTheRunWithTheGraphsShown) {
    midi.FailNext(LoopbackCall::SendLong, 67);
    ClickLabel17();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, ShownKind::ErrorBox);
    EXPECT_EQ(midi.Sent("BCR Out").size(), 1u) << "the first row's feedback went out";
    EXPECT_TRUE(GraphsShown());
}

TEST_F(SynthLinkTest, RandomiseWithTheSynthesizerClosedStillShowsAndFeedsBack) {
    OpenOn("None");
    const QString before = window->lEnc20->text();
    window->Randomise();
    EXPECT_NE(window->lEnc20->text(), before) << "labels keep their design text";
    EXPECT_TRUE(midi.Sent("DW Out").empty());
    EXPECT_EQ(midi.Sent("BCR Out").size(), std::size_t(kParamCount));
}

} // namespace
