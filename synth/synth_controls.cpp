// The window's controls of the synthesizer link: the "Get Patch From DW6000" button and
// the "Randomise" label on the panel photograph.
#include "app/tf_midi.h"
#include "platform/shell/dialogs.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <functional>

namespace {

// A label has no click of its own: a left button released over the label counts as
// one, as for a button.
class LabelClick : public QObject {
public:
    LabelClick(QLabel* label, std::function<void()> onClick_)
        : QObject(label), onClick(std::move(onClick_)) {
        label->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const auto* label = static_cast<QLabel*>(watched);
            if (mouse->button() == Qt::LeftButton &&
                label->rect().contains(mouse->position().toPoint())) {
                onClick();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onClick;
};

} // namespace

void TfMidi::ConnectSynthControls() {
    connect(bGetPatch, &QPushButton::clicked, this,
            Guarded(services.dialogs, [this] { bGetPatchClick(); }));
    new LabelClick(Label17, Guarded(services.dialogs, [this] { Label17Click(); }));
}
