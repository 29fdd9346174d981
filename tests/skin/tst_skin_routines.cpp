#include "ColourNumber.h"
#include "ControlArray.h"
#include "Design.h"
#include "PictureBox.h"
#include "Skin.h"
#include "SkinEngine.h"
#include "SkinLabel.h"
#include "SkinLabelArray.h"
#include "StatusBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace {

// Stands in for the browser control, which lives in a library above the skin routines: it keeps
// the addresses it is told and paints itself in one loud colour, so a grab shows what is seen of it.
class WebBrowser : public QWidget {
public:
    explicit WebBrowser(QWidget *parent = nullptr)
        : QWidget(parent) {}
    void navigate(const QString &address) { addresses.append(address); }
    QStringList addresses;

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), Qt::red); }
};

} // namespace

using namespace varnook;

namespace {

const QString adServerPage = QStringLiteral("http://ads.test.example/adserver.asp");

// Makes a control in the container and hands it to the skin as what it is.
using Factory = std::function<QWidget *(QWidget *parent, SkinnedControls &controls)>;

template <class T> Factory make() {
    return [](QWidget *parent, SkinnedControls &controls) {
        auto *control = new T(parent);
        controls.add(control);
        return control;
    };
}

QWidget *named(QWidget *widget, const QString &name) {
    widget->setObjectName(name);
    return widget;
}

const SkinData &standardSkin() {
    static const SkinData skin = *SkinData::load(SkinEngine::standardSkinPath());
    return skin;
}

const QPalette &skinPalette() {
    static const QPalette palette = standardSkin().palette();
    return palette;
}

// A desktop palette unlike the skin's in every role the skin sets.
QPalette darkDesktop() {
    QPalette palette;
    for (const auto &[role, name] : standardSkin().paletteRoles()) {
        const QColor skinColour = standardSkin().colour(name);
        palette.setColor(role, QColor(255 - skinColour.red(), 255 - skinColour.green(), 255 - skinColour.blue()));
    }
    return palette;
}

QList<SkinLabel *> skinnedLabels(const QWidget *window) {
    QList<SkinLabel *> labels = window->findChildren<SkinLabel *>(QStringLiteral("SkinLabel1"));
    std::sort(labels.begin(), labels.end(),
              [](const SkinLabel *a, const SkinLabel *b) { return controlIndex(a) < controlIndex(b); });
    return labels;
}

// The main window's banner parts as designed, in a client container of their own.
struct BannerWindow {
    QWidget window;
    QWidget *client = named(new QWidget(&window), QStringLiteral("client"));
    WebBrowser *banner = new WebBrowser(client);
    PictureBox *picture = new PictureBox(client);

    BannerWindow() {
        window.resize(twipsSize(9015, 3500));
        client->setGeometry(window.rect());
        banner->setGeometry(twipsRect(60, 1980, 7335, 945));
        banner->hide();
        picture->setGeometry(twipsRect(7050, 2010, 330, 920));
    }
};

constexpr quint32 Face = 0x00332211;
constexpr quint32 Text = 0x00665544;
constexpr quint32 Picture = 0x00998877;

} // namespace

class tst_skin_routines : public QObject {
    Q_OBJECT

private slots:
    void colorControls_data();
    void colorControls();
    void colorControlsLeavesControlsNotHandedOver();
    void colorControlsRefusesNumbersThatNameNoColour();
    void dressedControlsKeepTheSkinsColoursUnderADarkDesktop();

    void replaceLabelsCoversPlainLabelsInOrder();
    void replaceLabelsContinuesAfterTheHighestIndex();
    void replaceLabelsWithoutPlainLabelsCreatesNothing();
    void replaceLabelsWithoutTemplateFails();
    void skinnedLabelLiesOverThePlainLabel();

    void showBannerPlacesTheStrip();
    void showBannerCutsOffTheBrowsersRightStrip();
    void showBannerSecondCallFails();
    void showBannerNeedsItsControls();

    void applySkinDressesTheWindow();
    void applySkinWithoutASkinFailsAndSaysSo_data();
    void applySkinWithoutASkinFailsAndSaysSo();
};

