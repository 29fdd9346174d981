#include "ColourNumber.h"
#include "ControlArray.h"
#include "Design.h"
#include "PictureBox.h"
#include "Skin.h"
#include "SkinEngine.h"
#include "SkinLabel.h"
#include "StatusBar.h"
#include "TypeName.h"
#include "WindowControls.h"

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
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace varnook {

// Stands in for the browser control, which lives in a library above the skin routines: it keeps
// the addresses it is told and paints itself in one loud colour, so a grab shows what is seen of it.
class WebBrowser : public QWidget {
    Q_OBJECT

public:
    explicit WebBrowser(QWidget *parent = nullptr)
        : QWidget(parent) {}
    Q_INVOKABLE void navigate(const QString &address) { addresses.append(address); }
    QStringList addresses;

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), Qt::red); }
};

} // namespace varnook

using namespace varnook;

namespace {

const QString adServerPage = QStringLiteral("http://ads.test.example/adserver.asp");

using Factory = std::function<QWidget *(QWidget *parent)>;

template <class T> Factory make() {
    return [](QWidget *parent) {
        return new T(parent);
    };
}

QWidget *named(QWidget *widget, const QString &name) {
    widget->setObjectName(name);
    return widget;
}

QStringList namesOf(const QList<QWidget *> &widgets) {
    QStringList names;
    for (const QWidget *widget : widgets)
        names.append(widget->objectName());
    return names;
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
        banner->setObjectName(QStringLiteral("wbBanner"));
        banner->setGeometry(twipsRect(60, 1980, 7335, 945));
        banner->hide();
        picture->setObjectName(QStringLiteral("wbPicture"));
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
    void typeNames_data();
    void typeNames();
    void controlsInControlOrder();

    void colorControls_data();
    void colorControls();
    void colorControlsLeavesLabelsFramesAndRichText();
    void colorControlsRefusesNumbersThatNameNoColour();

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

void tst_skin_routines::typeNames_data() {
    QTest::addColumn<Factory>("factory");
    QTest::addColumn<QString>("expected");
    QTest::newRow("push button") << make<QPushButton>() << QStringLiteral("CommandButton");
    QTest::newRow("line edit") << make<QLineEdit>() << QStringLiteral("TextBox");
    QTest::newRow("plain text edit") << make<QPlainTextEdit>() << QStringLiteral("TextBox");
    QTest::newRow("combo box") << make<QComboBox>() << QStringLiteral("ComboBox");
    QTest::newRow("list widget") << make<QListWidget>() << QStringLiteral("ListBox");
    QTest::newRow("tree view") << make<QTreeView>() << QStringLiteral("ListView");
    QTest::newRow("tree widget") << make<QTreeWidget>() << QStringLiteral("ListView");
    QTest::newRow("text edit") << make<QTextEdit>() << QStringLiteral("RichTextBox");
    QTest::newRow("text browser") << make<QTextBrowser>() << QStringLiteral("RichTextBox");
    QTest::newRow("check box") << make<QCheckBox>() << QStringLiteral("CheckBox");
    QTest::newRow("radio button") << make<QRadioButton>() << QStringLiteral("OptionButton");
    QTest::newRow("group box") << make<QGroupBox>() << QStringLiteral("Frame");
    QTest::newRow("status bar") << make<StatusBar>() << QStringLiteral("StatusBar");
    QTest::newRow("plain label") << make<QLabel>() << QStringLiteral("Label");
    QTest::newRow("picture box") << make<PictureBox>() << QStringLiteral("PictureBox");
    QTest::newRow("skinned label") << make<SkinLabel>() << QStringLiteral("SkinLabel");
    QTest::newRow("browser") << make<WebBrowser>() << QStringLiteral("WebBrowser");
    QTest::newRow("plain widget") << make<QWidget>() << QString();
    QTest::newRow("frame") << make<QFrame>() << QString();
}

void tst_skin_routines::typeNames() {
    QFETCH(Factory, factory);
    QFETCH(QString, expected);
    QWidget parent;
    QCOMPARE(typeName(factory(&parent)), expected);
}

void tst_skin_routines::controlsInControlOrder() {
    QWidget window;
    QWidget *client = named(new QWidget(&window), QStringLiteral("client"));
    named(new QPushButton(client), QStringLiteral("cmdOne"));
    auto *frame = named(new QGroupBox(client), QStringLiteral("Frame1"));
    named(new QLabel(frame), QStringLiteral("lblInFrame"));
    auto *tree = new QTreeWidget(client);
    tree->setObjectName(QStringLiteral("lstTree"));
    tree->setHeaderLabels({QStringLiteral("a")});
    auto *status = new StatusBar(client);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->addPanel();
    auto *box = named(new PictureBox(&window), QStringLiteral("picBox"));
    named(new WebBrowser(box), QStringLiteral("wbInBox"));
    named(new QLineEdit(&window), QStringLiteral("txtLast"));
    auto *otherWindow = named(new QWidget(&window, Qt::Window), QStringLiteral("otherWindow"));
    named(new QPushButton(otherWindow), QStringLiteral("cmdElsewhere"));

    QCOMPARE(namesOf(windowControls(&window)),
             (QStringList{QStringLiteral("cmdOne"), QStringLiteral("Frame1"), QStringLiteral("lblInFrame"),
                          QStringLiteral("lstTree"), QStringLiteral("StatusBar1"), QStringLiteral("picBox"),
                          QStringLiteral("wbInBox"), QStringLiteral("txtLast")}));
    QVERIFY(windowControls(nullptr).isEmpty());
}

void tst_skin_routines::colorControls_data() {
    QTest::addColumn<Factory>("factory");
    QTest::addColumn<QList<int>>("backRoles"); // roles given the face or picture colour
    QTest::addColumn<bool>("textGetsTextColour");
    QTest::addColumn<quint32>("backColour");
    const QList<int> button = {QPalette::Button};
    const QList<int> base = {QPalette::Base};
    const QList<int> window = {QPalette::Window};
    QTest::newRow("CommandButton") << make<QPushButton>() << button << false << Face;
    QTest::newRow("TextBox") << make<QLineEdit>() << base << true << Face;
    QTest::newRow("ComboBox") << make<QComboBox>() << base << true << Face;
    QTest::newRow("ListBox") << make<QListWidget>() << base << true << Face;
    QTest::newRow("ListView") << make<QTreeView>() << base << true << Face;
    QTest::newRow("PictureBox") << make<PictureBox>() << window << false << Picture;
}

void tst_skin_routines::colorControls() {
    QFETCH(Factory, factory);
    QFETCH(QList<int>, backRoles);
    QFETCH(bool, textGetsTextColour);
    QFETCH(quint32, backColour);

    QWidget window;
    QWidget *client = new QWidget(&window);
    QWidget *control = factory(client);
    const QColor textBefore = control->palette().color(QPalette::Text);
    const QColor buttonTextBefore = control->palette().color(QPalette::ButtonText);

    QVERIFY(colourControls(&window, Face, Text, Picture));

    const QPalette palette = control->palette();
    for (int role : backRoles) {
        QCOMPARE(palette.color(QPalette::ColorRole(role)), colourFromNumber(backColour));
        QVERIFY(palette.resolveMask() & (QPalette::ResolveMask(1) << role));
    }
    if (textGetsTextColour)
        QCOMPARE(palette.color(QPalette::Text), QColor(0x44, 0x55, 0x66));
    else
        QCOMPARE(palette.color(QPalette::Text), textBefore);
    QCOMPARE(palette.color(QPalette::ButtonText), buttonTextBefore);
    if (typeName(control) == QLatin1String("PictureBox"))
        QVERIFY(control->autoFillBackground());
}

void tst_skin_routines::colorControlsLeavesLabelsFramesAndRichText() {
    QWidget window;
    const QList<QWidget *> untouched = {new QTextEdit(&window),  new QTextBrowser(&window), new QCheckBox(&window),
                                        new QGroupBox(&window),  new QLabel(&window),       new StatusBar(&window),
                                        new WebBrowser(&window), new SkinLabel(&window),    new QRadioButton(&window),
                                        new QWidget(&window)};
    QList<QPalette> before;
    for (const QWidget *widget : untouched)
        before.append(widget->palette());

    QVERIFY(colourControls(&window, Face, Text, Picture));

    for (qsizetype i = 0; i < untouched.size(); ++i) {
        QVERIFY2(untouched[i]->palette() == before[i], untouched[i]->metaObject()->className());
        QCOMPARE(untouched[i]->palette().resolveMask(), QPalette::ResolveMask(0));
    }
}

void tst_skin_routines::colorControlsRefusesNumbersThatNameNoColour() {
    QWidget window;
    auto *button = new QPushButton(&window);
    auto *edit = new QLineEdit(&window);
    QVERIFY(!colourControls(&window, Face, 0x80000008, Picture));
    QVERIFY(!colourControls(&window, 0xFF000000, Text, Picture));
    QVERIFY(!colourControls(nullptr, Face, Text, Picture));
    QCOMPARE(button->palette().resolveMask(), QPalette::ResolveMask(0));
    QCOMPARE(edit->palette().resolveMask(), QPalette::ResolveMask(0));
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
    new PictureBox(&window); // a picture box is no plain label
    auto *templateLabel = new SkinLabel(&window);
    setControlIndex(templateLabel, QStringLiteral("SkinLabel1"), 0);
    templateLabel->setGeometry(32, 196, 37, 13);
    templateLabel->hide();
    auto *last = new QLabel(QStringLiteral("Last"), &window);
    last->setGeometry(8, 220, 480, 85);

    QVERIFY(replaceLabels(&window));

    const QList<SkinLabel *> labels = skinnedLabels(&window);
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
    setControlIndex(templateLabel, QStringLiteral("SkinLabel1"), 0);
    auto *earlier = new SkinLabel(&window);
    setControlIndex(earlier, QStringLiteral("SkinLabel1"), 5);
    new QLabel(QStringLiteral("one"), &window);
    new QLabel(QStringLiteral("two"), &window);

    QVERIFY(replaceLabels(&window));

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
    setControlIndex(templateLabel, QStringLiteral("SkinLabel1"), 0);
    new QPushButton(&window);
    new SkinLabel(&window);
    new PictureBox(&window);
    QVERIFY(replaceLabels(&window));
    QCOMPARE(skinnedLabels(&window).size(), 1);
    QCOMPARE(window.findChildren<SkinLabel *>().size(), 2);
}

void tst_skin_routines::replaceLabelsWithoutTemplateFails() {
    QWidget window;
    new QLabel(QStringLiteral("plain"), &window);
    QVERIFY(!replaceLabels(&window));
    QVERIFY(!replaceLabels(nullptr));
    QVERIFY(window.findChildren<SkinLabel *>().isEmpty());
}

void tst_skin_routines::skinnedLabelLiesOverThePlainLabel() {
    QWidget window;
    window.resize(200, 100);
    auto *plain = new QLabel(QStringLiteral("Version:"), &window);
    plain->setGeometry(10, 10, 150, 30);
    auto *templateLabel = new SkinLabel(&window);
    setControlIndex(templateLabel, QStringLiteral("SkinLabel1"), 0);
    templateLabel->hide();
    QVERIFY(replaceLabels(&window));
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

    QVERIFY(showBanner(&main.window, QStringLiteral("http://ads.test.example/adserver.asp")));

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
    QVERIFY(showBanner(&main.window, adServerPage));
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
    QVERIFY(showBanner(&main.window, adServerPage));
    auto *box = main.window.findChild<PictureBox *>(QStringLiteral("picBox"));
    const QRect boxPlace = box->geometry();

    QVERIFY(!showBanner(&main.window, adServerPage));

    QCOMPARE(main.window.findChildren<PictureBox *>(QStringLiteral("picBox")).size(), 1);
    QCOMPARE(main.banner->parentWidget(), box);
    QCOMPARE(box->geometry(), boxPlace);
    QCOMPARE(main.banner->addresses.size(), 1);
}

void tst_skin_routines::showBannerNeedsItsControls() {
    {
        BannerWindow main;
        delete main.picture;
        QVERIFY(!showBanner(&main.window, adServerPage));
        QVERIFY(!main.window.findChild<QWidget *>(QStringLiteral("picBox")));
        QCOMPARE(main.banner->parentWidget(), main.client);
    }
    {
        QWidget window;
        new QWidget(&window);
        named(new PictureBox(&window), QStringLiteral("wbPicture"));
        QVERIFY(!showBanner(&window, adServerPage));
        QVERIFY(!window.findChild<QWidget *>(QStringLiteral("picBox")));
    }
    {
        // A control named wbBanner that cannot be told an address is no browser.
        QWidget window;
        auto *notBrowser = named(new QWidget(&window), QStringLiteral("wbBanner"));
        auto *picture = named(new PictureBox(&window), QStringLiteral("wbPicture"));
        QVERIFY(!showBanner(&window, adServerPage));
        QVERIFY(!window.findChild<QWidget *>(QStringLiteral("picBox")));
        QCOMPARE(notBrowser->parentWidget(), &window);
        QVERIFY(picture->isVisibleTo(&window));
    }
    QVERIFY(!showBanner(nullptr, adServerPage));
}

void tst_skin_routines::applySkinDressesTheWindow() {
    SkinEngine skin;
    QWidget window;
    auto *button = new QPushButton(&window);
    auto *edit = new QLineEdit(&window);

    QVERIFY(applySkin(&window, &skin));

    QCOMPARE(SkinEngine::appliedSkin(&window), QStringLiteral("Standard Skin"));
    QCOMPARE(button->palette().color(QPalette::Button), colourFromNumber(skin.faceColour()));
    QCOMPARE(edit->palette().color(QPalette::Base), colourFromNumber(skin.faceColour()));
    QCOMPARE(edit->palette().color(QPalette::Text), colourFromNumber(skin.textColour()));
    QVERIFY(!applySkin(nullptr, &skin));
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
