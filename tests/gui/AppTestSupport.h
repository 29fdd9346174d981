#pragma once

#include "Branding.h"
#include "EntryListView.h"
#include "FakePlatform.h"
#include "MainWindow.h"
#include "Session.h"
#include "StatusBar.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QPointer>
#include <QTest>

namespace varnook::test {

// The data file bytes for a master password and entry lines, as the program writes them.
inline QByteArray scrambled(const QByteArray &plain) {
    QByteArray out = plain;
    for (char &c : out)
        c = char(uchar(c) ^ 0x80);
    return out;
}

inline void writeDataFile(const FakePlatform &fake, const QByteArray &master, const QList<QByteArray> &lines = {}) {
    QByteArray bytes = scrambled(master) + "\r\n";
    for (const QByteArray &line : lines)
        bytes += scrambled(line) + "\r\n";
    bytes += "\r\n";
    QFile file(fake.dataFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

inline QByteArray readDataFile(const FakePlatform &fake) {
    QFile file(fake.dataFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The main window as the start-up shows it, on a data file with the master password "secret".
inline MainWindow *openMainWindow(FakePlatform &fake, const QList<QByteArray> &lines) {
    writeDataFile(fake, "secret", lines);
    fake.dialogs.answerInput(QStringLiteral("secret"));
    SetBranding();
    MainWindow *main = loadForm<MainWindow>();
    if (main)
        main->show();
    return main;
}

// Destroys every window a test left behind, including those already unloaded.
inline void destroyAllWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->parentWidget()) // menus and popups go with their owners
            windows.append(window);
    }
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
}

} // namespace varnook::test