void tst_skin_routines::colorControls_data() {
    QTest::addColumn<Factory>("factory");
    QTest::addColumn<QList<int>>("backRoles"); // roles given the face or picture colour
    QTest::addColumn<bool>("textGetsTextColour");
    QTest::addColumn<quint32>("backColour");
    const QList<int> button = {QPalette::Button};
    const QList<int> base = {QPalette::Base};
    const QList<int> window = {QPalette::Window};
    const QList<int> none;
    QTest::newRow("CommandButton") << make<QPushButton>() << button << false << Face;
    QTest::newRow("tool button") << make<QToolButton>() << button << false << Face;
    QTest::newRow("TextBox") << make<QLineEdit>() << base << true << Face;
    QTest::newRow("plain text box") << make<QPlainTextEdit>() << base << true << Face;
    QTest::newRow("ComboBox") << make<QComboBox>() << base << true << Face;
    QTest::newRow("ListBox") << make<QListWidget>() << base << true << Face;
    QTest::newRow("ListView") << make<QTreeView>() << base << true << Face;
    QTest::newRow("RichTextBox") << make<QTextBrowser>() << base << true << Face;
    QTest::newRow("PictureBox") << make<PictureBox>() << window << false << Picture;
    QTest::newRow("Label") << make<QLabel>() << none << false << Face;
    QTest::newRow("SkinLabel") << make<SkinLabel>() << none << false << Face;
    QTest::newRow("CheckBox") << make<QCheckBox>() << none << false << Face;
    QTest::newRow("Frame") << make<QGroupBox>() << none << false << Face;
}

void tst_skin_routines::colorControls() {
    QFETCH(Factory, factory);
    QFETCH(QList<int>, backRoles);
    QFETCH(bool, textGetsTextColour);
    QFETCH(quint32, backColour);

    QWidget window;
    QWidget *client = new QWidget(&window);
    SkinnedControls controls(&window);
    QWidget *control = factory(client, controls);

    QVERIFY(colourControls(controls, skinPalette(), Face, Text, Picture));

    // Every colour the skin sets comes from the skin, set on the control itself: none is left for the
    // desktop to fill in beside one of the skin's.
    const QPalette palette = control->palette();
    for (const auto &[role, name] : standardSkin().paletteRoles()) {
        QVERIFY2(palette.resolveMask() & (QPalette::ResolveMask(1) << role), qPrintable(name));
        if (!backRoles.contains(role) && !(textGetsTextColour && role == QPalette::Text))
            QCOMPARE(palette.color(role), skinPalette().color(role));
    }
    for (int role : backRoles)
        QCOMPARE(palette.color(QPalette::ColorRole(role)), colourFromNumber(backColour));
    if (textGetsTextColour)
        QCOMPARE(palette.color(QPalette::Text), QColor(0x44, 0x55, 0x66));
    QCOMPARE(control->autoFillBackground(), backColour == Picture || qobject_cast<SkinLabel *>(control));
}

void tst_skin_routines::colorControlsLeavesControlsNotHandedOver() {
    QWidget window;
    auto *handed = new QPushButton(&window);
    const QList<QWidget *> untouched = {new QPushButton(&window), new QLineEdit(&window), new QTextBrowser(&window),
                                        new QCheckBox(&window),   new QLabel(&window),    new StatusBar(&window),
                                        new WebBrowser(&window),  new SkinLabel(&window), new PictureBox(&window),
                                        new QWidget(&window)};
    QList<QPalette> before;
    for (const QWidget *widget : untouched)
        before.append(widget->palette());

    QVERIFY(colourControls(SkinnedControls(&window).add(handed), skinPalette(), Face, Text, Picture));

    QCOMPARE(handed->palette().color(QPalette::Button), colourFromNumber(Face));
    for (qsizetype i = 0; i < untouched.size(); ++i) {
        QVERIFY2(untouched[i]->palette() == before[i], untouched[i]->metaObject()->className());
        QCOMPARE(untouched[i]->palette().resolveMask(), QPalette::ResolveMask(0));
    }
}

void tst_skin_routines::colorControlsRefusesNumbersThatNameNoColour() {
    QWidget window;
    auto *button = new QPushButton(&window);
    auto *edit = new QLineEdit(&window);
    const SkinnedControls controls = SkinnedControls(&window).add(button).add(edit);
    QVERIFY(!colourControls(controls, skinPalette(), Face, 0x80000008, Picture));
    QVERIFY(!colourControls(controls, skinPalette(), 0xFF000000, Text, Picture));
    QVERIFY(!colourControls(SkinnedControls(nullptr).add(button), skinPalette(), Face, Text, Picture));
    QCOMPARE(button->palette().resolveMask(), QPalette::ResolveMask(0));
    QCOMPARE(edit->palette().resolveMask(), QPalette::ResolveMask(0));
}

