#include "FakePlatform.h"
#include "FileHelpers.h"
#include "Messages.h"

#include <QDir>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

class tst_Messages : public QObject {
    Q_OBJECT

private slots:
    void saveFailedSaysWhatTheDiskHolds_data();
    void saveFailedSaysWhatTheDiskHolds();
};

void tst_Messages::saveFailedSaysWhatTheDiskHolds_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<QString>("state");
    QTest::newRow("the old file is there")
        << QStringLiteral("data.enc") << true << false << QStringLiteral("The file keeps its previous contents.");
    QTest::newRow("the new contents were put in place")
        << QStringLiteral("data.enc") << true << true << QStringLiteral("The file holds the new contents.");
    QTest::newRow("the file is gone") << QStringLiteral("data.enc") << false << false
                                      << QStringLiteral("There is no data file in its folder any more.");
    QTest::newRow("the folder is gone") << QStringLiteral("gone/data.enc") << false << false
                                        << QStringLiteral(
                                               "Its folder no longer exists, so there is no data file any more.");
}

void tst_Messages::saveFailedSaysWhatTheDiskHolds() {
    QFETCH(QString, name);
    QFETCH(bool, fileThere);
    QFETCH(bool, replaced);
    QFETCH(QString, state);
    FakePlatform fake;
    const QString path = QDir(fake.programFolder()).filePath(name);
    if (fileThere)
        writeBytes(path, "\r\n");
    QCOMPARE(Messages::saveFailed(path, QStringLiteral("Disk error"), replaced),
             QStringLiteral("The data file could not be saved:\n") + QDir::toNativeSeparators(path) +
                 QStringLiteral("\n\nDisk error\n\n") + state +
                 QStringLiteral(" The change stays in the list and is saved again with the next change."));
}

QTEST_GUILESS_MAIN(tst_Messages)
#include "tst_messages.moc"
