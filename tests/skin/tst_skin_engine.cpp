#include "ColourNumber.h"
#include "SkinData.h"
#include "SkinEngine.h"
#include "SkinLabel.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace varnook;

namespace {

// The smallest complete skin, with lines to append for each case.
QByteArray minimalSkin(const QByteArray &extra = {}) {
    return "[skin]\n"
           "name = Test Skin\n"
           "[colours]\n"
           "face = #FFFFFF\n"
           "text = #102030\n"
           "picture = #A0B0C0\n" +
           extra;
}

} // namespace

class tst_skin_engine : public QObject {
    Q_OBJECT

private slots:
    void colourNumbersHaveRedInTheLowByte();
    void colourNumberWithHighByteIsNoColour();

    void parsesACompleteSkin();
    void badSkinIsRefused_data();
    void badSkinIsRefused();
    void commentsAndWindowsLineEndsAreAccepted();

    void standardSkinLoadsFromTheResources();
    void engineYieldsTheSkinColoursAsNumbers();
    void missingSkinFileLeavesNoSkin();
    void applyDressesTheWindow();
    void applyWithoutSkinOrWindowFails();
    void styleSheetReachesSkinnedLabels();
};

void tst_skin_engine::colourNumbersHaveRedInTheLowByte() {
    QCOMPARE(colourNumber(QColor(0x12, 0x34, 0x56)), quint32(0x00563412));
    QCOMPARE(colourNumber(QColor(Qt::red)), quint32(0x000000FF));
    QCOMPARE(colourNumber(QColor(Qt::blue)), quint32(0x00FF0000));
    QCOMPARE(colourFromNumber(0x00563412), QColor(0x12, 0x34, 0x56));
    QCOMPARE(colourFromNumber(0x0000FF00), QColor(0, 0xFF, 0));
    QCOMPARE(colourFromNumber(0), QColor(0, 0, 0));
}

void tst_skin_engine::colourNumberWithHighByteIsNoColour() {
    QVERIFY(!colourFromNumber(0x80000005).isValid());
    QVERIFY(!colourFromNumber(0x01000000).isValid());
    QVERIFY(colourFromNumber(0x00FFFFFF).isValid());
}

void tst_skin_engine::parsesACompleteSkin() {
    const QByteArray text = minimalSkin("accent = #1d5fa8\n"
                                        "[palette]\n"
                                        "Window = picture\n"
                                        "Highlight = accent\n"
                                        "[style]\n"
                                        "QMenuBar { background-color: @accent; color: @face; }\n"
                                        "QLabel { border: 1px solid @text; }  ; not a comment here\n");
    QString error;
    const auto skin = SkinData::parse(text, &error);
    QVERIFY2(skin.has_value(), qPrintable(error));
    QCOMPARE(skin->name(), QStringLiteral("Test Skin"));
    QCOMPARE(skin->colourNames(), (QStringList{QStringLiteral("accent"), QStringLiteral("face"),
                                               QStringLiteral("picture"), QStringLiteral("text")}));
    QCOMPARE(skin->colour(QStringLiteral("accent")), QColor(0x1D, 0x5F, 0xA8));
    QVERIFY(!skin->colour(QStringLiteral("Accent")).isValid()); // names are case-sensitive
    QCOMPARE(skin->styleSheet(), QStringLiteral("QMenuBar { background-color: #1d5fa8; color: #ffffff; }\n"
                                                "QLabel { border: 1px solid #102030; }  ; not a comment here"));
    QCOMPARE(skin->paletteRoles().size(), 2);
    QCOMPARE(skin->paletteRoles()[0].first, QPalette::Window);
    QCOMPARE(skin->paletteRoles()[0].second, QStringLiteral("picture"));
    const QPalette palette = skin->palette();
    QCOMPARE(palette.color(QPalette::Active, QPalette::Window), QColor(0xA0, 0xB0, 0xC0));
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::Highlight), QColor(0x1D, 0x5F, 0xA8));
    // Roles the skin leaves alone stay unset, so windows keep the desktop's.
    QVERIFY(!(palette.resolveMask() & (QPalette::ResolveMask(1) << QPalette::Text)));
}

