#include "OwnPagesHandler.h"
#include "OwnPagesScheme.h"
#include "UnreachedPage.h"
#include "VersionRecord.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

using namespace varnook;

// The program's own pages without the web engine: which address serves which page, and what the
// page for an unreached address says.
class tst_OwnPages : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void addressesServeTheirPages_data();
    void addressesServeTheirPages();
    void pagesNeedNothingFromOutside_data();
    void pagesNeedNothingFromOutside();
    void unreachedPageNamesAddressAndReason();
    void unreachedPageEscapesWhatItShows_data();
    void unreachedPageEscapesWhatItShows();
};

void tst_OwnPages::initTestCase() {
    if (OwnPagesScheme::hosts().isEmpty())
        QSKIP("This build's pages come from real hosts.");
}

void tst_OwnPages::addressesServeTheirPages_data() {
    const QString vendor = VersionRecord::vendorServer();
    const QString company = QStringLiteral("varnook://") + VersionRecord::builtIn().comments;
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("resource");
    QTest::newRow("banner") << vendor + QStringLiteral("/adserver.asp")
                            << QStringLiteral(":/varnook/pages/banner.html");
    QTest::newRow("product page") << vendor + QStringLiteral("/showsoftware2.asp?soft_id=17")
                                  << QStringLiteral(":/varnook/pages/product.html");
    QTest::newRow("company page") << company + QStringLiteral("/") << QStringLiteral(":/varnook/pages/company.html");
    QTest::newRow("company page, no path") << company << QStringLiteral(":/varnook/pages/company.html");
    QTest::newRow("host in capitals") << vendor.toUpper().replace(QStringLiteral("VARNOOK:"),
                                                                  QStringLiteral("varnook:")) +
                                             QStringLiteral("/adserver.asp")
                                      << QStringLiteral(":/varnook/pages/banner.html");
    QTest::newRow("another product") << vendor + QStringLiteral("/showsoftware2.asp?soft_id=18") << QString();
    QTest::newRow("product without its number") << vendor + QStringLiteral("/showsoftware2.asp") << QString();
    QTest::newRow("banner with a query") << vendor + QStringLiteral("/adserver.asp?x=1") << QString();
    QTest::newRow("path in other case") << vendor + QStringLiteral("/AdServer.asp") << QString();
    QTest::newRow("unknown path") << vendor + QStringLiteral("/banner.html") << QString();
    QTest::newRow("resource path") << vendor + QStringLiteral("/varnook/pages/banner.html") << QString();
    QTest::newRow("walking up") << vendor + QStringLiteral("/../adserver.asp/..") << QString();
    QTest::newRow("another host") << QStringLiteral("varnook://elsewhere.example/adserver.asp") << QString();
    QTest::newRow("a port") << vendor + QStringLiteral(":8080/adserver.asp") << QString();
    QTest::newRow("user info") << QStringLiteral("varnook://me@") + VersionRecord::builtIn().comments +
                                      QStringLiteral("/")
                               << QString();
    QTest::newRow("web scheme") << QStringLiteral("http://") + VersionRecord::builtIn().comments + QStringLiteral("/")
                                << QString();
}

void tst_OwnPages::addressesServeTheirPages() {
    QFETCH(QString, address);
    QFETCH(QString, resource);
    QCOMPARE(OwnPagesHandler::resourceFor(QUrl(address)), resource);
}

void tst_OwnPages::pagesNeedNothingFromOutside_data() {
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QString>("title");
    QTest::newRow("banner") << QStringLiteral(":/varnook/pages/banner.html") << QStringLiteral("Varnook");
    QTest::newRow("product page") << QStringLiteral(":/varnook/pages/product.html")
                                  << QStringLiteral("Varnook - Quillmere");
    QTest::newRow("company page") << QStringLiteral(":/varnook/pages/company.html") << QStringLiteral("Quillmere");
    QTest::newRow("unreached page") << QStringLiteral(":/varnook/pages/unreached.html")
                                    << QStringLiteral("Page not reached");
}

