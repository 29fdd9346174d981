#include "ColourNumber.h"
#include "FocusRing.h"
#include "Skin.h"
#include "SkinEngine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

using namespace varnook;

namespace {

// Relative luminance and contrast ratio as the Web Content Accessibility Guidelines define them.
double channel(int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour) {
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}

double contrast(const QColor &a, const QColor &b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Rule {
    QString selector;
    QMap<QString, QString> declarations;
};

// The rules of a style sheet without nesting, which is all a Qt style sheet has.
QList<Rule> rulesOf(QString styleSheet) {
    styleSheet.remove(
        QRegularExpression(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption));
    QList<Rule> rules;
    static const QRegularExpression block(QStringLiteral("([^{}]+)\\{([^{}]*)\\}"));
    for (auto it = block.globalMatch(styleSheet); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        Rule rule;
        rule.selector = match.captured(1).simplified();
        for (const QString &declaration : match.captured(2).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
            if (colon > 0)
                rule.declarations.insert(declaration.left(colon).trimmed(), declaration.mid(colon + 1).trimmed());
        }
        rules.append(rule);
    }
    return rules;
}

const SkinData &standardSkin() {
    static const SkinData skin = *SkinData::load(SkinEngine::standardSkinPath());
    return skin;
}

using Factory = std::function<QWidget *(QWidget *parent)>;

template <class T> Factory make() {
    return [](QWidget *parent) {
        return new T(parent);
    };
}

} // namespace

class tst_skin_look : public QObject {
    Q_OBJECT

private slots:
    void paletteTextIsLegible_data();
    void paletteTextIsLegible();
    void styleSheetTextIsLegible();
    void controlColoursAreLegible();
    void oneAccentColour();
    void accentStandsOutOnEverySurface();
    void focusRingOnEveryControl_data();
    void focusRingOnEveryControl();
    void focusRingFollowsTheFocus();
    void focusRingStaysOnTheControlThatHandsOnItsFocus();
};

void tst_skin_look::paletteTextIsLegible_data() {
    QTest::addColumn<int>("text");
    QTest::addColumn<int>("background");
    QTest::newRow("window") << int(QPalette::WindowText) << int(QPalette::Window);
    QTest::newRow("text box") << int(QPalette::Text) << int(QPalette::Base);
    QTest::newRow("list stripe") << int(QPalette::Text) << int(QPalette::AlternateBase);
    QTest::newRow("placeholder") << int(QPalette::PlaceholderText) << int(QPalette::Base);
    QTest::newRow("button") << int(QPalette::ButtonText) << int(QPalette::Button);
    QTest::newRow("selection") << int(QPalette::HighlightedText) << int(QPalette::Highlight);
    QTest::newRow("tool tip") << int(QPalette::ToolTipText) << int(QPalette::ToolTipBase);
    QTest::newRow("link") << int(QPalette::Link) << int(QPalette::Base);
}

void tst_skin_look::paletteTextIsLegible() {
    QFETCH(int, text);
    QFETCH(int, background);
    const QPalette palette = standardSkin().palette();
    // Both set by the skin, so the desktop's own colours cannot spoil the pair.
    QVERIFY(palette.resolveMask() & (QPalette::ResolveMask(1) << text));
    QVERIFY(palette.resolveMask() & (QPalette::ResolveMask(1) << background));
    const double ratio =
        contrast(palette.color(QPalette::ColorRole(text)), palette.color(QPalette::ColorRole(background)));
    QVERIFY2(ratio >= 4.5, qPrintable(QString::number(ratio)));
}

void tst_skin_look::styleSheetTextIsLegible() {
    const QColor window = standardSkin().colour(QStringLiteral("window"));
    int checked = 0;
    for (const Rule &rule : rulesOf(standardSkin().styleSheet())) {
        const QString text = rule.declarations.value(QStringLiteral("color"));
        if (text.isEmpty())
            continue;
        QString background = rule.declarations.value(QStringLiteral("background-color"),
                                                     rule.declarations.value(QStringLiteral("background")));
        // Every text colour names the background it is drawn on; nothing lies under a see-through
        // background but the window itself.
        QVERIFY2(!background.isEmpty(), qPrintable(rule.selector));
        const QColor backgroundColour = background == QLatin1String("transparent") ? window : QColor(background);
        QVERIFY2(QColor(text).isValid() && backgroundColour.isValid(), qPrintable(rule.selector));
        const double ratio = contrast(QColor(text), backgroundColour);
        QVERIFY2(ratio >= 4.5, qPrintable(rule.selector + QStringLiteral(": ") + QString::number(ratio)));
        ++checked;
    }
    QVERIFY(checked >= 10); // menu bar, menus, status bar, frames, skinned labels, tool tips
}

void tst_skin_look::controlColoursAreLegible() {
    const SkinEngine engine;
    const QColor face = colourFromNumber(engine.faceColour());
    const QColor text = colourFromNumber(engine.textColour());
    const QColor buttonText = standardSkin().palette().color(QPalette::ButtonText);
    QVERIFY(contrast(text, face) >= 4.5);       // text boxes and lists
    QVERIFY(contrast(buttonText, face) >= 4.5); // buttons keep their text colour
}

void tst_skin_look::oneAccentColour() {
    QSet<QRgb> vivid;
    for (const QString &name : standardSkin().colourNames()) {
        const QColor colour = standardSkin().colour(name);
        const int chroma = std::max({colour.red(), colour.green(), colour.blue()}) -
                           std::min({colour.red(), colour.green(), colour.blue()});
        if (chroma > 60)
            vivid.insert(colour.rgb());
    }
    const QColor accent = standardSkin().colour(QStringLiteral("accent"));
    QCOMPARE(vivid, QSet<QRgb>{accent.rgb()});
    QCOMPARE(standardSkin().palette().color(QPalette::Highlight), accent);
}

void tst_skin_look::accentStandsOutOnEverySurface() {
    const QColor accent = standardSkin().colour(QStringLiteral("accent"));
    for (const char *surface : {"window", "face", "chrome", "picture", "stripe", "track"}) {
        const double ratio = contrast(accent, standardSkin().colour(QLatin1String(surface)));
        QVERIFY2(ratio >= 3.0, surface);
    }
}

void tst_skin_look::focusRingOnEveryControl_data() {
    QTest::addColumn<Factory>("factory");
    QTest::newRow("button") << make<QPushButton>();
    QTest::newRow("text box") << make<QLineEdit>();
    QTest::newRow("check box") << make<QCheckBox>();
    QTest::newRow("combo box") << make<QComboBox>();
    QTest::newRow("list") << make<QTreeWidget>();
    QTest::newRow("list box") << make<QListWidget>();
    QTest::newRow("rich text") << make<QTextEdit>();
}

void tst_skin_look::focusRingOnEveryControl() {
    QFETCH(Factory, factory);
    SkinEngine skin;
    QWidget window;
    window.resize(300, 200);
    auto *other = new QPushButton(QStringLiteral("Other"), &window);
    other->setGeometry(200, 150, 80, 30);
    QWidget *control = factory(&window);
    control->setGeometry(40, 40, 160, 60);
    QVERIFY(applySkin(&window, &skin));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    other->setFocus();
    const QImage before = window.grab().toImage();
    control->setFocus(Qt::TabFocusReason);
    QVERIFY(control->hasFocus());
    const QFocusFrame *ring = FocusRing::frameOf(&window);
    QVERIFY(ring);
    QCOMPARE(ring->widget(), control);
    QVERIFY(ring->isVisible());
    const QImage after = window.grab().toImage();

    // The ring is drawn in the accent colour just outside the control, where nothing was before.
    const QColor accent = standardSkin().colour(QStringLiteral("accent"));
    const QPoint left(ring->geometry().left(), ring->geometry().center().y());
    const QPoint top(ring->geometry().center().x(), ring->geometry().top());
    QCOMPARE(after.pixelColor(left), accent);
    QCOMPARE(after.pixelColor(top), accent);
    QVERIFY(before.pixelColor(left) != accent);
    QVERIFY(left.x() < control->x());
}

void tst_skin_look::focusRingFollowsTheFocus() {
    SkinEngine skin;
    QWidget window;
    window.resize(300, 200);
    auto *first = new QLineEdit(&window);
    first->setGeometry(20, 20, 100, 24);
    auto *container = new QWidget(&window);
    container->setGeometry(0, 60, 300, 100);
    auto *second = new QPushButton(QStringLiteral("Save"), container);
    second->setGeometry(20, 20, 80, 30);
    QVERIFY(applySkin(&window, &skin));
    QVERIFY(!FocusRing::frameOf(&window)); // nothing focused yet
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    first->setFocus();
    QCOMPARE(FocusRing::frameOf(&window)->widget(), first);
    QTest::keyClick(&window, Qt::Key_Tab);
    QVERIFY(second->hasFocus());
    QCOMPARE(FocusRing::frameOf(&window)->widget(), second);

    // A second skinning keeps the one ring.
    QVERIFY(applySkin(&window, &skin));
    QCOMPARE(window.findChildren<FocusRing *>().size(), 1);

    // Focus in another window leaves this window's ring alone.
    QWidget elsewhere;
    auto *edit = new QLineEdit(&elsewhere);
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    edit->setFocus();
    QCOMPARE(FocusRing::frameOf(&window)->widget(), second);

    // The ring goes with the container of its control, and comes back on the next focus.
    delete container;
    QVERIFY(!FocusRing::frameOf(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    first->setFocus();
    QCOMPARE(FocusRing::frameOf(&window)->widget(), first);
}

// A web view hands its focus to an inner widget that it replaces or destroys at will.
void tst_skin_look::focusRingStaysOnTheControlThatHandsOnItsFocus() {
    SkinEngine skin;
    QWidget window;
    window.resize(300, 200);
    auto *other = new QLineEdit(&window);
    auto *control = new QWidget(&window);
    control->setGeometry(20, 60, 200, 100);
    auto *inner = new QLineEdit(control);
    control->setFocusProxy(inner);
    QVERIFY(applySkin(&window, &skin));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QTest::mouseClick(inner, Qt::LeftButton);
    QVERIFY(inner->hasFocus());
    QCOMPARE(FocusRing::frameOf(&window)->widget(), control);

    // The control with the ring taken out of its window while the focus is elsewhere: the ring lets
    // go of it, and follows the next focus.
    other->setFocus();
    QCOMPARE(FocusRing::frameOf(&window)->widget(), other);
    QWidget elsewhere;
    auto *edit = new QLineEdit(&elsewhere);
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    edit->setFocus();
    other->setParent(nullptr);
    QCOMPARE(FocusRing::frameOf(&window)->widget(), nullptr);
    delete other;
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(inner, Qt::LeftButton);
    QCOMPARE(FocusRing::frameOf(&window)->widget(), control);
}

QTEST_MAIN(tst_skin_look)
#include "tst_skin_look.moc"
