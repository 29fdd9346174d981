#include "Branding.h"
#include "FakePlatform.h"
#include "ProgramValues.h"

#include <QtTest>

using namespace varnook;

class tst_branding : public QObject {
    Q_OBJECT

private slots:
    void valuesComeFromTheVersionRecord();
    void pageAddressesAreFixed();
    void emptyStringsGiveEmptyValues();
    void secondCallLeavesTheSameValues();
};

void tst_branding::valuesComeFromTheVersionRecord() {
    test::FakePlatform fake;
    VersionRecord record;
    record.productName = QStringLiteral("Product X");
    record.companyName = QStringLiteral(" Company Y ");
    record.comments = QStringLiteral("www.company-y.example");
    platform().version = record;

    SetBranding();

    const BrandingValues &branding = programValues().Branding;
    QCOMPARE(branding.programName, QStringLiteral("Product X"));
    QCOMPARE(branding.companyName, QStringLiteral(" Company Y ")); // nothing trimmed
    QCOMPARE(branding.companyWebsite, QStringLiteral("www.company-y.example"));
    QVERIFY(branding.skinOn);
    QVERIFY(branding.bannerOn);
}

void tst_branding::pageAddressesAreFixed() {
    test::FakePlatform fake;
    QVERIFY(!programValues().Branding.skinOn); // off before the first call
    SetBranding();
    const BrandingValues &branding = programValues().Branding;
    QCOMPARE(branding.adServerPage, VersionRecord::vendorServer() + QStringLiteral("/adserver.asp"));
    QCOMPARE(branding.productPage, VersionRecord::vendorServer() + QStringLiteral("/showsoftware2.asp?soft_id=17"));
    QVERIFY(branding.adServerPage.startsWith(QStringLiteral("http://")));
    QCOMPARE(platform().version.productName, QStringLiteral("Varnook"));
    QCOMPARE(branding.programName, QStringLiteral("Varnook"));
    QCOMPARE(branding.companyName, QStringLiteral("Quillmere"));
}

void tst_branding::emptyStringsGiveEmptyValues() {
    test::FakePlatform fake;
    platform().version.comments.clear();
    platform().version.companyName.clear();
    SetBranding();
    QVERIFY(programValues().Branding.companyWebsite.isEmpty());
    QVERIFY(programValues().Branding.companyName.isEmpty());
    QCOMPARE(programValues().Branding.programName, QStringLiteral("Varnook"));
}

void tst_branding::secondCallLeavesTheSameValues() {
    test::FakePlatform fake;
    SetBranding();
    const BrandingValues first = programValues().Branding;
    SetBranding();
    const BrandingValues &second = programValues().Branding;
    QCOMPARE(second.programName, first.programName);
    QCOMPARE(second.companyName, first.companyName);
    QCOMPARE(second.companyWebsite, first.companyWebsite);
    QCOMPARE(second.skinOn, first.skinOn);
    QCOMPARE(second.bannerOn, first.bannerOn);
    QCOMPARE(second.adServerPage, first.adServerPage);
    QCOMPARE(second.productPage, first.productPage);
}

QTEST_GUILESS_MAIN(tst_branding)
#include "tst_branding.moc"