// Every page is complete in itself, named after this build, and asks the engine for nothing more:
// it shows the same with or without network, and also where an error page stood.
void tst_OwnPages::pagesNeedNothingFromOutside() {
    QFETCH(QString, resource);
    QFETCH(QString, title);
    QFile file(resource);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    QVERIFY(page.startsWith(QStringLiteral("<!DOCTYPE html>\n")));
    QVERIFY(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    QCOMPARE(QRegularExpression(QStringLiteral("<title>(.*)</title>")).match(page).captured(1), title);
    // A CSS rule (@media) may hold an "@"; a name the build fills is written @NAME@.
    static const QRegularExpression unfilled(QStringLiteral("@\\w+@"));
    QVERIFY2(!unfilled.match(page).hasMatch(),
             qPrintable("a name left unfilled by the build: " + unfilled.match(page).captured()));
    static const QRegularExpression fetches(QStringLiteral("src\\s*=|href\\s*=|url\\(|@import|<script|<link"),
                                            QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(!fetches.match(page).hasMatch(), qPrintable(fetches.match(page).captured()));
}

void tst_OwnPages::unreachedPageNamesAddressAndReason() {
    const QString page = UnreachedPage::html(QStringLiteral("http://host.example/a"), -105,
                                             QStringLiteral("net::ERR_NAME_NOT_RESOLVED"));
    QVERIFY(page.contains(QStringLiteral("<title>Page not reached</title>")));
    QVERIFY(page.contains(QStringLiteral("<h1>The page could not be reached</h1>\n"
                                         "<p class=\"address\">http://host.example/a</p>\n"
                                         "<p class=\"reason\">The host name could not be found. Either no such host "
                                         "exists or this computer has no connection to the network.</p>\n"
                                         "<p class=\"detail\">(net::ERR_NAME_NOT_RESOLVED, error -105)</p>\n")));
    // An HTTP status without a page: the status, not the engine's text for it.
    QVERIFY(UnreachedPage::html(QStringLiteral("x"), 503, QStringLiteral("<strong jscontent=\"hostName\"></strong>"))
                .contains(QStringLiteral("<p class=\"detail\">(HTTP status 503)</p>")));
    // Without the engine's name for it, the number alone.
    QVERIFY(UnreachedPage::html(QStringLiteral("x"), -7, QString())
                .contains(QStringLiteral("<p class=\"detail\">(error -7)</p>")));
}

void tst_OwnPages::unreachedPageEscapesWhatItShows_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("engineError");
    QTest::addColumn<QString>("shownAddress");
    QTest::addColumn<QString>("shownDetail");
    QTest::newRow("markup in the address")
        << QStringLiteral("http://h.example/<script>alert(1)</script>&a=\"b\"") << QStringLiteral("net::ERR_X")
        << QStringLiteral("http://h.example/&lt;script&gt;alert(1)&lt;/script&gt;&amp;a=&quot;b&quot;")
        << QStringLiteral("net::ERR_X, error -105");
    QTest::newRow("placeholders in the address")
        << QStringLiteral("http://h.example/{{reason}}{{detail}}") << QStringLiteral("net::ERR_X")
        << QStringLiteral("http://h.example/{{reason}}{{detail}}") << QStringLiteral("net::ERR_X, error -105");
    QTest::newRow("markup in the engine's text")
        << QStringLiteral("http://h.example/") << QStringLiteral("<b>bad</b>") << QStringLiteral("http://h.example/")
        << QStringLiteral("&lt;b&gt;bad&lt;/b&gt;, error -105");
}

void tst_OwnPages::unreachedPageEscapesWhatItShows() {
    QFETCH(QString, address);
    QFETCH(QString, engineError);
    QFETCH(QString, shownAddress);
    QFETCH(QString, shownDetail);
    const QString page = UnreachedPage::html(address, -105, engineError);
    QVERIFY2(page.contains(QStringLiteral("<p class=\"address\">") + shownAddress + QStringLiteral("</p>")),
             qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("<p class=\"detail\">(") + shownDetail + QStringLiteral(")</p>")),
             qPrintable(page));
    QVERIFY(!page.contains(QStringLiteral("<script")));
    QVERIFY(!page.contains(QStringLiteral("<b>")));
}

QTEST_GUILESS_MAIN(tst_OwnPages)
#include "tst_ownpages.moc"
