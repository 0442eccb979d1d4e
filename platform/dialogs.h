#pragma once
// Every dialog the program shows goes through this one interface, so tests can replace
// it with a scripted one that records what was shown and answers as told.
#include <QString>

enum class DialogType { Error, Warning };
enum class DialogButtons { Ok, YesNo };
enum class DialogAnswer { Ok, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message dialog; returns the button pressed (No when a Yes/No question is
    // closed without an answer).
    virtual DialogAnswer MessageDlg(const QString& text, DialogType type,
                                    DialogButtons buttons) = 0;
    // A plain message box whose caption is the application title.
    virtual void ShowMessage(const QString& text) = 0;
    // The application's error box for an exception that reached the event loop.
    virtual void ShowErrorBox(const QString& message) = 0;
};

// The real dialogs, as modal QMessageBoxes over the active window.
class QtDialogs : public Dialogs {
public:
    DialogAnswer MessageDlg(const QString& text, DialogType type, DialogButtons buttons) override;
    void ShowMessage(const QString& text) override;
    void ShowErrorBox(const QString& message) override;
};
