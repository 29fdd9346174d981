#include "AboutWindow.h"
#include "ControlArray.h"
#include "Design.h"
#include "FakePlatform.h"
#include "PictureBox.h"
#include "ProgramValues.h"
#include "SkinEngine.h"
#include "SkinLabel.h"

#include <QtTest>

using namespace varnook;

namespace {

// What the splash window's load step would have set.
void brandFrom(const VersionRecord &record, bool skinOn) {
    BrandingValues &branding = programValues().Branding;
    branding.programName = record.productName;
    branding.companyName = record.companyName;
    branding.companyWebsite = record.comments;
    branding.skinOn = skinOn;
}

QList<SkinLabel *> skinnedCopies(const QWidget *window) {
    QList<SkinLabel *> copies;
    for (SkinLabel *label : window->findChildren<SkinLabel *>(QStringLiteral("SkinLabel1"))) {
        if (controlIndex(label) > 0)
            copies.append(label);
    }
    std::sort(copies.begin(), copies.end(),
              [](const SkinLabel *a, const SkinLabel *b) { return controlIndex(a) < controlIndex(b); });
    return copies;
}

QString textOf(const QWidget *window, const QString &name) {
    const auto *label = window->findChild<QLabel *>(name);
    return label ? label->text() : QStringLiteral("<missing>");
}

} // namespace

class tst_about : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void titleAndTextsComeFromTheVersionRecord();
    void versionShowsMajorAndMinor_data();
    void versionShowsMajorAndMinor();
    void emptyWebAddressLeavesTheRowEmpty();
    void designMatches_data();
    void designMatches();
    void withoutSkinThePlainLabelsStay();
    void withSkinEveryPlainLabelIsCovered();
    void everyOpeningMakesNewSkinnedLabels();
    void secondOpeningShowsTheSameWindow();
};

void tst_about::cleanup() {
    unloadForm<AboutWindow>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tst_about::titleAndTextsComeFromTheVersionRecord() {
    test::FakePlatform fake;
    brandFrom(platform().version, false);
    AboutWindow *about = loadForm<AboutWindow>();
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QStringLiteral("About Varnook"));
    QCOMPARE(about->productLabel()->text(), QStringLiteral("Varnook"));
    QCOMPARE(about->versionLabel()->text(), QStringLiteral("1.0"));
    QCOMPARE(about->companyLabel()->text(), QStringLiteral("Quillmere"));
    QCOMPARE(about->websiteLabel()->text(), platform().version.comments);
    QVERIFY(!about->websiteLabel()->text().isEmpty());
}

void tst_about::versionShowsMajorAndMinor_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("shown");
    QTest::newRow("1.0.0.0") << 1 << 0 << QStringLiteral("1.0");
    QTest::newRow("2.15") << 2 << 15 << QStringLiteral("2.15");
    QTest::newRow("10.5") << 10 << 5 << QStringLiteral("10.5");
    QTest::newRow("0.0") << 0 << 0 << QStringLiteral("0.0");
}

void tst_about::versionShowsMajorAndMinor() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, shown);
    test::FakePlatform fake;
    VersionRecord &record = platform().version;
    record.major = major;
    record.minor = minor;
    record.patch = 7;
    record.tweak = 9;
    brandFrom(record, false);
    AboutWindow *about = loadForm<AboutWindow>();
    QVERIFY(about);
    QCOMPARE(about->versionLabel()->text(), shown);
}

void tst_about::emptyWebAddressLeavesTheRowEmpty() {
    test::FakePlatform fake;
    platform().version.comments.clear();
    brandFrom(platform().version, false);
    AboutWindow *about = loadForm<AboutWindow>();
    QVERIFY(about);
    QVERIFY(about->websiteLabel()->text().isEmpty());
    QCOMPARE(textOf(about, QStringLiteral("Label4")), QStringLiteral("Website:"));
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
}

void tst_about::designMatches_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Picture1") << "Picture1" << QRect(0, 0, 7515, 1035) << 8.25 << false;
    QTest::newRow("Label1") << "Label1" << QRect(120, 1200, 7095, 435) << 14.25 << true;
    QTest::newRow("Label2") << "Label2" << QRect(180, 1680, 2295, 315) << 12.0 << true;
    QTest::newRow("lblVersion") << "lblVersion" << QRect(2580, 1680, 4635, 315) << 12.0 << true;
    QTest::newRow("Label3") << "Label3" << QRect(180, 2100, 2295, 315) << 12.0 << true;
    QTest::newRow("lblCompany") << "lblCompany" << QRect(2580, 2100, 4635, 315) << 12.0 << true;
    QTest::newRow("Label4") << "Label4" << QRect(180, 2520, 2295, 315) << 12.0 << true;
    QTest::newRow("lblWebsite") << "lblWebsite" << QRect(2580, 2520, 4635, 315) << 12.0 << true;
    QTest::newRow("Label5") << "Label5" << QRect(120, 3300, 7215, 1275) << 8.25 << false;
    QTest::newRow("SkinLabel1") << "SkinLabel1" << QRect(480, 2940, 555, 195) << 8.25 << false;
}

