#include "window_fixture.h"

#include "widgets/mbadsr2.h"
#include "widgets/mbgrafsw.h"
#include "widgets/wallpaper.h"

#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace {

class WindowLayoutTest : public WindowTest {
protected:
    void SetUp() override { Open(); }

    template <typename T> T* Find(const char* name) const {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
};

TEST_F(WindowLayoutTest, WindowHasItsFixedSizeAndCaption) {
    EXPECT_EQ(window->windowTitle(), "Quorvin");
    EXPECT_EQ(window->size(), QSize(946, 758));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->Wallpaper1->geometry(), QRect(0, 0, 946, 758));
    EXPECT_EQ(window->Wallpaper1->Wallpaper().size(), QSize(946, 763));
}

// Every label over the panel: name, design-time text, place.
TEST_F(WindowLayoutTest, PanelLabelsSitAtTheirPlacesWithTheirTexts) {
    struct Case {
        const char* name;
        const char* text;
        int left;
        int top;
    };
    const Case cases[] = {
        {"lEnc20", "20", 73, 87},
        {"lEnc21", "21", 158, 87},
        {"lEnc22", "22", 242, 87},
        {"lEnc23", "23", 326, 87},
        {"lEnc24", "Saxophone", 384, 55},
        {"lEnc25", "Saxophone", 459, 97},
        {"lEnc26", "INHIBIT", 555, 55},
        {"lEnc27", "28", 663, 85},
        {"lcEnc1", "MG Freq", 61, 120},
        {"lcEnc2", "MG Delay", 143, 120},
        {"lcEnc3", "MG Osc", 229, 120},
        {"lcEnc4", "MG VCF", 310, 120},
        {"lcEnc5", "Osc1 Wave", 379, 120},
        {"lcEnc6", "Osc2 Wave", 464, 120},
        {"lcEnc7", "Osc2 Interval", 549, 120},
        {"lcEnc8", "Osc2 Detune", 646, 120},
        {"lBut29", "Full", 71, 155},
        {"lBut30", "Normal", 146, 155},
        {"lBut31", "31", 245, 155},
        {"lBut32", "32", 330, 155},
        {"lBut33", "33", 408, 155},
        {"lBut34", "34", 491, 155},
        {"lBut36", "INHIBIT", 648, 155},
        {"Label8", "Kbd Track", 57, 184},
        {"Label9", "Polarity", 147, 184},
        {"Label10", "Chorus", 233, 184},
        {"Label11", "Bend VCF", 304, 184},
        {"Label4", "Osc1 Octave", 380, 184},
        {"Label5", "Osc2 Octave", 475, 184},
        {"Label13", "Assign Mode", 622, 184},
        {"lEnc37", "37", 77, 367},
        {"lEnc38", "38", 162, 367},
        {"lEnc40", "40", 330, 367},
        {"lEnc41", "41", 415, 367},
        {"lEnc42", "42", 499, 367},
        {"lEnc43", "43", 583, 367},
        {"lEnc44", "44", 668, 367},
        {"Label12", "VCF Cutoff", 61, 414},
        {"Label18", "Resonance", 143, 414},
        {"Label21", "Portamento", 299, 414},
        {"Label22", "Osc1 Level", 387, 414},
        {"Label24", "Osc2 Level", 472, 414},
        {"Label23", "Noise Level", 555, 414},
        {"Label25", "Bend Osc", 645, 414},
        {"lEnc45", "45", 79, 514},
        {"lEnc46", "46", 164, 514},
        {"lEnc47", "47", 248, 514},
        {"lEnc48", "48", 332, 514},
        {"lEnc49", "49", 417, 514},
        {"lEnc50", "50", 501, 514},
        {"lEnc52", "52", 670, 514},
        {"Label20", "VCF Env - Attack", 17, 560},
        {"Label26", "Decay", 160, 560},
        {"Label27", "Break point", 228, 560},
        {"Label28", "Slope", 329, 560},
        {"Label29", "Sustain", 405, 560},
        {"Label31", "Release", 485, 560},
        {"Label32", "VCF Intensity", 634, 560},
        {"lEnc53", "53", 77, 657},
        {"lEnc54", "54", 162, 657},
        {"lEnc55", "55", 246, 657},
        {"lEnc56", "56", 330, 657},
        {"lEnc57", "57", 415, 657},
        {"lEnc58", "58", 499, 657},
        {"Label30", "VCA Env - Attack", 17, 705},
        {"Label33", "Decay", 156, 705},
        {"Label34", "Break point", 224, 705},
        {"Label35", "Slope", 325, 705},
        {"Label36", "Sustain", 401, 705},
        {"Label37", "Release", 481, 705},
        {"Label17", "Randomise", 632, 244},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* label = Find<QLabel>(c.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->parentWidget(), window->Wallpaper1);
        EXPECT_EQ(label->text(), c.text);
        EXPECT_EQ(label->pos(), QPoint(c.left, c.top));
        EXPECT_EQ(label->size(), label->sizeHint());
    }
}

