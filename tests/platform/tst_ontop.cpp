#include "OnTop.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

using namespace varnook;

class tst_OnTop : public QObject {
    Q_OBJECT

private slots:
    void setsTheStackingFromEitherState_data();
    void setsTheStackingFromEitherState();
    void keepsPlaceAndSize();
    void hiddenWindowStaysHidden();
    void activatesTheWindow();
    void keepsTheOtherFlags();
};

void tst_OnTop::setsTheStackingFromEitherState_data() {
    QTest::addColumn<bool>("onTop");
    QTest::newRow("on top") << true;
    QTest::newRow("normal") << false;
}

void tst_OnTop::setsTheStackingFromEitherState() {
    QFETCH(bool, onTop);
    for (const bool startOnTop : {false, true}) {
        QWidget window;
        window.setWindowFlag(Qt::WindowStaysOnTopHint, startOnTop);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        setOnTop(&window, onTop);
        QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        QVERIFY(window.isVisible());
    }
}

void tst_OnTop::keepsPlaceAndSize() {
    QWidget window;
    window.setGeometry(140, 120, 320, 210);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.geometry();
    setOnTop(&window, true);
    QCOMPARE(window.geometry(), before);
    QVERIFY(window.isVisible());
    setOnTop(&window, false);
    QCOMPARE(window.geometry(), before);
    QVERIFY(window.isVisible());
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void tst_OnTop::hiddenWindowStaysHidden() {
    QWidget window;
    window.resize(200, 100);
    setOnTop(&window, true);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!window.isVisible());
    QCOMPARE(window.size(), QSize(200, 100));
    setOnTop(nullptr, true); // no window: nothing to do
}

void tst_OnTop::activatesTheWindow() {
    QWidget window;
    window.setGeometry(100, 100, 200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget other;
    other.setGeometry(400, 100, 200, 100);
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    setOnTop(&window, true);
    QTRY_VERIFY(window.isActiveWindow());
}

void tst_OnTop::keepsTheOtherFlags() {
    QWidget window(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setOnTop(&window, true);
    setOnTop(&window, false);
    const Qt::WindowFlags flags = window.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
}

QTEST_MAIN(tst_OnTop)
#include "tst_ontop.moc"