void tst_about::designMatches() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(double, pointSize);
    QFETCH(bool, bold);
    test::FakePlatform fake;
    brandFrom(platform().version, false);
    AboutWindow *about = loadForm<AboutWindow>();
    QVERIFY(about);
    QCOMPARE(about->size(), twipsSize(7455, 2925));
    QCOMPARE(about->minimumSize(), about->maximumSize()); // fixed size

    const QList<QWidget *> found = about->findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    const QWidget *control = found.first();
    QCOMPARE(control->parentWidget(), about);
    QCOMPARE(control->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(control->font().pointSizeF(), pointSize);
    QCOMPARE(control->font().bold(), bold);
    QVERIFY(control->font().families().startsWith(QStringLiteral("Verdana")));
}

void tst_about::withoutSkinThePlainLabelsStay() {
    test::FakePlatform fake;
    SkinEngine skin;
    programValues().SkinRef = &skin; // a skin exists, but the switch is off
    brandFrom(platform().version, false);
    AboutWindow *about = loadForm<AboutWindow>();
    QVERIFY(about);
    QVERIFY(skinnedCopies(about).isEmpty());
    QVERIFY(SkinEngine::appliedSkin(about).isEmpty());
    QVERIFY(about->styleSheet().isEmpty());
    QCOMPARE(textOf(about, QStringLiteral("Label2")), QStringLiteral("Version:"));
    QCOMPARE(textOf(about, QStringLiteral("Label3")), QStringLiteral("Owned By:"));
    // The skinned labels of the design still show their texts.
    QCOMPARE(about->productLabel()->text(), QStringLiteral("Varnook"));
    QCOMPARE(about->companyLabel()->text(), QStringLiteral("Quillmere"));
    QVERIFY(about->versionLabel()->isVisibleTo(about));
}

void tst_about::withSkinEveryPlainLabelIsCovered() {
    test::FakePlatform fake;
    SkinEngine skin;
    programValues().SkinRef = &skin;
    brandFrom(platform().version, true);
    AboutWindow *about = loadForm<AboutWindow>();
    QVERIFY(about);
    QCOMPARE(SkinEngine::appliedSkin(about), QStringLiteral("Standard Skin"));

    const QList<SkinLabel *> copies = skinnedCopies(about);
    const QStringList plainNames = {QStringLiteral("Label2"), QStringLiteral("Label3"), QStringLiteral("Label4"),
                                    QStringLiteral("Label5")};
    QCOMPARE(copies.size(), plainNames.size());
    for (int i = 0; i < copies.size(); ++i) {
        const auto *plain = about->findChild<QLabel *>(plainNames[i]);
        QCOMPARE(controlIndex(copies[i]), i + 1);
        QCOMPARE(copies[i]->Caption(), plain->text());
        QCOMPARE(copies[i]->geometry(), plain->geometry());
        QCOMPARE(copies[i]->font(), plain->font());
        QVERIFY(copies[i]->isVisibleTo(about));
        QVERIFY(plain->isVisibleTo(about)); // the plain labels stay
    }
    QCOMPARE(copies[0]->Caption(), QStringLiteral("Version:"));
    QCOMPARE(copies[2]->Caption(), QStringLiteral("Website:"));
    // The notice and its copy lie below the client area.
    QVERIFY(copies[3]->y() >= about->height());
    // The template stays hidden.
    QVERIFY(!controlElement(about, QStringLiteral("SkinLabel1"), 0)->isVisibleTo(about));
}

void tst_about::everyOpeningMakesNewSkinnedLabels() {
    test::FakePlatform fake;
    SkinEngine skin;
    programValues().SkinRef = &skin;
    brandFrom(platform().version, true);
    AboutWindow *first = loadForm<AboutWindow>();
    QVERIFY(first);
    QCOMPARE(skinnedCopies(first).size(), 4);
    unloadForm<AboutWindow>();
    QVERIFY(!findForm<AboutWindow>());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    AboutWindow *second = loadForm<AboutWindow>();
    QVERIFY(second);
    const QList<SkinLabel *> copies = skinnedCopies(second);
    QCOMPARE(copies.size(), 4);
    QCOMPARE(controlIndex(copies.first()), 1);
    QCOMPARE(controlIndex(copies.last()), 4);
}

void tst_about::secondOpeningShowsTheSameWindow() {
    test::FakePlatform fake;
    SkinEngine skin;
    programValues().SkinRef = &skin;
    brandFrom(platform().version, true);
    AboutWindow *first = loadForm<AboutWindow>();
    first->show();
    AboutWindow *again = loadForm<AboutWindow>();
    QCOMPARE(again, first);
    QCOMPARE(skinnedCopies(again).size(), 4); // the load step did not run again
}

QTEST_MAIN(tst_about)
#include "tst_aboutwindow.moc"