// Under the skin's style sheet a control takes no colour from its window, only from the desktop:
// each control the skin dresses holds the skin's colours itself, before and after the desktop changes.
void tst_skin_routines::dressedControlsKeepTheSkinsColoursUnderADarkDesktop() {
    const QPalette desktop = QApplication::palette();
    QApplication::setPalette(darkDesktop());
    SkinEngine skin;
    const SkinData &data = skin.skin();
    QWidget window;
    auto *label = new QLabel(QStringLiteral("Username:"), &window);
    auto *button = new QPushButton(QStringLiteral("Save"), &window);
    auto *box = new QCheckBox(QStringLiteral("Show at Startup"), &window);
    auto *help = new QTextBrowser(&window);
    auto *plain = new QLabel(QStringLiteral("not handed over"), &window);
    QVERIFY(applySkin(SkinnedControls(&window).add(label).add(button).add(box).add(help), &skin));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QColor text = data.colour(QStringLiteral("text"));
    for (int pass = 0; pass < 2; ++pass) {
        for (QWidget *caption : {static_cast<QWidget *>(label), static_cast<QWidget *>(box)}) {
            QCOMPARE(caption->palette().color(QPalette::WindowText), text);
            QCOMPARE(caption->palette().color(QPalette::Window), data.colour(QStringLiteral("window")));
        }
        QCOMPARE(button->palette().color(QPalette::ButtonText), text);
        QCOMPARE(button->palette().color(QPalette::Button), data.colour(QStringLiteral("face")));
        QCOMPARE(help->palette().color(QPalette::Text), text);
        QCOMPARE(help->palette().color(QPalette::Base), data.colour(QStringLiteral("face")));
        // What the window does not hand over is the desktop's, as before.
        QCOMPARE(plain->palette().color(QPalette::WindowText), darkDesktop().color(QPalette::WindowText));
        // The desktop changes its scheme while the window is open.
        QApplication::setPalette(desktop);
        QCoreApplication::processEvents();
    }
}

void tst_skin_routines::replaceLabelsCoversPlainLabelsInOrder() {
    QWidget window;
    window.resize(400, 300);
    auto *first = new QLabel(QStringLiteral("First:"), &window);
    first->setObjectName(QStringLiteral("Label2"));
    first->setGeometry(12, 20, 150, 21);
    first->setFont(verdana(12, true));
    new QPushButton(QStringLiteral("not a label"), &window);
    auto *frame = new QGroupBox(&window);
    auto *inFrame = new QLabel(QStringLiteral("in the frame"), frame);
    auto *hidden = new QLabel(QStringLiteral("Hidden"), &window);
    hidden->setGeometry(12, 50, 100, 20);
    hidden->setFont(verdana(9, false));
    hidden->hide();
    auto *templateLabel = new SkinLabel(&window);
    SkinLabelArray array(templateLabel);
    templateLabel->setGeometry(32, 196, 37, 13);
    templateLabel->hide();
    auto *last = new QLabel(QStringLiteral("Last"), &window);
    last->setGeometry(8, 220, 480, 85);

    const QList<SkinLabel *> copies = replaceLabels(array, {first, inFrame, hidden, last});

    const QList<SkinLabel *> labels = skinnedLabels(&window);
    QCOMPARE(copies, labels.mid(1));
    QCOMPARE(array.elements(), labels);
    QCOMPARE(labels.size(), 4); // the template and one per plain label beside it
    QCOMPARE(controlIndex(labels[1]), 1);
    QCOMPARE(controlIndex(labels[2]), 2);
    QCOMPARE(controlIndex(labels[3]), 3);
    const QList<QLabel *> covered = {first, hidden, last};
    for (int i = 0; i < 3; ++i) {
        const SkinLabel *skinned = labels[i + 1];
        QCOMPARE(skinned->parentWidget(), &window);
        QCOMPARE(skinned->geometry(), covered[i]->geometry());
        QCOMPARE(skinned->font(), covered[i]->font());
        QCOMPARE(skinned->caption(), covered[i]->text());
        QCOMPARE(skinned->isVisibleTo(&window), covered[i]->isVisibleTo(&window));
    }
    QVERIFY(labels[1]->isVisibleTo(&window));
    QVERIFY(!labels[2]->isVisibleTo(&window)); // a hidden label gives a hidden copy
    QVERIFY(labels[1]->font().bold());
    // The plain labels stay, and the label in the frame is left alone.
    QVERIFY(first->isVisibleTo(&window));
    QCOMPARE(first->text(), QStringLiteral("First:"));
    QVERIFY(frame->findChildren<SkinLabel *>().isEmpty());
    QCOMPARE(inFrame->text(), QStringLiteral("in the frame"));
}

