#include "OnTop.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

using namespace varnook;

class tst_OnTop : public QObject {
    Q_OBJECT

private slots:
    void onlyMinusOneKeepsOnTop_data();
    void onlyMinusOneKeepsOnTop();
    void keepsPlaceAndSize();
    void hiddenWindowStaysHidden();
    void activatesTheWindow();
    void keepsTheOtherFlags();
};

void tst_OnTop::onlyMinusOneKeepsOnTop_data() {
    QTest::addColumn<int>("onTop");
    QTest::addColumn<bool>("expected");
    QTest::newRow("true (-1)") << -1 << true;
    QTest::newRow("false (0)") << 0 << false;
    QTest::newRow("1") << 1 << false;
    QTest::newRow("2") << 2 << false;
    QTest::newRow("-2") << -2 << false;
}

void tst_OnTop::onlyMinusOneKeepsOnTop() {
    QFETCH(int, onTop);
    QFETCH(bool, expected);
    for (const bool startOnTop : {false, true}) {
        QWidget window;
        window.setWindowFlag(Qt::WindowStaysOnTopHint, startOnTop);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        setOnTop(&window, onTop);
        QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), expected);
        QVERIFY(window.isVisible());
    }
}

void tst_OnTop::keepsPlaceAndSize() {
    QWidget window;
    window.setGeometry(140, 120, 320, 210);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.geometry();
    setOnTop(&window, -1);
    QCOMPARE(window.geometry(), before);
    QVERIFY(window.isVisible());
    setOnTop(&window, 0);
    QCOMPARE(window.geometry(), before);
    QVERIFY(window.isVisible());
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void tst_OnTop::hiddenWindowStaysHidden() {
    QWidget window;
    window.resize(200, 100);
    setOnTop(&window, -1);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!window.isVisible());
    QCOMPARE(window.size(), QSize(200, 100));
    setOnTop(nullptr, -1); // no window: nothing to do
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
    setOnTop(&window, -1);
    QTRY_VERIFY(window.isActiveWindow());
}

void tst_OnTop::keepsTheOtherFlags() {
    QWidget window(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setOnTop(&window, -1);
    setOnTop(&window, 0);
    const Qt::WindowFlags flags = window.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
}

QTEST_MAIN(tst_OnTop)
#include "tst_ontop.moc"
