// The program: set the title, create the main window, run until it closes.
#include "app/tf_midi.h"
#include "platform/midi_services/rtmidi_services.h"
#include "platform/shell/application.h"
#include "platform/shell/dialogs.h"
#include "platform/shell/terminate_signals.h"

#include <QDir>
#include <QFileInfo>

#include <exception>

int main(int argc, char** argv) {
    // The program takes no command-line options: Qt sees the program name only.
    (void)argc;
    int qtArgc = 1;
    QtDialogs dialogs;
    Application application(qtArgc, argv, dialogs);
    try {
        application.SetTitle(QStringLiteral("Quorvin"));
        RtMidiServices midiServices;
        const QString exeFolder = QFileInfo(Application::ExeName()).absolutePath();
        TfMidi window(TfMidiServices{dialogs, midiServices, exeFolder, QDir::currentPath()});
#ifndef _WIN32
        TerminateSignals terminateSignals(window);
#endif
        window.show();
        application.Run();
    } catch (const std::exception& error) {
        application.ShowException(QString::fromUtf8(error.what()));
    } catch (...) {
        application.ShowException(QStringLiteral("Unknown error"));
    }
    return 0;
}
