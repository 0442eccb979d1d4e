#include "app/tf_midi.h"

#include "platform/shell/dialogs.h"
#include "platform/shell/ini_file.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include <exception>

// The pictures are compiled in as resources of a static library; registering them here
// keeps the linker from dropping them.
static void RegisterAssets() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(window_assets);
        return true;
    }();
    (void)registered;
}

TfMidi* fMidi = nullptr;

namespace {
const char* const kDonationPage = "https://quorvin.org/donate";
constexpr int kClientWidth = 946;
constexpr int kClientHeight = 758;
} // namespace

QString IniFileNameFor(const QString& executablePath) {
    const QFileInfo info(executablePath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot > 0 ? name.left(dot) : name) + QStringLiteral(".INI");
}

TfMidi::TfMidi(const TfMidiServices& services_, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services(services_) {
    RegisterAssets();
    fMidi = this;
    setObjectName(QStringLiteral("fMidi"));
    setWindowTitle(QStringLiteral("Quorvin"));
    setFixedSize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    CreateComponents();
    CreatePorts();
    ConnectPortLists();
    ConnectSynthControls();
    FormCreate();
}

TfMidi::~TfMidi() {
    // Shut-down writes the settings file; a failure there must not end the program
    // with an exception out of a destructor.
    try {
        FormDestroy();
    } catch (const std::exception& error) {
        services.dialogs.ShowErrorBox(QString::fromUtf8(error.what()));
    }
    fMidi = nullptr;
}

void TfMidi::sbDonateClick() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kDonationPage)));
}

// The patch library behind the hidden "Lib" page was never built; its button does nothing.
void TfMidi::bSavePatchClick() {}
