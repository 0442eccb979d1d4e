// The window's controls, their places, texts, fonts and colours.
#include "app/tf_midi.h"

#include "widgets/mbadsr2.h"
#include "widgets/mbgrafsw.h"
#include "widgets/wallpaper.h"

#include <QFile>
#include <QFrame>
#include <QHelpEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);

constexpr int kValuePoints = 12;
constexpr int kCaptionPoints = 10;

// The panel's face is "MS Sans Serif". Where it is not installed, a face of Arial
// Narrow's widths stands in (Liberation Sans Narrow on Linux), which come nearest to
// it: the places of the captions were made for those widths, and Arial's own run
// "Osc2 Detune" over the line that sets the right column apart, a wider face one
// caption into the next.
QFont PanelFont(int points, bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"), points, bold ? QFont::Bold : QFont::Normal);
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// The rows of a port list are as wide as the list, so a name too long for it ends in
// "..." instead of hiding behind a scroll bar; such a row shows its whole name as its
// tooltip.
class WholeNameTips : public QStyledItemDelegate {
public:
    explicit WholeNameTips(QAbstractItemView* view) : QStyledItemDelegate(view), view_(view) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(std::min(size.width(), view_->viewport()->width()));
        return size;
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        // Measured without the row's place, which the style would fit the text into.
        QStyleOptionViewItem whole = option;
        whole.rect = QRect();
        if (QStyledItemDelegate::sizeHint(whole, index).width() > view->viewport()->width())
            QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view);
        else
            QToolTip::hideText();
        return true;
    }

private:
    QAbstractItemView* view_;
};

void SetColours(QWidget& widget, const QColor& background, const QColor& text) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void SetTextColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, colour);
    widget.setPalette(palette);
}

// A label that sizes itself to its text at (left, top).
QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    return label;
}

enum class LabelKind { Value, CentredValue, Caption };

struct PanelLabel {
    QLabel* TfMidi::*member;
    const char* name;
    const char* text;
    int left;
    int top;
    LabelKind kind;
};

