#pragma once
// Every dialog the program shows goes through this one interface, so tests can replace
// it with a scripted one that records what was shown and answers as told.
#include <QString>

#include <exception>

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

// The message of an exception as the error box shows it ("Unknown error" for one that
// is not a std::exception).
QString ExceptionMessage(const std::exception_ptr& error);

// The one road to the error box for an exception that ended an event handler.
void ShowException(Dialogs& dialogs, const std::exception_ptr& error);

// Wraps an event handler that is connected to a signal: an exception it raises ends
// the handler and reaches the error box here, so it never unwinds through Qt's signal
// code (which is not built to be unwound through). The dialogs must outlive the
// connection.
template <typename Handler> auto Guarded(Dialogs& dialogs, Handler handler) {
    return [&dialogs, handler](auto&&...) {
        try {
            handler();
        } catch (...) {
            ShowException(dialogs, std::current_exception());
        }
    };
}
