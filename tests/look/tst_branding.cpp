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
    record.ProductName = QStringLiteral("Product X");
    record.CompanyName = QStringLiteral(" Company Y ");
    record.Comments = QStringLiteral("www.company-y.example");
    platform().version = record;

    SetBranding();

    const BrandingValues &branding = programValues().Branding;
    QCOMPARE(branding.ProgramName, QStringLiteral("Product X"));
    QCOMPARE(branding.CompanyName, QStringLiteral(" Company Y ")); // nothing trimmed
    QCOMPARE(branding.CompanyWebsite, QStringLiteral("www.company-y.example"));
    QVERIFY(branding.SkinOn);
    QVERIFY(branding.BannerOn);
}

void tst_branding::pageAddressesAreFixed() {
    test::FakePlatform fake;
    QVERIFY(!programValues().Branding.SkinOn); // off before the first call
    SetBranding();
    const BrandingValues &branding = programValues().Branding;
    QCOMPARE(branding.AdServerPage, VersionRecord::vendorServer() + QStringLiteral("/adserver.asp"));
    QCOMPARE(branding.ProductPage, VersionRecord::vendorServer() + QStringLiteral("/showsoftware2.asp?soft_id=17"));
    QVERIFY(branding.AdServerPage.startsWith(QStringLiteral("http://")));
    QCOMPARE(platform().version.ProductName, QStringLiteral("Varnook"));
    QCOMPARE(branding.ProgramName, QStringLiteral("Varnook"));
    QCOMPARE(branding.CompanyName, QStringLiteral("Quillmere"));
}

void tst_branding::emptyStringsGiveEmptyValues() {
    test::FakePlatform fake;
    platform().version.Comments.clear();
    platform().version.CompanyName.clear();
    SetBranding();
    QVERIFY(programValues().Branding.CompanyWebsite.isEmpty());
    QVERIFY(programValues().Branding.CompanyName.isEmpty());
    QCOMPARE(programValues().Branding.ProgramName, QStringLiteral("Varnook"));
}

void tst_branding::secondCallLeavesTheSameValues() {
    test::FakePlatform fake;
    SetBranding();
    const BrandingValues first = programValues().Branding;
    SetBranding();
    const BrandingValues &second = programValues().Branding;
    QCOMPARE(second.ProgramName, first.ProgramName);
    QCOMPARE(second.CompanyName, first.CompanyName);
    QCOMPARE(second.CompanyWebsite, first.CompanyWebsite);
    QCOMPARE(second.SkinOn, first.SkinOn);
    QCOMPARE(second.BannerOn, first.BannerOn);
    QCOMPARE(second.AdServerPage, first.AdServerPage);
    QCOMPARE(second.ProductPage, first.ProductPage);
}

QTEST_GUILESS_MAIN(tst_branding)
#include "tst_branding.moc"
