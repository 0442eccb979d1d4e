#include "platform/shell/dialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// Texts are shown as they are: a device name or an error text must never be read as
// markup.
DialogAnswer Show(QMessageBox::Icon icon, const QString& caption, const QString& text,
                  QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return DialogAnswer::Yes;
    case QMessageBox::Ok:
        return DialogAnswer::Ok;
    default:
        return DialogAnswer::No;
    }
}

QString ApplicationTitle() {
    return QApplication::applicationDisplayName();
}

} // namespace

DialogAnswer QtDialogs::MessageDlg(const QString& text, DialogType type, DialogButtons buttons) {
    const bool error = type == DialogType::Error;
    return Show(error ? QMessageBox::Critical : QMessageBox::Warning,
                error ? QStringLiteral("Error") : QStringLiteral("Warning"), text,
                buttons == DialogButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                : QMessageBox::Ok);
}

void QtDialogs::ShowMessage(const QString& text) {
    Show(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok);
}

void QtDialogs::ShowErrorBox(const QString& message) {
    Show(QMessageBox::Critical, ApplicationTitle(), message, QMessageBox::Ok);
}

QString ExceptionMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& raised) {
        return QString::fromUtf8(raised.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void ShowException(Dialogs& dialogs, const std::exception_ptr& error) {
    dialogs.ShowErrorBox(ExceptionMessage(error));
}
