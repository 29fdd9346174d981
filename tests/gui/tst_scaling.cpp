#include "AboutWindow.h"
#include "AppTestSupport.h"
#include "BrowserWindow.h"
#include "EntryEditor.h"
#include "FindBar.h"
#include "HelpWindow.h"
#include "PageLoads.h"
#include "PictureBox.h"
#include "SkinEngine.h"
#include "SplashScreen.h"
#include "WebBrowser.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QToolButton>
#include <QtTest>

using namespace varnook;
using namespace varnook::test;

namespace {

// The desktop scale this run of the test is made at: its QT_SCALE_FACTOR, one ctest entry each.
double desktopScale() {
    return qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
}

QString scaleName() {
    return QString::number(desktopScale()) + QLatin1Char('x');
}

// What the user sees of the window, kept for a look when VARNOOK_SCREENSHOT_DIR names a folder.
void keepScreenshot(QWidget *window, const QString &name) {
    const QString folder = qEnvironmentVariable("VARNOOK_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(window->grab().save(QDir(folder).filePath(name + QLatin1Char('-') + scaleName() + ".png")));
}

// Whether a control is seen: shown within its window.
bool shownIn(const QWidget *control, const QWidget *window) {
    return control->isVisibleTo(window) && control->window() == window;
}

QString describe(const QRect &rect) {
    return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

// The captions of one window whose text does not lie inside the room its control gives it.
struct Cramped {
    int checked = 0;
    QStringList found;

    void check(const QString &what, const QRect &text, const QRect &room) {
        ++checked;
        if (!room.contains(text))
            found.append(QStringLiteral("%1: text %2 in %3").arg(what, describe(text), describe(room)));
    }
    QString report() const { return found.join(QLatin1Char('\n')); }
};

// A push button's caption, and its icon beside it, as the style lays them out: centred in the
// button's contents, the icon first and four pixels before the text.
void checkButton(QPushButton *button, Cramped &cramped) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const QFontMetrics metrics = button->fontMetrics();
    const QRect text = metrics.boundingRect(room, Qt::AlignCenter | Qt::TextShowMnemonic, button->text());
    if (button->icon().isNull()) {
        cramped.check(QStringLiteral("button \"%1\"").arg(button->text()), text, room);
        return;
    }
    const QSize icon = button->iconSize();
    const int width = icon.width() + 4 + text.width();
    const int height = qMax(icon.height(), text.height());
    const QRect label(room.x() + (room.width() - width) / 2, room.y() + (room.height() - height) / 2, width, height);
    cramped.check(QStringLiteral("button \"%1\" with its icon").arg(button->text()), label, room);
}

void checkToolButton(QToolButton *button, Cramped &cramped) {
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    const QRect room = button->rect().adjusted(frame, frame, -frame, -frame);
    const QRect text = button->fontMetrics().boundingRect(room, Qt::AlignCenter, button->text());
    cramped.check(QStringLiteral("button \"%1\"").arg(button->text()), text, room);
}

void checkCheckBox(QCheckBox *box, Cramped &cramped) {
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = box->text();
    const QRect room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
    const QRect text =
        box->fontMetrics().boundingRect(room, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, box->text());
    cramped.check(QStringLiteral("check box \"%1\"").arg(box->text()), text, room);
}

void checkLabel(QLabel *label, Cramped &cramped) {
    const QRect room = label->contentsRect();
    const int flags = int(label->alignment()) | (label->wordWrap() ? int(Qt::TextWordWrap) : 0);
    const QRect text = label->fontMetrics().boundingRect(room, flags, label->text());
    cramped.check(QStringLiteral("label \"%1\"").arg(label->text().left(40)), text, room);
}

// A text box scrolls its text sideways: a line of it must fit the box's height.
void checkTextBox(QLineEdit *box, Cramped &cramped) {
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const QRect room = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
    const QFontMetrics metrics = box->fontMetrics();
    const QRect text(room.x(), room.y() + (room.height() - metrics.height()) / 2, 1, metrics.height());
    cramped.check(QStringLiteral("text box %1").arg(box->objectName()), text, room);
}

void checkFrame(QGroupBox *frame, Cramped &cramped) {
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect room = frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
    const QRect text = frame->fontMetrics().boundingRect(room, Qt::AlignCenter | Qt::TextShowMnemonic, frame->title());
    cramped.check(QStringLiteral("frame \"%1\"").arg(frame->title()), text, room);
}

void checkMenuBar(QMenuBar *bar, Cramped &cramped) {
    for (QAction *menu : bar->actions()) {
        const QRect room = bar->actionGeometry(menu);
        const QRect text = bar->fontMetrics().boundingRect(room, Qt::AlignCenter | Qt::TextShowMnemonic, menu->text());
        cramped.check(QStringLiteral("menu \"%1\"").arg(menu->text()), text, room);
    }
}

// A column header's caption within its section, inside the header's margins.
void checkHeader(QHeaderView *header, Cramped &cramped) {
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int section = 0; section < header->count(); ++section) {
        const QString caption = header->model()->headerData(section, header->orientation()).toString();
        const QRect room =
            QRect(header->sectionViewportPosition(section), 0, header->sectionSize(section), header->height())
                .adjusted(margin, 0, -margin, 0);
        const QRect text = header->fontMetrics().boundingRect(room, Qt::AlignLeft | Qt::AlignVCenter, caption);
        cramped.check(QStringLiteral("column \"%1\"").arg(caption), text, room);
    }
}

// Every caption the window shows, each inside the room its control gives it.
Cramped checkCaptions(QWidget *window) {
    Cramped cramped;
    for (QPushButton *button : window->findChildren<QPushButton *>())
        if (shownIn(button, window) && !button->text().isEmpty())
            checkButton(button, cramped);
    for (QToolButton *button : window->findChildren<QToolButton *>())
        if (shownIn(button, window) && !button->text().isEmpty() && button->icon().isNull())
            checkToolButton(button, cramped);
    for (QCheckBox *box : window->findChildren<QCheckBox *>())
        if (shownIn(box, window))
            checkCheckBox(box, cramped);
    for (QLabel *label : window->findChildren<QLabel *>())
        if (shownIn(label, window) && !label->text().isEmpty() && window->rect().intersects(label->geometry()))
            checkLabel(label, cramped);
    for (QLineEdit *box : window->findChildren<QLineEdit *>())
        if (shownIn(box, window))
            checkTextBox(box, cramped);
    for (QGroupBox *frame : window->findChildren<QGroupBox *>())
        if (shownIn(frame, window))
            checkFrame(frame, cramped);
    for (QMenuBar *bar : window->findChildren<QMenuBar *>())
        checkMenuBar(bar, cramped);
    for (QHeaderView *header : window->findChildren<QHeaderView *>())
        if (shownIn(header, window) && header->orientation() == Qt::Horizontal)
            checkHeader(header, cramped);
    return cramped;
}

// The ratio the pictures are drawn at: the screen's, up to that of their largest drawing.
double pictureRatio() {
    return qMin(desktopScale(), 2.0);
}

// A picture as the user gets it: at the screen's resolution, its own size in the window.
void verifyPictureIsSharp(const QLabel *picture, const QSizeF &size) {
    const QPixmap pixmap = picture->pixmap();
    QVERIFY(!pixmap.isNull());
    QCOMPARE(pixmap.devicePixelRatio(), pictureRatio());
    const QSizeF shown = pixmap.deviceIndependentSize();
    QVERIFY2(qAbs(shown.width() - size.width()) <= 1 && qAbs(shown.height() - size.height()) <= 1,
             qPrintable(QStringLiteral("%1 x %2").arg(shown.width()).arg(shown.height())));
    QVERIFY(picture->contentsRect().width() >= shown.width() - 0.5);
    QVERIFY(picture->contentsRect().height() >= shown.height() - 0.5);
}

// An icon drawn at the screen's resolution rather than enlarged from a smaller picture.
void verifyIconIsSharp(const QIcon &icon, const QSize &size) {
    const QPixmap pixmap = icon.pixmap(size, desktopScale());
    QVERIFY(!pixmap.isNull());
    QVERIFY2(pixmap.devicePixelRatio() >= pictureRatio() - 0.01,
             qPrintable(QStringLiteral("drawn at %1").arg(pixmap.devicePixelRatio())));
}

bool nearColour(const QColor &seen, const QColor &colour) {
    return qAbs(seen.red() - colour.red()) + qAbs(seen.green() - colour.green()) + qAbs(seen.blue() - colour.blue()) <=
           60;
}

// The share of one edge of a part of the picture along which a line of about the colour shows: in
// its last depth device pixels, since a line of one logical pixel may end half a pixel short of it.
// Skip leaves the ends of the edge out of the count.
double edgeShown(const QImage &image, const QRect &part, Qt::Edge edge, const QColor &colour, int skip = 0,
                 int depth = 2) {
    const bool across = edge == Qt::TopEdge || edge == Qt::BottomEdge;
    const int length = across ? part.width() : part.height();
    int shown = 0;
    for (int along = skip; along < length - skip; ++along) {
        bool found = false;
        for (int inside = 0; inside < depth && !found; ++inside) {
            QPoint at;
            switch (edge) {
            case Qt::TopEdge:
                at = QPoint(part.left() + along, part.top() + inside);
                break;
            case Qt::BottomEdge:
                at = QPoint(part.left() + along, part.bottom() - inside);
                break;
            case Qt::LeftEdge:
                at = QPoint(part.left() + inside, part.top() + along);
                break;
            case Qt::RightEdge:
                at = QPoint(part.right() - inside, part.top() + along);
                break;
            }
            found = image.rect().contains(at) && nearColour(image.pixelColor(at), colour);
        }
        shown += found;
    }
    return double(shown) / qMax(1, length - 2 * skip);
}

struct TestProgram {
    TestProgram()
        : program(std::make_unique<Application>()) {}
    ~TestProgram() {
        program.reset();
        destroyAllWindows();
    }
    Application *operator->() { return program.get(); }
    std::unique_ptr<Application> program;
};

void prepareMainWindow(FakePlatform &fake) {
    fake.dialogs.answerInput(QStringLiteral("a master password"));
    QSettings(fake.settingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
}

bool showAndWait(QWidget *window) {
    window->show();
    return QTest::qWaitForWindowExposed(window);
}

} // namespace

// Every window at one desktop scale (the test runs once for each of 1.25, 1.5, 1.75 and 2): each
// caption inside its control, each border whole, and the pictures drawn at the screen's resolution.
class tst_scaling : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void splashScreen();
    void mainWindowWithBannerAndFindBar();
    void entryEditor();
    void aboutWindow();
    void helpWindow();
    void browserWindow();
};