TEST_F(WindowLayoutTest, ValueAndCaptionLabelsHaveTheirOwnStyle) {
    for (const CcParam& row : window->params) {
        const QLabel& label = *row.label;
        SCOPED_TRACE(label.objectName().toStdString());
        EXPECT_EQ(label.palette().color(QPalette::Window), QColor(0, 0, 128));
        EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(255, 255, 0));
        EXPECT_EQ(label.font().pointSize(), 12);
        EXPECT_TRUE(label.font().bold());
        EXPECT_TRUE(label.autoFillBackground());
        EXPECT_EQ(bool(label.alignment() & Qt::AlignHCenter),
                  label.objectName().startsWith("lBut"));
    }
    const QLabel& caption = *window->Label12;
    EXPECT_EQ(caption.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(caption.palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(caption.font().pointSize(), 10);
    EXPECT_TRUE(caption.font().bold());
    // "MS Sans Serif" is rarely installed; a sans-serif face stands in.
    EXPECT_FALSE(QFontInfo(caption.font()).family().isEmpty());
}

TEST_F(WindowLayoutTest, PageControlHasEditMidiAndAHiddenLibPage) {
    QTabWidget& pages = *window->pcGraphMidi;
    EXPECT_EQ(pages.geometry(), QRect(734, 53, 199, 677));
    ASSERT_EQ(pages.count(), 3);
    EXPECT_EQ(pages.widget(0), window->tsEdit);
    EXPECT_EQ(pages.widget(1), window->tsMidi);
    EXPECT_EQ(pages.widget(2), window->tsPatches);
    EXPECT_EQ(pages.tabText(0), "Edit");
    EXPECT_EQ(pages.tabText(1), "Midi");
    EXPECT_EQ(pages.tabText(2), "Lib");
    EXPECT_TRUE(pages.isTabVisible(0));
    EXPECT_TRUE(pages.isTabVisible(1));
    EXPECT_FALSE(pages.isTabVisible(2));
    EXPECT_FALSE(pages.isTabEnabled(2));
    EXPECT_FALSE(window->tsPatches->isEnabled());
    EXPECT_EQ(window->ePatchName->text(), "Write name, press save");
    EXPECT_EQ(window->bSavePatch->text(), "Save Patch");
}

TEST_F(WindowLayoutTest, MidiPageHoldsTheFourListsAndTwoButtons) {
    struct Place {
        QWidget* widget;
        QRect geometry;
    };
    const Place places[] = {
        {window->lbMidiIn, {2, 24, 179, 113}},  {window->lbMidiOut, {3, 158, 179, 113}},
        {window->lbCtrlIn, {3, 292, 179, 113}}, {window->lbCtrlOut, {3, 428, 179, 113}},
        {window->bGetPatch, {9, 542, 159, 29}}, {window->bLoadBCR, {9, 571, 159, 29}},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.widget->objectName().toStdString());
        EXPECT_EQ(p.widget->geometry(), p.geometry);
        EXPECT_TRUE(window->tsMidi->isAncestorOf(p.widget));
    }
    EXPECT_EQ(window->Label1->text(), "From <- DW6000 ");
    EXPECT_EQ(window->Label2->text(), "To -> DW6000");
    EXPECT_EQ(window->Label3->text(), "From <- BCR");
    EXPECT_EQ(window->Label6->text(), "To -> BCR");
    EXPECT_EQ(window->Label6->pos(), QPoint(7, 410));
    EXPECT_EQ(window->bGetPatch->text(), "Get Patch From DW6000");
    EXPECT_EQ(window->bLoadBCR->text(), "Send Sysex to  BCR");
    // With no device chosen, start-up leaves both output buttons hidden.
    EXPECT_TRUE(window->bGetPatch->isHidden());
    EXPECT_TRUE(window->bLoadBCR->isHidden());
}

TEST_F(WindowLayoutTest, EditPageHoldsTheOscillatorPicturesAndEnvelopeGraphs) {
    EXPECT_EQ(window->gOsc1->geometry(), QRect(4, 46, 182, 105));
    EXPECT_EQ(window->gOsc2->geometry(), QRect(4, 170, 182, 105));
    EXPECT_EQ(window->VCFadsr->geometry(), QRect(5, 379, 178, 117));
    EXPECT_EQ(window->VCAadsr->geometry(), QRect(5, 522, 178, 112));
    for (Tmbgrafsw* picture : {window->gOsc1, window->gOsc2}) {
        EXPECT_EQ(picture->Bitmap().size(), QSize(1440, 100));
        EXPECT_EQ(picture->Glyph(), 8);
        EXPECT_EQ(picture->State(), 5);
        EXPECT_TRUE(picture->AutoSize());
    }
    for (Tmbadsr2* graph : {window->VCFadsr, window->VCAadsr}) {
        EXPECT_EQ(graph->Max(), 32);
        EXPECT_TRUE(graph->FillEnabled());
        EXPECT_TRUE(graph->GradientEnabled());
        EXPECT_EQ(graph->GradientType(), gr2TopToBottom);
        EXPECT_EQ(graph->MarkerColor(), QColor(0, 255, 255));
        EXPECT_TRUE(window->tsEdit->isAncestorOf(graph));
    }
    for (const char* caption : {"Osc 1", "Osc 2", "VCF", "VCA"}) {
        bool found = false;
        for (const QLabel* label : window->tsEdit->findChildren<QLabel*>())
            found = found || label->text() == caption;
        EXPECT_TRUE(found) << caption;
    }
}

TEST_F(WindowLayoutTest, DonateButtonShowsItsPicture) {
    EXPECT_EQ(window->sbDonate->geometry(), QRect(768, 727, 98, 33));
    EXPECT_TRUE(window->sbDonate->text().isEmpty());
    EXPECT_EQ(window->sbDonate->iconSize(), QSize(93, 27));
    EXPECT_FALSE(window->sbDonate->icon().isNull());
}

} // namespace
