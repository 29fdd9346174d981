#include "AboutWindow.h"
#include "Branding.h"
#include "ControlArray.h"
#include "Design.h"
#include "PictureBox.h"
#include "SkinEngine.h"
#include "SkinLabel.h"
#include "WindowCleanup.h"

#include <QtTest>

#include <memory>

using namespace varnook;

namespace {

// The About window as its owner opens it.
std::unique_ptr<AboutWindow> openAbout(const VersionRecord &record, const SkinEngine *skin = nullptr) {
    return std::make_unique<AboutWindow>(Branding::fromVersion(record), record, skin);
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
};

void tst_about::cleanup() {
    test::destroyAllWindows();
}

void tst_about::titleAndTextsComeFromTheVersionRecord() {
    const auto about = openAbout(VersionRecord::builtIn());
    QCOMPARE(about->windowTitle(), QStringLiteral("About Varnook"));
    QCOMPARE(about->productLabel()->text(), QStringLiteral("Varnook"));
    QCOMPARE(about->versionLabel()->text(), QStringLiteral("1.0"));
    QCOMPARE(about->companyLabel()->text(), QStringLiteral("Quillmere"));
    QCOMPARE(about->websiteLabel()->text(), VersionRecord::builtIn().comments);
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
    VersionRecord record = VersionRecord::builtIn();
    record.major = major;
    record.minor = minor;
    record.patch = 7;
    record.tweak = 9;
    const auto about = openAbout(record);
    QCOMPARE(about->versionLabel()->text(), shown);
}

void tst_about::emptyWebAddressLeavesTheRowEmpty() {
    VersionRecord record = VersionRecord::builtIn();
    record.comments.clear();
    const auto about = openAbout(record);
    QVERIFY(about->websiteLabel()->text().isEmpty());
    QCOMPARE(textOf(about.get(), QStringLiteral("Label4")), QStringLiteral("Website:"));
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
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
    const auto about = openAbout(VersionRecord::builtIn());
    QCOMPARE(about->size(), twipsSize(7455, 2925));
    QCOMPARE(about->minimumSize(), about->maximumSize()); // fixed size

    const QList<QWidget *> found = about->findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    const QWidget *control = found.first();
    QCOMPARE(control->parentWidget(), about.get());
    QCOMPARE(control->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(control->font().pointSizeF(), pointSize);
    QCOMPARE(control->font().bold(), bold);
    QVERIFY(control->font().families().startsWith(QStringLiteral("Verdana")));
}

void tst_about::withoutSkinThePlainLabelsStay() {
    const auto about = openAbout(VersionRecord::builtIn(), nullptr); // the skin is switched off
    QVERIFY(skinnedCopies(about.get()).isEmpty());
    QVERIFY(SkinEngine::appliedSkin(about.get()).isEmpty());
    QVERIFY(about->styleSheet().isEmpty());
    QCOMPARE(textOf(about.get(), QStringLiteral("Label2")), QStringLiteral("Version:"));
    QCOMPARE(textOf(about.get(), QStringLiteral("Label3")), QStringLiteral("Owned By:"));
    // The skinned labels of the design still show their texts.
    QCOMPARE(about->productLabel()->text(), QStringLiteral("Varnook"));
    QCOMPARE(about->companyLabel()->text(), QStringLiteral("Quillmere"));
    QVERIFY(about->versionLabel()->isVisibleTo(about.get()));
}

void tst_about::withSkinEveryPlainLabelIsCovered() {
    SkinEngine skin;
    const auto about = openAbout(VersionRecord::builtIn(), &skin);
    QCOMPARE(SkinEngine::appliedSkin(about.get()), QStringLiteral("Standard Skin"));

    const QList<SkinLabel *> copies = skinnedCopies(about.get());
    const QStringList plainNames = {QStringLiteral("Label2"), QStringLiteral("Label3"), QStringLiteral("Label4"),
                                    QStringLiteral("Label5")};
    QCOMPARE(copies.size(), plainNames.size());
    for (int i = 0; i < copies.size(); ++i) {
        const auto *plain = about->findChild<QLabel *>(plainNames[i]);
        QCOMPARE(controlIndex(copies[i]), i + 1);
        QCOMPARE(copies[i]->caption(), plain->text());
        QCOMPARE(copies[i]->geometry(), plain->geometry());
        QCOMPARE(copies[i]->font(), plain->font());
        QVERIFY(copies[i]->isVisibleTo(about.get()));
        QVERIFY(plain->isVisibleTo(about.get())); // the plain labels stay
    }
    QCOMPARE(copies[0]->caption(), QStringLiteral("Version:"));
    QCOMPARE(copies[2]->caption(), QStringLiteral("Website:"));
    // The notice and its copy lie below the client area.
    QVERIFY(copies[3]->y() >= about->height());
    // The template stays hidden.
    QVERIFY(!controlElement(about.get(), QStringLiteral("SkinLabel1"), 0)->isVisibleTo(about.get()));
}

void tst_about::everyOpeningMakesNewSkinnedLabels() {
    SkinEngine skin;
    auto first = openAbout(VersionRecord::builtIn(), &skin);
    QCOMPARE(skinnedCopies(first.get()).size(), 4);
    first.reset();

    const auto second = openAbout(VersionRecord::builtIn(), &skin);
    const QList<SkinLabel *> copies = skinnedCopies(second.get());
    QCOMPARE(copies.size(), 4);
    QCOMPARE(controlIndex(copies.first()), 1);
    QCOMPARE(controlIndex(copies.last()), 4);
}

QTEST_MAIN(tst_about)
#include "tst_aboutwindow.moc"