void tst_skin_routines::replaceLabelsContinuesAfterTheHighestIndex() {
    QWidget window;
    auto *templateLabel = new SkinLabel(&window);
    SkinLabelArray array(templateLabel);
    auto *earlier = new SkinLabel(&window);
    array.insert(5, earlier);
    auto *one = new QLabel(QStringLiteral("one"), &window);
    auto *two = new QLabel(QStringLiteral("two"), &window);

    QCOMPARE(replaceLabels(array, {one, two}).size(), 2);

    const QList<SkinLabel *> labels = skinnedLabels(&window);
    QCOMPARE(labels.size(), 4);
    QCOMPARE(controlIndex(labels[2]), 6);
    QCOMPARE(labels[2]->caption(), QStringLiteral("one"));
    QCOMPARE(controlIndex(labels[3]), 7);
    QCOMPARE(labels[3]->caption(), QStringLiteral("two"));
}

void tst_skin_routines::replaceLabelsWithoutPlainLabelsCreatesNothing() {
    QWidget window;
    auto *templateLabel = new SkinLabel(&window);
    SkinLabelArray array(templateLabel);
    new QPushButton(&window);
    new SkinLabel(&window);
    new PictureBox(&window);
    QVERIFY(replaceLabels(array, {}).isEmpty());
    QCOMPARE(skinnedLabels(&window).size(), 1);
    QCOMPARE(window.findChildren<SkinLabel *>().size(), 2);
}

void tst_skin_routines::replaceLabelsWithoutTemplateFails() {
    QWidget window;
    auto *plain = new QLabel(QStringLiteral("plain"), &window);
    SkinLabelArray noTemplate(nullptr);
    QVERIFY(replaceLabels(noTemplate, {plain}).isEmpty());
    QVERIFY(window.findChildren<SkinLabel *>().isEmpty());
    // A template deleted before the window's skinning leaves nothing to copy.
    SkinLabelArray gone(new SkinLabel(&window));
    delete gone.templateLabel();
    QVERIFY(replaceLabels(gone, {plain}).isEmpty());
    QVERIFY(window.findChildren<SkinLabel *>().isEmpty());
}

