#include "Branding.h"

#include <QtTest>

using namespace varnook;

class tst_branding : public QObject {
    Q_OBJECT

private slots:
    void valuesComeFromTheVersionRecord();
    void pageAddressesAreFixed();
    void emptyStringsGiveEmptyValues();
};

void tst_branding::valuesComeFromTheVersionRecord() {
    VersionRecord record;
    record.productName = QStringLiteral("Product X");
    record.companyName = QStringLiteral(" Company Y ");
    record.comments = QStringLiteral("www.company-y.example");

    const Branding branding = Branding::fromVersion(record);
    QCOMPARE(branding.programName, QStringLiteral("Product X"));
    QCOMPARE(branding.companyName, QStringLiteral(" Company Y ")); // nothing trimmed
    QCOMPARE(branding.companyWebsite, QStringLiteral("www.company-y.example"));
    QVERIFY(branding.skinOn);
    QVERIFY(branding.bannerOn);
}

void tst_branding::pageAddressesAreFixed() {
    const Branding branding = Branding::fromVersion(VersionRecord::builtIn());
    QCOMPARE(branding.adServerPage, VersionRecord::vendorServer() + QStringLiteral("/adserver.asp"));
    QCOMPARE(branding.productPage, VersionRecord::vendorServer() + QStringLiteral("/showsoftware2.asp?soft_id=17"));
    // A default build serves the vendor's pages itself; one with real hosts reaches them on the web.
    QCOMPARE(branding.adServerPage.section(QStringLiteral("://"), 1),
             QStringLiteral("ads.quillmere.example/adserver.asp"));
    QVERIFY(QStringList({QStringLiteral("varnook"), QStringLiteral("https"), QStringLiteral("http")})
                .contains(branding.productPage.section(QStringLiteral("://"), 0, 0)));
    QCOMPARE(branding.programName, QStringLiteral("Varnook"));
    QCOMPARE(branding.companyName, QStringLiteral("Quillmere"));
}

void tst_branding::emptyStringsGiveEmptyValues() {
    VersionRecord record = VersionRecord::builtIn();
    record.comments.clear();
    record.companyName.clear();
    const Branding branding = Branding::fromVersion(record);
    QVERIFY(branding.companyWebsite.isEmpty());
    QVERIFY(branding.companyName.isEmpty());
    QCOMPARE(branding.programName, QStringLiteral("Varnook"));
}

QTEST_GUILESS_MAIN(tst_branding)
#include "tst_branding.moc"
