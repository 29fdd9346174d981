// Draws the Help window with the shipped Help.rtf into a PNG for the README. Not a test: run it by hand,
//   QT_QPA_PLATFORM=offscreen build/tests/gui/help_screenshot docs/help-window.png
#include "FakePlatform.h"
#include "HelpWindow.h"
#include "SkinEngine.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTest>

#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("help-window.png");

    // A program folder and settings of its own, so the user's real settings stay untouched.
    varnook::test::FakePlatform fake;
    if (!QFile::copy(QStringLiteral(VARNOOK_HELP_FILE), QDir(fake.programFolder()).filePath("Help.rtf"))) {
        std::fprintf(stderr, "cannot copy %s\n", VARNOOK_HELP_FILE);
        return 1;
    }
    varnook::SkinEngine skin;
    auto *help = new varnook::HelpWindow(&skin);
    if (!help->load())
        return 1;
    help->show();
    if (!QTest::qWaitForWindowExposed(help))
        return 1;
    QTest::qWait(200);
    if (!help->grab().save(target)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(target));
        return 1;
    }
    std::printf("wrote %s\n", qPrintable(target));
    return 0;
}
