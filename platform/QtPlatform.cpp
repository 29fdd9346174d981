#include "QtPlatform.h"

#include "ProgramFolders.h"

#include <QApplication>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace varnook {

namespace {

// The program's icon in the boxes' title bars, drawn at 256 and at 512 pixels.
QIcon boxIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/varnook/boxes/icon.png"), QSize(256, 256));
    icon.addFile(QStringLiteral(":/varnook/boxes/icon@2x.png"), QSize(512, 512));
    return icon;
}

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQt(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Retry:
        return QMessageBox::Retry;
    case MessageAnswer::CloseWithoutSaving:
    case MessageAnswer::KeepBoth:
    case MessageAnswer::KeepMine:
    case MessageAnswer::KeepTheirs:
    case MessageAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// Wide enough for the whole title in the frame, narrow enough for a small screen: long prompts wrap.
constexpr int InputBoxMinWidth = 360;
constexpr int InputBoxMaxWidth = 600;

void fitInputBoxToText(QInputDialog &dialog, const QString &title) {
    (void)dialog.okButtonText(); // makes the dialog build its label and layout now, not when it shows
    if (!dialog.layout())
        return;
    if (auto *label = dialog.findChild<QLabel *>()) {
        label->setTextFormat(Qt::PlainText); // a product name is never read as markup
        label->setWordWrap(true);
    }
    dialog.layout()->setSizeConstraint(QLayout::SetDefaultConstraint); // else the layout sets the width
    // Room for the title beside the frame's own buttons, which the window manager draws.
    const int titleWidth = dialog.fontMetrics().horizontalAdvance(title) + 160;
    const int width = std::clamp(std::max(dialog.sizeHint().width(), titleWidth), InputBoxMinWidth, InputBoxMaxWidth);
    dialog.setFixedWidth(width);
    dialog.adjustSize(); // the wrapped prompt's height at that width
}

} // namespace

MessageAnswer QtDialogs::messageBox(const MessageBoxRequest &request) {
    QMessageBox box(toQt(request.icon), request.title, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QAbstractButton *closeWithoutSaving = nullptr;
    QAbstractButton *keepBoth = nullptr;
    QAbstractButton *keepMine = nullptr;
    QAbstractButton *keepTheirs = nullptr;
    switch (request.buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::RetryCloseWithoutSaving:
        // No escape button: Escape and the close box do nothing, so no change is lost by accident.
        box.setStandardButtons(QMessageBox::Retry);
        closeWithoutSaving = box.addButton(QStringLiteral("Close without saving"), QMessageBox::DestructiveRole);
        break;
    case MessageButtons::KeepBothMineTheirs:
        keepBoth = box.addButton(QStringLiteral("Keep Both"), QMessageBox::AcceptRole);
        keepMine = box.addButton(QStringLiteral("Keep Mine"), QMessageBox::AcceptRole);
        keepTheirs = box.addButton(QStringLiteral("Keep the File's"), QMessageBox::AcceptRole);
        box.setEscapeButton(keepBoth);
        box.setDefaultButton(qobject_cast<QPushButton *>(keepBoth));
        break;
    }
    if (request.buttons != MessageButtons::KeepBothMineTheirs)
        box.setDefaultButton(toQt(request.defaultButton));
    const int answer = box.exec();
    if (closeWithoutSaving && box.clickedButton() == closeWithoutSaving)
        return MessageAnswer::CloseWithoutSaving;
    if (request.buttons == MessageButtons::KeepBothMineTheirs) {
        if (box.clickedButton() == keepMine)
            return MessageAnswer::KeepMine;
        if (box.clickedButton() == keepTheirs)
            return MessageAnswer::KeepTheirs;
        return MessageAnswer::KeepBoth;
    }
    switch (answer) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    default:
        return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
}

QString QtDialogs::inputBox(const QString &prompt, const QString &title, bool masked) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setWindowIcon(boxIcon());
    dialog.setLabelText(prompt);
    dialog.setTextEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
    dialog.setInputMode(QInputDialog::TextInput);
    fitInputBoxToText(dialog, title);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

void QtDialogs::waitFor(const QString &text, const QString &title, const std::function<void()> &work) {
    QProgressDialog box(text, QString(), 0, 0, QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setWindowIcon(boxIcon());
    box.setWindowModality(Qt::ApplicationModal);
    box.setCancelButton(nullptr);
    box.setMinimumDuration(0);
    // Nothing the user can do cuts the work short: the box stays until it is done.
    box.setWindowFlag(Qt::WindowCloseButtonHint, false);
    runOffThread(work, [&box] { box.show(); });
}

void QtProcessControl::endProgram(int exitCode) {
    // Every change was saved when it was made; hide the windows and leave the event loop so that
    // the web engine shuts down in order.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        window->hide();
    QCoreApplication::exit(exitCode);
}

bool QtLauncher::startDetached(const QString &program, const QStringList &arguments) {
    return QProcess::startDetached(program, arguments);
}

void installDesktopPlatform() {
    static QtDialogs dialogs;
    static QtProcessControl process;
    static QtLauncher launcher;
    Platform &p = platform();
    p.dialogs = &dialogs;
    p.process = &process;
    p.launcher = &launcher;
    const ProgramFolders folders = ProgramFolders::forExecutableIn(QCoreApplication::applicationDirPath());
    p.programFolder = folders.programFolder;
    p.dataFolder = folders.dataFolder;
    p.version = VersionRecord::builtIn();
}

} // namespace varnook
