#pragma once

#include "Application.h"
#include "ControlArray.h"
#include "EntryListView.h"
#include "FakePlatform.h"
#include "MainWindow.h"
#include "Session.h"
#include "StatusLine.h"
#include "WindowCleanup.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QPointer>

#include <QTest>
#include <memory>

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

// The program of the running test: the owner of its session and windows.
inline std::unique_ptr<Application> &testApplication() {
    static std::unique_ptr<Application> application;
    return application;
}

// A new program for the test, in place of the last one.
inline Application &newApplication() {
    testApplication() = std::make_unique<Application>();
    return *testApplication();
}

// The main window as the start-up shows it, on a data file with the master password "secret".
inline MainWindow *openMainWindow(FakePlatform &fake, const QList<QByteArray> &lines) {
    writeDataFile(fake, "secret", lines);
    fake.dialogs.answerInput(QStringLiteral("secret"));
    return newApplication().openMainWindow();
}

inline Application &application() {
    return *testApplication();
}

// Ends the test's program and destroys every window it left behind.
inline void closeApplication() {
    testApplication().reset();
    destroyAllWindows();
}

} // namespace varnook::test
