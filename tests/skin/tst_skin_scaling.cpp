#include "AboutWindow.h"
#include "Branding.h"
#include "Design.h"
#include "SkinEngine.h"
#include "SkinLabel.h"
#include "WindowCleanup.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

using namespace varnook;

namespace {

// Whether the label's whole text fits inside it as the label lays it out.
bool textFits(const QLabel *label) {
    const QRect room = label->contentsRect();
    const int flags = int(label->alignment()) | (label->wordWrap() ? int(Qt::TextWordWrap) : 0);
    const QRect needed = label->fontMetrics().boundingRect(room, flags, label->text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

} // namespace

// The skinned windows at 200 % desktop scaling: drawn at full resolution, texts still fitting.
class tst_skin_scaling : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void aboutWindowIsDrawnAtDoubleResolution();
    void everyTextFitsItsLabel();
};

void tst_skin_scaling::cleanup() {
    test::destroyAllWindows();
}

void tst_skin_scaling::aboutWindowIsDrawnAtDoubleResolution() {
    SkinEngine skin;
    auto *about = new AboutWindow(Branding::fromVersion(VersionRecord::builtIn()), VersionRecord::builtIn(), &skin);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QCOMPARE(about->devicePixelRatioF(), 2.0);

    const QPixmap pixmap = about->grab();
    QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    const QImage image = pixmap.toImage();
    QCOMPARE(image.size(), twipsSize(7455, 2925) * 2);

    // The version text is drawn in solid text colour on the window colour at device resolution.
    const QRect versionRect(about->versionLabel()->geometry().topLeft() * 2, about->versionLabel()->size() * 2);
    const QColor text = skin.skin().colour(QStringLiteral("text"));
    int solid = 0;
    for (int y = versionRect.top(); y <= versionRect.bottom(); ++y) {
        for (int x = versionRect.left(); x <= versionRect.right(); ++x)
            solid += image.pixelColor(x, y) == text;
    }
    QVERIFY2(solid >= 60, qPrintable(QString::number(solid))); // "1.0" in 12 pt bold at 200 %
}

void tst_skin_scaling::everyTextFitsItsLabel() {
    SkinEngine skin;
    auto *about = new AboutWindow(Branding::fromVersion(VersionRecord::builtIn()), VersionRecord::builtIn(), &skin);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    const QList<QLabel *> labels = about->findChildren<QLabel *>();
    int checked = 0;
    for (const QLabel *label : labels) {
        if (label->text().isEmpty())
            continue;
        QVERIFY2(textFits(label), qPrintable(label->objectName() + QStringLiteral(": ") + label->text()));
        ++checked;
    }
    QCOMPARE(checked, 12); // 4 skinned labels with texts, 4 plain labels, 4 skinned copies
}

int main(int argc, char *argv[]) {
    // As a desktop set to 200 % would have it; must be in place before the application starts.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    tst_skin_scaling test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_skin_scaling.moc"