void tst_scaling::initTestCase() {
    QVERIFY2(desktopScale() > 1.0, "run at a desktop scale above 1: QT_SCALE_FACTOR");
}

void tst_scaling::cleanup() {
    destroyAllWindows();
}

void tst_scaling::splashScreen() {
    FakePlatform fake;
    SkinEngine skin;
    SplashScreen splash(&skin);
    splash.start();
    splash.timer()->stop(); // it stays up for the look
    QVERIFY(showAndWait(&splash));
    QCOMPARE(splash.devicePixelRatioF(), desktopScale());
    keepScreenshot(&splash, QStringLiteral("splash"));
    auto *picture = splash.findChild<QLabel *>(QStringLiteral("Image1"));
    QVERIFY(picture);
    verifyPictureIsSharp(picture, QSizeF(476, 316));

    // The picture's one-pixel frame shows on all four sides: nothing of it is cut off.
    const QImage seen = splash.grab().toImage();
    const QColor frame = picture->palette().color(QPalette::WindowText);
    for (const Qt::Edge edge : {Qt::TopEdge, Qt::BottomEdge, Qt::LeftEdge, Qt::RightEdge})
        QVERIFY2(edgeShown(seen, seen.rect(), edge, frame) > 0.95, qPrintable(QString::number(edge)));
}