void tst_skin_engine::badSkinIsRefused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");

    QTest::newRow("no name") << QByteArray("[colours]\nface = #FFFFFF\ntext = #000000\npicture = #808080\n")
                             << QStringLiteral("the skin has no name");
    QTest::newRow("empty name") << QByteArray("[skin]\nname =\n[colours]\nface = #FFFFFF\n")
                                << QStringLiteral("the skin has no name");
    QTest::newRow("no picture colour") << QByteArray("[skin]\nname = S\n[colours]\nface = #FFFFFF\ntext = #000000\n")
                                       << QStringLiteral("the skin has no colour \"picture\"");
    QTest::newRow("colour without hash") << minimalSkin("accent = 1d5fa8\n")
                                         << QStringLiteral("line 7: a colour is written as #RRGGBB");
    QTest::newRow("short colour") << minimalSkin("accent = #1d5\n")
                                  << QStringLiteral("line 7: a colour is written as #RRGGBB");
    QTest::newRow("colour by name") << minimalSkin("accent = red\n")
                                    << QStringLiteral("line 7: a colour is written as #RRGGBB");
    QTest::newRow("bad colour name") << minimalSkin("2nd = #000000\n")
                                     << QStringLiteral(
                                            "line 7: a colour name is letters and digits, starting with a letter");
    QTest::newRow("colour named twice") << minimalSkin("face = #000000\n")
                                        << QStringLiteral("line 7: colour \"face\" is named twice");
    QTest::newRow("unknown section") << minimalSkin("[colors]\n") << QStringLiteral("line 7: unknown section [colors]");
    QTest::newRow("line outside a section")
        << QByteArray("name = S\n") << QStringLiteral("line 1: expected a section or \"name = value\"");
    QTest::newRow("line without equals") << minimalSkin("accent #000000\n")
                                         << QStringLiteral("line 7: expected a section or \"name = value\"");
    QTest::newRow("unknown skin setting")
        << minimalSkin("[skin]\nauthor = me\n") << QStringLiteral("line 8: unknown setting \"author\"");
    QTest::newRow("unknown palette role") << minimalSkin("[palette]\nBackground = face\n")
                                          << QStringLiteral("line 8: unknown palette role \"Background\"");
    QTest::newRow("palette role count is no role") << minimalSkin("[palette]\nNColorRoles = face\n")
                                                   << QStringLiteral("line 8: unknown palette role \"NColorRoles\"");
    QTest::newRow("palette names unknown colour")
        << minimalSkin("[palette]\nWindow = paper\n") << QStringLiteral("line 8: unknown colour \"paper\"");
    QTest::newRow("style names unknown colour")
        << minimalSkin("[style]\nQLabel {\n  color: @text;\n  background: @paper;\n}\n")
        << QStringLiteral("line 10: unknown colour \"paper\"");
}

void tst_skin_engine::badSkinIsRefused() {
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QString reason;
    QVERIFY(!SkinData::parse(text, &reason).has_value());
    QCOMPARE(reason, error);
}

void tst_skin_engine::commentsAndWindowsLineEndsAreAccepted() {
    QByteArray text = "; a comment before any section\r\n\r\n" + minimalSkin("  ; indented comment\n[style]\n");
    text.replace("\n", "\r\n");
    text.replace("\r\r\n", "\r\n");
    QString error;
    const auto skin = SkinData::parse(text, &error);
    QVERIFY2(skin.has_value(), qPrintable(error));
    QCOMPARE(skin->colour(QStringLiteral("text")), QColor(0x10, 0x20, 0x30));
    QVERIFY(skin->styleSheet().isEmpty());
}

void tst_skin_engine::standardSkinLoadsFromTheResources() {
    QString error;
    const auto skin = SkinData::load(SkinEngine::standardSkinPath(), &error);
    QVERIFY2(skin.has_value(), qPrintable(error));
    QCOMPARE(skin->name(), QStringLiteral("Standard Skin"));
    QVERIFY(!skin->styleSheet().contains(QLatin1Char('@')));
    QVERIFY(skin->styleSheet().contains(QStringLiteral("QMenuBar")));
    QVERIFY(skin->styleSheet().contains(QStringLiteral("QStatusBar")));
    QVERIFY(skin->styleSheet().contains(QStringLiteral("QScrollBar")));
    QVERIFY(skin->styleSheet().contains(QStringLiteral("QFocusFrame")));
}