void tst_skin_routines::skinnedLabelLiesOverThePlainLabel() {
    QWidget window;
    window.resize(200, 100);
    auto *plain = new QLabel(QStringLiteral("Version:"), &window);
    plain->setGeometry(10, 10, 150, 30);
    auto *templateLabel = new SkinLabel(&window);
    SkinLabelArray array(templateLabel);
    templateLabel->hide();
    QCOMPARE(replaceLabels(array, {plain}).size(), 1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget *top = window.childAt(plain->geometry().center());
    QVERIFY(qobject_cast<SkinLabel *>(top));
    QCOMPARE(controlIndex(top), 1);
}

void tst_skin_routines::showBannerPlacesTheStrip() {
    const int margin = twipsToPixels(280);
    BannerWindow main;
    const QRect bannerPlace = main.banner->geometry();

    QVERIFY(showBanner(main.banner, main.picture, QStringLiteral("http://ads.test.example/adserver.asp")));

    auto *box = main.window.findChild<PictureBox *>(QStringLiteral("picBox"));
    QVERIFY(box);
    QCOMPARE(box->parentWidget(), main.client);
    QCOMPARE(box->geometry(),
             QRect(bannerPlace.x(), bannerPlace.y(), bannerPlace.width() - margin, bannerPlace.height()));
    QCOMPARE(box->frameShape(), QFrame::NoFrame);
    QCOMPARE(main.banner->parentWidget(), box);
    QCOMPARE(main.banner->geometry(), QRect(QPoint(0, 0), bannerPlace.size()));
    QVERIFY(box->isVisibleTo(&main.window));
    QVERIFY(main.banner->isVisibleTo(&main.window));
    QVERIFY(!main.picture->isVisibleTo(&main.window));
    QCOMPARE(main.banner->addresses, QStringList{QStringLiteral("http://ads.test.example/adserver.asp")});
}

void tst_skin_routines::showBannerCutsOffTheBrowsersRightStrip() {
    BannerWindow main;
    QVERIFY(showBanner(main.banner, main.picture, adServerPage));
    const QImage image = main.window.grab().toImage();
    const auto *box = main.window.findChild<PictureBox *>(QStringLiteral("picBox"));
    const QRect seen = box->geometry(); // in the client, which lies at the window's top left
    const int margin = main.banner->width() - box->width();
    QCOMPARE(margin, twipsToPixels(280));
    const int y = seen.center().y();
    QCOMPARE(image.pixelColor(seen.left(), y), QColor(Qt::red));
    QCOMPARE(image.pixelColor(seen.right(), y), QColor(Qt::red));
    for (int x = seen.right() + 1; x < seen.left() + main.banner->width(); ++x)
        QVERIFY2(image.pixelColor(x, y) != QColor(Qt::red), qPrintable(QString::number(x)));
}

void tst_skin_routines::showBannerSecondCallFails() {
    BannerWindow main;
    QVERIFY(showBanner(main.banner, main.picture, adServerPage));
    auto *box = main.window.findChild<PictureBox *>(QStringLiteral("picBox"));
    const QRect boxPlace = box->geometry();

    QVERIFY(!showBanner(main.banner, main.picture, adServerPage));

    QCOMPARE(main.window.findChildren<PictureBox *>(QStringLiteral("picBox")).size(), 1);
    QCOMPARE(main.banner->parentWidget(), box);
    QCOMPARE(box->geometry(), boxPlace);
    QCOMPARE(main.banner->addresses.size(), 1);
}

void tst_skin_routines::showBannerNeedsItsControls() {
    {
        BannerWindow main;
        QVERIFY(!showBanner(main.banner, static_cast<PictureBox *>(nullptr), adServerPage));
        QVERIFY(!main.window.findChild<QWidget *>(QStringLiteral("picBox")));
        QCOMPARE(main.banner->parentWidget(), main.client);
        QVERIFY(main.banner->addresses.isEmpty());
    }
    {
        BannerWindow main;
        QVERIFY(!showBanner(static_cast<WebBrowser *>(nullptr), main.picture, adServerPage));
        QVERIFY(!main.window.findChild<QWidget *>(QStringLiteral("picBox")));
        QVERIFY(main.picture->isVisibleTo(&main.window));
    }
    {
        // A banner in no container has no place for the strip.
        WebBrowser banner;
        PictureBox picture;
        QVERIFY(!showBanner(&banner, &picture, adServerPage));
        QVERIFY(!banner.parentWidget());
        QVERIFY(banner.addresses.isEmpty());
    }
}

void tst_skin_routines::applySkinDressesTheWindow() {
    SkinEngine skin;
    QWidget window;
    auto *button = new QPushButton(&window);
    auto *edit = new QLineEdit(&window);

    QVERIFY(applySkin(SkinnedControls(&window).add(button).add(edit), &skin));

    QCOMPARE(SkinEngine::appliedSkin(&window), QStringLiteral("Standard Skin"));
    QCOMPARE(button->palette().color(QPalette::Button), colourFromNumber(skin.faceColour()));
    QCOMPARE(edit->palette().color(QPalette::Base), colourFromNumber(skin.faceColour()));
    QCOMPARE(edit->palette().color(QPalette::Text), colourFromNumber(skin.textColour()));
    QVERIFY(!applySkin(static_cast<QWidget *>(nullptr), &skin));
    QVERIFY(!applySkin(SkinnedControls(nullptr).add(button), &skin));

    // A window that hands over nothing is dressed alone.
    QWidget bare;
    auto *bareButton = new QPushButton(&bare);
    QVERIFY(applySkin(&bare, &skin));
    QCOMPARE(SkinEngine::appliedSkin(&bare), QStringLiteral("Standard Skin"));
    QCOMPARE(bareButton->palette().resolveMask(), QPalette::ResolveMask(0));
}

void tst_skin_routines::applySkinWithoutASkinFailsAndSaysSo_data() {
    QTest::addColumn<bool>("brokenSkin");
    QTest::newRow("no skin engine") << false;
    QTest::newRow("a skin that did not load") << true;
}

void tst_skin_routines::applySkinWithoutASkinFailsAndSaysSo() {
    QFETCH(bool, brokenSkin);
    SkinEngine broken;
    if (brokenSkin)
        QVERIFY(!broken.loadSkin(QStringLiteral(":/varnook/skins/missing.vskin")));
    QWidget window;
    window.setObjectName(QStringLiteral("frmTest"));
    auto *button = new QPushButton(&window);
    const QColor buttonFace = button->palette().color(QPalette::Button);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^No skin to apply to \"frmTest\"")));
    QVERIFY(!applySkin(&window, brokenSkin ? &broken : nullptr));

    QVERIFY(SkinEngine::appliedSkin(&window).isEmpty());
    QVERIFY(window.styleSheet().isEmpty());
    QCOMPARE(button->palette().color(QPalette::Button), buttonFace);
}

QTEST_MAIN(tst_skin_routines)
#include "tst_skin_routines.moc"