void tst_scaling::mainWindowWithBannerAndFindBar() {
    FakePlatform fake;
    prepareMainWindow(fake);
    TestProgram program;
    MainWindow *main = program->openMainWindow();
    QVERIFY(main);
    EntryTableModel *entries = main->entryList()->entries();
    entries->add({QStringLiteral("alice"), QStringLiteral("correct horse"), QStringLiteral("mail.example.org")});
    entries->add({QStringLiteral("bob"), QStringLiteral("battery staple"), QStringLiteral("192.168.1.1")});
    main->showStatus(QStringLiteral("Loaded 2 entries"));
    QVERIFY(showAndWait(main));
    QCOMPARE(main->devicePixelRatioF(), desktopScale());
    verifyIconIsSharp(main->windowIcon(), QSize(256, 256));

    auto *banner = main->findChild<WebBrowser *>(QStringLiteral("wbBanner"));
    QSignalSpy bannerLoaded(banner, &WebBrowser::downloadComplete);
    QTRY_VERIFY(main->bannerStarted());
    QVERIFY(test::pageSignalArrived(bannerLoaded));
    QTest::keyClick(main, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(main->findBar()->isVisible());
    QTest::keyClicks(main->findBar()->findBox(), QStringLiteral("al"));
    QCOMPARE(main->findBar()->countLabel()->text(), QStringLiteral("1 shown, 1 hidden"));
    QTest::qWait(500); // the banner's page drawn
    keepScreenshot(main, QStringLiteral("main-window"));

    // The program's banner shows its frame whole in the strip, the bottom line too.
    const auto *strip = main->findChild<PictureBox *>(QStringLiteral("picBox"));
    QVERIFY(strip);
    const QColor line = program->skin()->skin().colour(QStringLiteral("line"));
    const QRect stripInWindow(strip->mapTo(main, QPoint(0, 0)), strip->size());
    // The strip as the window shows it, in device pixels. Past the accent bar on its left edge.
    const double scale = desktopScale();
    const QRect stripSeen(
        QPoint(qFloor(stripInWindow.left() * scale), qFloor(stripInWindow.top() * scale)),
        QPoint(qCeil((stripInWindow.right() + 1) * scale) - 1, qCeil((stripInWindow.bottom() + 1) * scale) - 1));
    const int accentBar = qCeil(6 * scale) + 1;
    QImage seen;
    const auto bottomLine = [&] {
        seen = main->grab().toImage();
        // Under software drawing the web engine leaves the last row or two of the view unpainted at
        // some scales (black): the line must show just above them.
        return edgeShown(seen, stripSeen, Qt::BottomEdge, line, accentBar, 4);
    };
    QTRY_VERIFY_WITH_TIMEOUT(bottomLine() > 0.95, 10000);
    QVERIFY(edgeShown(seen, stripSeen, Qt::TopEdge, line, accentBar) > 0.95);
    QVERIFY(edgeShown(seen, stripSeen, Qt::RightEdge, line, 4) > 0.95);

    const Cramped cramped = checkCaptions(main);
    QVERIFY2(cramped.found.isEmpty(), qPrintable(cramped.report()));
    // Eight buttons, the status line, five menus, three column headers, and the find bar's label,
    // box, tick, count and Close.
    QCOMPARE(cramped.checked, 8 + 1 + 5 + 3 + 5);
}

void tst_scaling::entryEditor() {
    FakePlatform fake;
    SkinEngine skin;
    auto *editor = new EntryEditor(&skin);
    editor->openForEdit(1, {QStringLiteral("alice"), QStringLiteral("correct horse"), QStringLiteral("mail.example")});
    editor->setPasswordHidden(true); // with the button that shows it
    QVERIFY(showAndWait(editor));
    QCOMPARE(editor->devicePixelRatioF(), desktopScale());
    keepScreenshot(editor, QStringLiteral("editor"));

    const Cramped cramped = checkCaptions(editor);
    QVERIFY2(cramped.found.isEmpty(), qPrintable(cramped.report()));
    // Save and Cancel with their icons, Show, three labels and three text boxes.
    QCOMPARE(cramped.checked, 9);
    for (QPushButton *button : editor->findChildren<QPushButton *>())
        verifyIconIsSharp(button->icon(), button->iconSize());
    verifyIconIsSharp(editor->windowIcon(), QSize(32, 32));
}

void tst_scaling::aboutWindow() {
    FakePlatform fake;
    SkinEngine skin;
    const VersionRecord record = VersionRecord::builtIn();
    auto *about = new AboutWindow(Branding::fromVersion(record), record, &skin);
    QVERIFY(showAndWait(about));
    QCOMPARE(about->devicePixelRatioF(), desktopScale());
    keepScreenshot(about, QStringLiteral("about"));
    auto *header = about->findChild<PictureBox *>(QStringLiteral("Picture1"));
    QVERIFY(header);
    verifyPictureIsSharp(header, QSizeF(497, 68));
    verifyIconIsSharp(about->windowIcon(), QSize(256, 256));

    const Cramped cramped = checkCaptions(about);
    QVERIFY2(cramped.found.isEmpty(), qPrintable(cramped.report()));
    // Name, version, owner and address, the three row captions and their skinned copies.
    QCOMPARE(cramped.checked, 4 + 3 + 3);
}

void tst_scaling::helpWindow() {
    FakePlatform fake;
    QVERIFY(QFile::copy(QStringLiteral(VARNOOK_HELP_FILE), QDir(fake.programFolder()).filePath("Help.rtf")));
    SkinEngine skin;
    auto *help = new HelpWindow(&skin);
    QVERIFY(help->load());
    QVERIFY(showAndWait(help));
    QCOMPARE(help->devicePixelRatioF(), desktopScale());
    keepScreenshot(help, QStringLiteral("help"));

    const Cramped cramped = checkCaptions(help);
    QVERIFY2(cramped.found.isEmpty(), qPrintable(cramped.report()));
    QCOMPARE(cramped.checked, 1); // "Show at Startup"
}

void tst_scaling::browserWindow() {
    FakePlatform fake;
    TestProgram program;
    BrowserWindow *browser = program->openBrowser();
    QVERIFY(browser);
    auto *page = browser->findChild<WebBrowser *>(QStringLiteral("WebBrowser1"));
    QSignalSpy loaded(page, &WebBrowser::downloadComplete);
    QVERIFY(test::pageSignalArrived(loaded));
    QVERIFY(QTest::qWaitForWindowExposed(browser));
    QCOMPARE(browser->devicePixelRatioF(), desktopScale());
    keepScreenshot(browser, QStringLiteral("browser"));

    const Cramped cramped = checkCaptions(browser);
    QVERIFY2(cramped.found.isEmpty(), qPrintable(cramped.report()));
    // Five buttons, the frame's caption, "URL:" and its skinned copy, and the address box.
    QCOMPARE(cramped.checked, 9);
}

QTEST_MAIN(tst_scaling)
#include "tst_scaling.moc"
