#pragma once
// Dialogs for tests: records every dialog shown and answers Yes/No questions from a
// queue, then with the default answer.
#include "platform/shell/dialogs.h"

#include <QString>

#include <deque>
#include <vector>

enum class ShownKind { MessageDialog, PlainMessage, ErrorBox };

struct ShownDialog {
    ShownKind kind;
    DialogType type; // message dialogs only
    DialogButtons buttons;
    QString text;
};

class ScriptedDialogs : public Dialogs {
public:
    std::vector<ShownDialog> shown;
    std::deque<DialogAnswer> answers;
    DialogAnswer defaultAnswer = DialogAnswer::No;

    DialogAnswer MessageDlg(const QString& text, DialogType type, DialogButtons buttons) override {
        shown.push_back({ShownKind::MessageDialog, type, buttons, text});
        if (buttons == DialogButtons::Ok)
            return DialogAnswer::Ok;
        if (answers.empty())
            return defaultAnswer;
        const DialogAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowMessage(const QString& text) override {
        shown.push_back({ShownKind::PlainMessage, DialogType::Error, DialogButtons::Ok, text});
    }
    void ShowErrorBox(const QString& message) override {
        shown.push_back({ShownKind::ErrorBox, DialogType::Error, DialogButtons::Ok, message});
    }

    void Clear() {
        shown.clear();
        answers.clear();
    }
};