void tst_skin_engine::engineYieldsTheSkinColoursAsNumbers() {
    const SkinEngine engine;
    QVERIFY2(engine.isLoaded(), qPrintable(engine.errorString()));
    QCOMPARE(engine.skinName(), QStringLiteral("Standard Skin"));
    QCOMPARE(engine.faceColour(), colourNumber(engine.skin().colour(QStringLiteral("face"))));
    QCOMPARE(engine.textColour(), colourNumber(engine.skin().colour(QStringLiteral("text"))));
    QCOMPARE(engine.pictureColour(), colourNumber(engine.skin().colour(QStringLiteral("picture"))));
    // The standard skin's colours, as the skin file writes them.
    QCOMPARE(engine.faceColour(), quint32(0x00FFFFFF));
    QCOMPARE(engine.textColour(), quint32(0x0030241B));
    QCOMPARE(engine.pictureColour(), quint32(0x00F0E9E4));
    // The same numbers through the properties the skin routines read.
    QCOMPARE(engine.property("faceColour").value<quint32>(), engine.faceColour());
    QCOMPARE(engine.property("textColour").value<quint32>(), engine.textColour());
    QCOMPARE(engine.property("pictureColour").value<quint32>(), engine.pictureColour());
}

void tst_skin_engine::missingSkinFileLeavesNoSkin() {
    SkinEngine engine;
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("none.vskin"));
    QVERIFY(!engine.loadSkin(path));
    QVERIFY(!engine.isLoaded());
    QVERIFY(engine.errorString().startsWith(QStringLiteral("cannot read the skin file ") + path));
    QCOMPARE(engine.faceColour(), quint32(0));
    QVERIFY(engine.skinName().isEmpty());

    QVERIFY(engine.loadSkin(SkinEngine::standardSkinPath()));
    QVERIFY(engine.errorString().isEmpty());
}

void tst_skin_engine::applyDressesTheWindow() {
    const SkinEngine engine;
    QWidget window;
    auto *label = new QLabel(QStringLiteral("text"), &window);
    QVERIFY(SkinEngine::appliedSkin(&window).isEmpty());

    QVERIFY(engine.applyTo(&window));
    QCOMPARE(SkinEngine::appliedSkin(&window), QStringLiteral("Standard Skin"));
    QCOMPARE(window.styleSheet(), engine.skin().styleSheet());
    QCOMPARE(window.palette().color(QPalette::Window), engine.skin().colour(QStringLiteral("window")));
    QCOMPARE(label->palette().color(QPalette::WindowText), engine.skin().colour(QStringLiteral("text")));
}

void tst_skin_engine::applyWithoutSkinOrWindowFails() {
    SkinEngine engine;
    QVERIFY(!engine.applyTo(nullptr));
    QTemporaryDir folder;
    QFile bad(folder.filePath(QStringLiteral("bad.vskin")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("[skin]\n");
    bad.close();
    QVERIFY(!engine.loadSkin(bad.fileName()));
    QCOMPARE(engine.errorString(), QStringLiteral("the skin has no name"));
    QWidget window;
    QVERIFY(!engine.applyTo(&window));
    QVERIFY(SkinEngine::appliedSkin(&window).isEmpty());
    QVERIFY(window.styleSheet().isEmpty());
}

void tst_skin_engine::styleSheetReachesSkinnedLabels() {
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("loud.vskin")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(minimalSkin("loud = #FF0000\n[style]\nvarnook--SkinLabel { background-color: @loud; }\n"));
    file.close();
    SkinEngine engine;
    QVERIFY2(engine.loadSkin(file.fileName()), qPrintable(engine.errorString()));
    QWidget window;
    window.resize(100, 60);
    auto *skinned = new SkinLabel(&window);
    skinned->setGeometry(0, 0, 50, 30);
    auto *plain = new QLabel(&window);
    plain->setGeometry(50, 0, 50, 30);
    QVERIFY(engine.applyTo(&window));
    const QImage image = window.grab().toImage();
    QCOMPARE(image.pixelColor(10, 10), QColor(Qt::red));
    QVERIFY(image.pixelColor(60, 10) != QColor(Qt::red));
}

QTEST_MAIN(tst_skin_engine)
#include "tst_skin_engine.moc"