#define VALUE(n, text, left, top)                                                                  \
    { &TfMidi::n, #n, text, left, top, LabelKind::Value }
#define BUTTON(n, text, left, top)                                                                 \
    { &TfMidi::n, #n, text, left, top, LabelKind::CentredValue }
#define CAPTION(n, text, left, top)                                                                \
    { &TfMidi::n, #n, text, left, top, LabelKind::Caption }

// Each value label shows its design-time text until its parameter is first set.
// clang-format off
const PanelLabel kPanelLabels[] = {
    VALUE(lEnc20, "20", 73, 87),          VALUE(lEnc21, "21", 158, 87),
    VALUE(lEnc22, "22", 242, 87),         VALUE(lEnc23, "23", 326, 87),
    VALUE(lEnc24, "Saxophone", 384, 55),  VALUE(lEnc25, "Saxophone", 459, 97),
    VALUE(lEnc26, "INHIBIT", 555, 55),    VALUE(lEnc27, "28", 663, 85),
    CAPTION(lcEnc1, "MG Freq", 61, 120),  CAPTION(lcEnc2, "MG Delay", 143, 120),
    CAPTION(lcEnc3, "MG Osc", 229, 120),  CAPTION(lcEnc4, "MG VCF", 310, 120),
    CAPTION(lcEnc5, "Osc1 Wave", 379, 120), CAPTION(lcEnc6, "Osc2 Wave", 464, 120),
    CAPTION(lcEnc7, "Osc2 Interval", 549, 120), CAPTION(lcEnc8, "Osc2 Detune", 646, 120),

    BUTTON(lBut29, "Full", 71, 155),      BUTTON(lBut30, "Normal", 146, 155),
    BUTTON(lBut31, "31", 245, 155),       BUTTON(lBut32, "32", 330, 155),
    BUTTON(lBut33, "33", 408, 155),       BUTTON(lBut34, "34", 491, 155),
    BUTTON(lBut36, "INHIBIT", 648, 155),
    CAPTION(Label8, "Kbd Track", 57, 184), CAPTION(Label9, "Polarity", 147, 184),
    CAPTION(Label10, "Chorus", 233, 184), CAPTION(Label11, "Bend VCF", 304, 184),
    CAPTION(Label4, "Osc1 Octave", 380, 184), CAPTION(Label5, "Osc2 Octave", 475, 184),
    CAPTION(Label13, "Assign Mode", 622, 184),

    VALUE(lEnc37, "37", 77, 367),         VALUE(lEnc38, "38", 162, 367),
    VALUE(lEnc40, "40", 330, 367),        VALUE(lEnc41, "41", 415, 367),
    VALUE(lEnc42, "42", 499, 367),        VALUE(lEnc43, "43", 583, 367),
    VALUE(lEnc44, "44", 668, 367),
    CAPTION(Label12, "VCF Cutoff", 61, 414), CAPTION(Label18, "Resonance", 143, 414),
    CAPTION(Label21, "Portamento", 299, 414), CAPTION(Label22, "Osc1 Level", 387, 414),
    CAPTION(Label24, "Osc2 Level", 472, 414), CAPTION(Label23, "Noise Level", 555, 414),
    CAPTION(Label25, "Bend Osc", 645, 414),

    VALUE(lEnc45, "45", 79, 514),         VALUE(lEnc46, "46", 164, 514),
    VALUE(lEnc47, "47", 248, 514),        VALUE(lEnc48, "48", 332, 514),
    VALUE(lEnc49, "49", 417, 514),        VALUE(lEnc50, "50", 501, 514),
    VALUE(lEnc52, "52", 670, 514),
    CAPTION(Label20, "VCF Env - Attack", 17, 560), CAPTION(Label26, "Decay", 160, 560),
    CAPTION(Label27, "Break point", 228, 560), CAPTION(Label28, "Slope", 329, 560),
    CAPTION(Label29, "Sustain", 405, 560), CAPTION(Label31, "Release", 485, 560),
    CAPTION(Label32, "VCF Intensity", 634, 560),

    VALUE(lEnc53, "53", 77, 657),         VALUE(lEnc54, "54", 162, 657),
    VALUE(lEnc55, "55", 246, 657),        VALUE(lEnc56, "56", 330, 657),
    VALUE(lEnc57, "57", 415, 657),        VALUE(lEnc58, "58", 499, 657),
    CAPTION(Label30, "VCA Env - Attack", 17, 705), CAPTION(Label33, "Decay", 156, 705),
    CAPTION(Label34, "Break point", 224, 705), CAPTION(Label35, "Slope", 325, 705),
    CAPTION(Label36, "Sustain", 401, 705), CAPTION(Label37, "Release", 481, 705),

    CAPTION(Label17, "Randomise", 632, 244),
};
// clang-format on

#undef VALUE
#undef BUTTON
#undef CAPTION

QByteArray ReadResource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A page whose whole face is one coloured panel holding the page's controls.
QFrame* FillPageWithPanel(QWidget* page, const QColor& colour) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(page);
    SetColours(*panel, colour, Qt::white);
    layout->addWidget(panel);
    return panel;
}

} // namespace

void TfMidi::CreateComponents() {
    CreateFrontPanel();
    CreatePageControl();
    CreateEditPage();
    CreateMidiPage();
    CreateLibPage();
}

void TfMidi::CreateFrontPanel() {
    Wallpaper1 = new TWallpaper(this);
    Wallpaper1->setObjectName(QStringLiteral("Wallpaper1"));
    Wallpaper1->setGeometry(rect());
    Wallpaper1->LoadWallpaperJpeg(ReadResource(QStringLiteral(":/assets/front_panel.jpg")));

    for (const PanelLabel& place : kPanelLabels) {
        QLabel* label =
            NewLabel(Wallpaper1, place.name, QString::fromUtf8(place.text), place.left, place.top);
        if (place.kind == LabelKind::Caption) {
            label->setFont(PanelFont(kCaptionPoints, true));
            SetColours(*label, Qt::white, Qt::black);
        } else {
            label->setFont(PanelFont(kValuePoints, true));
            SetColours(*label, kNavy, kYellow);
            if (place.kind == LabelKind::CentredValue)
                label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        }
        label->adjustSize();
        this->*place.member = label;
    }

    sbDonate = new QToolButton(Wallpaper1);
    sbDonate->setObjectName(QStringLiteral("sbDonate"));
    sbDonate->setGeometry(768, 727, 98, 33);
    sbDonate->setAutoRaise(true);
    sbDonate->setIcon(QIcon(QPixmap(QStringLiteral(":/assets/donate.bmp"))));
    sbDonate->setIconSize(QSize(93, 27));
    sbDonate->setCursor(Qt::PointingHandCursor);
    connect(sbDonate, &QToolButton::clicked, this, &TfMidi::sbDonateClick);
}

void TfMidi::CreatePageControl() {
    pcGraphMidi = new QTabWidget(Wallpaper1);
    pcGraphMidi->setObjectName(QStringLiteral("pcGraphMidi"));
    pcGraphMidi->setGeometry(734, 53, 199, 677);
    pcGraphMidi->setDocumentMode(true);
    // The tab row has the window's face behind it, not the panel picture.
    pcGraphMidi->setAutoFillBackground(true);
    // Tabs drawn as flat buttons, each 55 wide.
    pcGraphMidi->setStyleSheet(QStringLiteral(
        "QTabBar::tab { width: 55px; padding: 3px 0px; margin-right: 2px;"
        " border: 1px solid #808080; background: palette(button); }"
        "QTabBar::tab:selected { border: 1px solid #404040; background: palette(light); }"));
    QTabBar* tabs = pcGraphMidi->tabBar();
    tabs->setFont(PanelFont(kValuePoints, true));
    tabs->setDrawBase(false);

    tsEdit = new QWidget;
    tsEdit->setObjectName(QStringLiteral("tsEdit"));
    tsMidi = new QWidget;
    tsMidi->setObjectName(QStringLiteral("tsMidi"));
    tsPatches = new QWidget;
    tsPatches->setObjectName(QStringLiteral("tsPatches"));
    pcGraphMidi->addTab(tsEdit, QStringLiteral("Edit"));
    pcGraphMidi->addTab(tsMidi, QStringLiteral("Midi"));
    const int lib = pcGraphMidi->addTab(tsPatches, QStringLiteral("Lib"));
    for (int i = 0; i < pcGraphMidi->count(); ++i)
        tabs->setTabTextColor(i, kNavy);
    // The patch library was never finished: its page stays disabled and its tab hidden.
    tsPatches->setEnabled(false);
    pcGraphMidi->setTabEnabled(lib, false);
    pcGraphMidi->setTabVisible(lib, false);
}

void TfMidi::CreateEditPage() {
    QFrame* panel = FillPageWithPanel(tsEdit, Qt::black);
    panel->setObjectName(QStringLiteral("pnEdit"));

    struct Caption {
        const char* name;
        const char* text;
        int top;
    };
    const Caption captions[] = {{"lcOsc1", "Osc 1", 26},
                                {"lcOsc2", "Osc 2", 150},
                                {"lcVCF", "VCF", 359},
                                {"lcVCA", "VCA", 502}};
    for (const Caption& caption : captions) {
        QLabel* label =
            NewLabel(panel, caption.name, QString::fromLatin1(caption.text), 6, caption.top);
        label->setFont(PanelFont(kCaptionPoints, true));
        SetTextColour(*label, QPalette::WindowText, kYellow);
        label->adjustSize();
    }

    const QImage strip(QStringLiteral(":/assets/waveforms.bmp"));
    auto newOscillator = [&](const char* name, int top) {
        auto* picture = new Tmbgrafsw(panel);
        picture->setObjectName(QString::fromLatin1(name));
        picture->setGeometry(4, top, 182, 105);
        picture->SetBitmap(strip);
        picture->SetAutoSize(true);
        picture->SetGlyph(8);
        picture->SetState(5);
        return picture;
    };
    gOsc1 = newOscillator("gOsc1", 46);
    gOsc2 = newOscillator("gOsc2", 170);

    auto newEnvelope = [&](const char* name, int top, int height) {
        auto* graph = new Tmbadsr2(panel);
        graph->setObjectName(QString::fromLatin1(name));
        graph->setGeometry(5, top, 178, height);
        graph->SetMax(32);
        graph->SetAlwayDetect(true);
        graph->SetFillEnabled(true);
        graph->SetGradientEnabled(true);
        graph->SetGradientNbOfColors(64);
        graph->SetGradientType(gr2TopToBottom);
        graph->SetMarkerColor(kAqua);
        graph->SetShowVLines(true);
        graph->setFocusPolicy(Qt::TabFocus);
        return graph;
    };
    VCFadsr = newEnvelope("VCFadsr", 379, 117);
    VCAadsr = newEnvelope("VCAadsr", 522, 112);
}

void TfMidi::CreateMidiPage() {
    QFrame* panel = FillPageWithPanel(tsMidi, kNavy);
    panel->setObjectName(QStringLiteral("pnMidi"));

    auto newCaption = [&](const char* name, const char* text, int top) {
        QLabel* label = NewLabel(panel, name, QString::fromLatin1(text), 7, top);
        label->setFont(PanelFont(kCaptionPoints, false));
        SetTextColour(*label, QPalette::WindowText, kYellow);
        label->adjustSize();
        return label;
    };
    auto newList = [&](const char* name, int left, int top) {
        auto* list = new QListWidget(panel);
        list->setObjectName(QString::fromLatin1(name));
        list->setGeometry(left, top, 179, 113);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setFont(PanelFont(8, false));
        SetTextColour(*list, QPalette::Text, kNavy);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setTextElideMode(Qt::ElideRight);
        list->setItemDelegate(new WholeNameTips(list));
        return list;
    };
    auto newButton = [&](const char* name, const char* text, int top) {
        auto* button = new QPushButton(QString::fromLatin1(text), panel);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(9, top, 159, 29);
        button->setFont(PanelFont(kCaptionPoints, false));
        SetTextColour(*button, QPalette::ButtonText, kNavy);
        return button;
    };

    Label1 = newCaption("Label1", "From <- DW6000 ", 8);
    lbMidiIn = newList("lbMidiIn", 2, 24);
    Label2 = newCaption("Label2", "To -> DW6000", 142);
    lbMidiOut = newList("lbMidiOut", 3, 158);
    Label3 = newCaption("Label3", "From <- BCR", 274);
    lbCtrlIn = newList("lbCtrlIn", 3, 292);
    Label6 = newCaption("Label6", "To -> BCR", 410);
    lbCtrlOut = newList("lbCtrlOut", 3, 428);
    bGetPatch = newButton("bGetPatch", "Get Patch From DW6000", 542);
    bLoadBCR = newButton("bLoadBCR", "Send Sysex to  BCR", 571);
    bLoadBCR->hide();
}

void TfMidi::CreateLibPage() {
    lbLib = new QListWidget(tsPatches);
    lbLib->setObjectName(QStringLiteral("lbLib"));
    lbLib->setGeometry(3, 8, 179, 480);
    ePatchName = new QLineEdit(QStringLiteral("Write name, press save"), tsPatches);
    ePatchName->setObjectName(QStringLiteral("ePatchName"));
    ePatchName->setGeometry(3, 496, 179, 21);
    bSavePatch = new QPushButton(QStringLiteral("Save Patch"), tsPatches);
    bSavePatch->setObjectName(QStringLiteral("bSavePatch"));
    bSavePatch->setGeometry(3, 524, 100, 25);
    connect(bSavePatch, &QPushButton::clicked, this, &TfMidi::bSavePatchClick);
}
