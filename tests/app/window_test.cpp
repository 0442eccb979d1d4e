#include "window_fixture.h"

#include "widgets/mbadsr2.h"
#include "widgets/mbgrafsw.h"
#include "widgets/wallpaper.h"

#include <QFontInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>

#include <cmath>

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

// The controls of the drawn panel, as the controller's face has them: the row's
// controller numbers, the top of the value labels over the row, and how far a control
// reaches either side of its column's centre (an encoder's LED ring, a button's half
// width). Columns are 84.4 pixels apart from 85.
struct ControlRow {
    int firstController, lastController;
    int labelTop;
    const char* prefix;
    double reach;
};
constexpr ControlRow kControlRows[] = {
    {20, 27, 87, "lEnc", 26.5},  // push-encoders (the waveform labels sit above and below)
    {29, 36, 155, "lBut", 23.0}, // upper button row
    {37, 44, 367, "lEnc", 26.5}, // encoder rows 1 to 3
    {45, 52, 514, "lEnc", 26.5}, {53, 60, 657, "lEnc", 26.5},
};
double ColumnCentre(int column) {
    return 85.0 + 84.4 * column;
}
// The panel's left part: inside its border and left of the engraved line at x = 722
// that sets the right column apart.
const QRect kPanelFace(3, 3, 722 - 3, 763 - 6);

// Each parameter's value label is named after its control and lies over it.
TEST_F(WindowLayoutTest, EachValueLabelIsNamedAfterItsControlAndLiesOverIt) {
    for (const CcParam& row : window->params) {
        const QLabel& label = *row.label;
        SCOPED_TRACE(label.objectName().toStdString());
        const ControlRow* place = nullptr;
        for (const ControlRow& r : kControlRows)
            if (row.bcrController >= r.firstController && row.bcrController <= r.lastController)
                place = &r;
        ASSERT_NE(place, nullptr) << "controller " << row.bcrController << " has no control";
        EXPECT_EQ(label.objectName(), place->prefix + QString::number(row.bcrController));
        EXPECT_EQ(label.parentWidget(), window->Wallpaper1);
        const QRect at = label.geometry();
        const double centre = ColumnCentre(row.bcrController - place->firstController);
        EXPECT_LE(std::abs(at.left() + at.width() / 2.0 - centre), place->reach);
        EXPECT_LE(std::abs(at.top() - place->labelTop), 35);
    }
}

// With the face the window uses, no two labels of the panel meet, and none runs off
// the panel's face.
TEST_F(WindowLayoutTest, PanelLabelsNeitherOverlapNorLeaveThePanel) {
    const QList<QLabel*> labels =
        window->Wallpaper1->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    ASSERT_GE(labels.size(), 71);
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const QLabel& label = *labels[i];
        SCOPED_TRACE(label.objectName().toStdString() + " \"" + label.text().toStdString() + "\"");
        EXPECT_EQ(label.size(), label.sizeHint()) << "the text is cut";
        EXPECT_TRUE(kPanelFace.contains(label.geometry()))
            << label.geometry().left() << "," << label.geometry().top() << " "
            << label.geometry().width() << "x" << label.geometry().height();
        for (qsizetype j = i + 1; j < labels.size(); ++j) {
            EXPECT_FALSE(label.geometry().intersects(labels[j]->geometry()))
                << "meets " << labels[j]->objectName().toStdString();
        }
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
    // "MS Sans Serif" is rarely installed; a face of Arial Narrow's widths stands in.
    const QString face = QFontInfo(caption.font()).family();
    EXPECT_TRUE(face == "MS Sans Serif" || face == "Microsoft Sans Serif" ||
                face == "Liberation Sans Narrow" || face == "Arial Narrow")
        << face.toStdString();
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

namespace {

// On the "Midi" page every text fits its control; a device name too long for its list
// ends short in its row and shows whole as the row's tooltip.
TEST_F(WindowTest, MidiPageTextsFitTheirControlsAndALongNameShowsWhole) {
    // At the name limit, in letters wide enough not to fit.
    const std::string longName = "WWWW MMMM WWWW MMMM: WWWW MMMMM";
    midi.AddInputDevice("Short In");
    midi.AddInputDevice(longName);
    midi.AddOutputDevice("Short Out");
    Open();
    window->pcGraphMidi->setCurrentWidget(window->tsMidi);
    window->show();
    QCoreApplication::processEvents();

    QWidget* panel = window->tsMidi->findChild<QWidget*>("pnMidi");
    ASSERT_NE(panel, nullptr);
    for (QPushButton* button : {window->bGetPatch, window->bLoadBCR}) {
        SCOPED_TRACE(button->text().toStdString());
        EXPECT_LE(button->sizeHint().width(), button->width());
        EXPECT_LE(button->sizeHint().height(), button->height());
    }
    const QList<QWidget*> controls = panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QLabel* caption : {window->Label1, window->Label2, window->Label3, window->Label6}) {
        SCOPED_TRACE(caption->text().toStdString());
        EXPECT_EQ(caption->size(), caption->sizeHint());
        EXPECT_TRUE(panel->rect().contains(caption->geometry()));
        for (QWidget* other : controls) {
            if (other != caption) {
                EXPECT_FALSE(caption->geometry().intersects(other->geometry()))
                    << "meets " << other->objectName().toStdString();
            }
        }
    }

    QListWidget& list = *window->lbCtrlIn;
    EXPECT_EQ(list.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    auto tipOf = [&](int row) {
        const QPoint at = list.visualItemRect(list.item(row)).center();
        QHelpEvent ask(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(list.viewport(), &ask);
        return QToolTip::text().toStdString();
    };
    EXPECT_EQ(tipOf(0), "") << "a name that fits needs no tooltip";
    EXPECT_EQ(tipOf(1), longName);
    EXPECT_LE(list.visualItemRect(list.item(1)).width(), list.viewport()->width());
}

} // namespace
