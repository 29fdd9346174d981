#include "SoftwareWebViews.h"

#include <QQuickWindow>
#include <QTest>

using namespace varnook;

// Before the application exists, the web views are set to draw in software and the X connection to
// load no OpenGL; afterwards the variable is gone again (programs started from Varnook inherit the
// environment), unless the user had set it: then it is the user's, before and after.
class TestSoftwareWebViews : public QObject {
    Q_OBJECT

private slots:
    void init() { qunsetenv(SoftwareWebViews::GlVariable); }
    void cleanup() { qunsetenv(SoftwareWebViews::GlVariable); }

    void environment_data() {
        QTest::addColumn<bool>("userSets");
        QTest::addColumn<QByteArray>("userValue");
        QTest::addColumn<QByteArray>("whileStarting");
        QTest::addColumn<bool>("setAfterwards");
        QTest::newRow("not set by the user") << false << QByteArray() << QByteArray("none") << false;
        QTest::newRow("set by the user") << true << QByteArray("glx") << QByteArray("glx") << true;
        QTest::newRow("set empty by the user") << true << QByteArray("") << QByteArray("") << true;
    }
    void environment() {
        QFETCH(bool, userSets);
        QFETCH(QByteArray, userValue);
        QFETCH(QByteArray, whileStarting);
        QFETCH(bool, setAfterwards);
        if (userSets)
            qputenv(SoftwareWebViews::GlVariable, userValue);

        const SoftwareWebViews views;
        QCOMPARE(qgetenv(SoftwareWebViews::GlVariable), whileStarting);
        QCOMPARE(QQuickWindow::sceneGraphBackend(), QStringLiteral("software"));
        views.restoreEnvironment();
        QCOMPARE(qEnvironmentVariableIsSet(SoftwareWebViews::GlVariable), setAfterwards);
        QCOMPARE(qgetenv(SoftwareWebViews::GlVariable), userValue);
    }
};

QTEST_GUILESS_MAIN(TestSoftwareWebViews)
#include "tst_softwarewebviews.moc"
