#include "BrowserLayout.h"

#include <QTest>

using namespace varnook;

// The browser window's layout arithmetic (the height is the window's inside), with the design's places of the address
// box (left 540), Go (width 795) and the page (left 120, top 1140).
class tst_BrowserLayout : public QObject {
    Q_OBJECT

private slots:
    void arrange_data();
    void arrange();
    void noNegativeSizeAtAnyWindowSize_data();
    void noNegativeSizeAtAnyWindowSize();
    void goStaysAfterTheAddressBox();
    void singlePrecision();
};

namespace {
BrowserLayout::Input designInput(float width, float height, float statusBar) {
    BrowserLayout::Input in;
    in.windowWidth = width;
    in.windowHeight = height;
    in.statusBarHeight = statusBar;
    in.addressLeft = 540;
    in.goWidth = 795;
    in.webBrowserLeft = 120;
    in.webBrowserTop = 1140;
    return in;
}
} // namespace

void tst_BrowserLayout::arrange_data() {
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<float>("statusBar");
    // panel 1, panel 2, frame height, frame width, address width, Go left, page width, page height
    QTest::addColumn<QList<float>>("expected");

    QTest::newRow("design size") << 10665.f << 9090.f << 315.f
                                 << QList<float>{5332.5f, 5332.5f, 8775, 10365, 8730, 9370, 10145, 7535};
    QTest::newRow("maximized on 800 by 600")
        << 12000.f << 9000.f << 315.f << QList<float>{6000, 6000, 8685, 11700, 10065, 10705, 11480, 7445};
    QTest::newRow("large screen") << 28800.f << 16200.f << 315.f
                                  << QList<float>{14400, 14400, 15885, 28500, 26865, 27505, 28280, 14645};
    QTest::newRow("odd width") << 4515.f << 4500.f << 315.f
                               << QList<float>{2257.5f, 2257.5f, 4185, 4215, 2580, 3220, 3995, 2945};
    // Where the address box and the page just vanish.
    QTest::newRow("address box just vanishes")
        << 1935.f << 1555.f << 315.f << QList<float>{967.5f, 967.5f, 1240, 1635, 0, 640, 1415, 0};
    // Below those sizes the computed widths and heights would be negative; their absolute values count.
    QTest::newRow("narrower than the address row")
        << 1920.f << 1540.f << 315.f << QList<float>{960, 960, 1225, 1620, 15, 655, 1400, 15};
    QTest::newRow("one pixel") << 15.f << 15.f << 315.f << QList<float>{7.5f, 7.5f, 300, 285, 1350, 1990, 65, 940};
    QTest::newRow("nothing") << 0.f << 0.f << 315.f << QList<float>{0, 0, 315, 300, 1335, 1975, 80, 925};
    QTest::newRow("taller status bar") << 12000.f << 9000.f << 600.f
                                       << QList<float>{6000, 6000, 8400, 11700, 10065, 10705, 11480, 7160};
    QTest::newRow("no status bar") << 12000.f << 9000.f << 0.f
                                   << QList<float>{6000, 6000, 9000, 11700, 10065, 10705, 11480, 7760};
}

void tst_BrowserLayout::arrange() {
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(float, statusBar);
    QFETCH(QList<float>, expected);
    const BrowserLayout out = BrowserLayout::arrange(designInput(width, height, statusBar));
    const QList<float> actual{out.panel1Width,  out.panel2Width, out.frameHeight,     out.frameWidth,
                              out.addressWidth, out.goLeft,      out.webBrowserWidth, out.webBrowserHeight};
    QCOMPARE(actual, expected);
}

void tst_BrowserLayout::noNegativeSizeAtAnyWindowSize_data() {
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    for (float width : {0.f, 15.f, 150.f, 300.f, 1635.f, 1934.f, 1936.f, 3000.f, 12000.f})
        for (float height : {0.f, 15.f, 315.f, 1554.f, 1556.f, 9000.f})
            QTest::addRow("%gx%g", double(width), double(height)) << width << height;
}

void tst_BrowserLayout::noNegativeSizeAtAnyWindowSize() {
    QFETCH(float, width);
    QFETCH(float, height);
    const BrowserLayout out = BrowserLayout::arrange(designInput(width, height, 315));
    for (float size : {out.panel1Width, out.panel2Width, out.frameHeight, out.frameWidth, out.addressWidth,
                       out.webBrowserWidth, out.webBrowserHeight})
        QVERIFY2(size >= 0, qPrintable(QString::number(double(size))));
}

void tst_BrowserLayout::goStaysAfterTheAddressBox() {
    // Go starts 100 twips after the address box and ends 200 short of the frame's right edge.
    const BrowserLayout out = BrowserLayout::arrange(designInput(12000, 9000, 315));
    QCOMPARE(out.goLeft, 540 + out.addressWidth + 100);
    QCOMPARE(out.goLeft + 795 + 200, out.frameWidth);
    // The page ends 100 twips short of the frame's right edge.
    QCOMPARE(120 + out.webBrowserWidth + 100, out.frameWidth);
    // And 100 twips short of its bottom edge.
    QCOMPARE(1140 + out.webBrowserHeight + 100, out.frameHeight);
}

void tst_BrowserLayout::singlePrecision() {
    // At 2^25 twips single precision keeps only even numbers: the address box's width
    // 2^25 - 300 - 540 - 300 - 795 = 33552497 comes out as 33552496, and Go's place follows it.
    // Compared exactly: QCOMPARE would compare two floats only roughly.
    const BrowserLayout out = BrowserLayout::arrange(designInput(33554432.f, 9000, 315));
    QCOMPARE(qint64(out.frameWidth), qint64(33554132));
    QCOMPARE(qint64(out.addressWidth), qint64(33552496));
    QCOMPARE(qint64(out.goLeft), qint64(33553136));
}

QTEST_APPLESS_MAIN(tst_BrowserLayout)
#include "tst_browserlayout.moc"
