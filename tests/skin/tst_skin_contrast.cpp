#include "AboutWindow.h"
#include "Application.h"
#include "BrowserWindow.h"
#include "EntryEditor.h"
#include "EntryListView.h"
#include "FakePlatform.h"
#include "FindBar.h"
#include "HelpWindow.h"
#include "MainWindow.h"
#include "SeenContrast.h"
#include "SkinEngine.h"
#include "WebBrowser.h"
#include "WindowCleanup.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QtTest>

#include <functional>

using namespace varnook;
using namespace varnook::test;

namespace {

constexpr double LeastContrast = 4.5;

QColor rgb(QRgb value) {
    return QColor::fromRgb(value);
}

// A dark desktop scheme of the kind qt6ct's "darker" sets: light text on dark grey.
QPalette darkPalette() {
    QPalette palette;
    const QList<QPair<QPalette::ColorRole, QColor>> roles = {
        {QPalette::WindowText, rgb(0xFFFFFF)},    {QPalette::Button, rgb(0x424245)},
        {QPalette::Light, rgb(0x979797)},         {QPalette::Midlight, rgb(0x5E5C64)},
        {QPalette::Dark, rgb(0x303030)},          {QPalette::Mid, rgb(0x3F3F36)},
        {QPalette::Text, rgb(0xEEEEEC)},          {QPalette::BrightText, rgb(0xFFFFFF)},
        {QPalette::ButtonText, rgb(0xFFFFFF)},    {QPalette::Base, rgb(0x3D3D3D)},
        {QPalette::Window, rgb(0x2F2F2F)},        {QPalette::Shadow, rgb(0x000000)},
        {QPalette::Highlight, rgb(0x12608A)},     {QPalette::HighlightedText, rgb(0xF9F9F9)},
        {QPalette::Link, rgb(0x2A82DA)},          {QPalette::LinkVisited, rgb(0xA070D0)},
        {QPalette::AlternateBase, rgb(0x353535)}, {QPalette::ToolTipBase, rgb(0x3F3F36)},
        {QPalette::ToolTipText, rgb(0xFFFFFF)},   {QPalette::PlaceholderText, rgb(0xA0A0A0)},
    };
    for (const auto &[role, colour] : roles)
        palette.setColor(role, colour);
    return palette;
}

// A high-contrast desktop scheme: white and yellow on black.
QPalette highContrastPalette() {
    QPalette palette;
    const QList<QPair<QPalette::ColorRole, QColor>> roles = {
        {QPalette::WindowText, rgb(0xFFFFFF)},    {QPalette::Button, rgb(0x000000)},
        {QPalette::Light, rgb(0xFFFFFF)},         {QPalette::Midlight, rgb(0xFFFFFF)},
        {QPalette::Dark, rgb(0xFFFFFF)},          {QPalette::Mid, rgb(0xFFFFFF)},
        {QPalette::Text, rgb(0xFFFF00)},          {QPalette::BrightText, rgb(0xFFFFFF)},
        {QPalette::ButtonText, rgb(0xFFFFFF)},    {QPalette::Base, rgb(0x000000)},
        {QPalette::Window, rgb(0x000000)},        {QPalette::Shadow, rgb(0xFFFFFF)},
        {QPalette::Highlight, rgb(0x1AEBFF)},     {QPalette::HighlightedText, rgb(0x000000)},
        {QPalette::Link, rgb(0xFFFF00)},          {QPalette::LinkVisited, rgb(0x00FF00)},
        {QPalette::AlternateBase, rgb(0x000000)}, {QPalette::ToolTipBase, rgb(0x000000)},
        {QPalette::ToolTipText, rgb(0xFFFFFF)},   {QPalette::PlaceholderText, rgb(0x00FF00)},
    };
    for (const auto &[role, colour] : roles)
        palette.setColor(role, colour);
    return palette;
}

// What the window shows of a part of a control: the window drawn there, with whatever lies above.
QImage seenPart(QWidget *control, const QRect &part) {
    QWidget *window = control->window();
    const QRect area = QRect(control->mapTo(window, part.topLeft()), part.size()) & window->rect();
    return window->grab(area).toImage();
}

// Whether the user sees the control: shown, inside its window and not covered by another control.
bool inSight(QWidget *control) {
    QWidget *window = control->window();
    if (!control->isVisibleTo(window))
        return false;
    const QPoint corner = control->mapTo(window, QPoint(0, 0));
    const QList<QPoint> spots = {control->rect().center(), QPoint(3, control->height() / 2), QPoint(3, 3)};
    for (const QPoint &spot : spots) {
        const QPoint inWindow = corner + spot;
        if (!window->rect().contains(inWindow))
            continue;
        QWidget *top = window->childAt(inWindow);
        if (top == control || control->isAncestorOf(top))
            return true;
    }
    return false;
}

// The captions checked in one window and what was wrong with them.
struct Findings {
    QStringList checked;
    QStringList unreadable;

    // Draws the part with its caption and again with the caption taken away.
    void check(const QString &what, QWidget *control, const QRect &part, const std::function<void()> &takeAway,
               const std::function<void()> &putBack) {
        const QImage with = seenPart(control, part);
        takeAway();
        const QImage without = seenPart(control, part);
        putBack();
        const SeenCaption caption = seenCaption(with, without);
        checked.append(what);
        if (caption.pixels < 5 || caption.ratio < LeastContrast)
            unreadable.append(what + QStringLiteral(": ") + describe(caption));
    }

    void check(const QString &what, QWidget *control, const std::function<void()> &takeAway,
               const std::function<void()> &putBack) {
        check(what, control, control->rect(), takeAway, putBack);
    }

    QString report() const { return unreadable.join(QLatin1Char('\n')); }
};

// The captions of the buttons, check boxes, labels, frames, text boxes and menu bar of a window.
void checkCaptions(QWidget *window, Findings &findings) {
    // A control with the focus draws a focus frame round its caption that would come and go with it.
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();

    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        const QString text = button->text();
        if (text.isEmpty() || !inSight(button))
            continue;
        // The icon stays out of both pictures: it moves when the caption goes.
        const QIcon icon = button->icon();
        button->setIcon(QIcon());
        findings.check(
            QStringLiteral("button \"%1\"").arg(text), button, [&] { button->setText(QString()); },
            [&] { button->setText(text); });
        button->setIcon(icon);
    }
    for (QLabel *label : window->findChildren<QLabel *>()) {
        const QString text = label->text();
        if (text.isEmpty() || !inSight(label))
            continue;
        findings.check(
            QStringLiteral("label \"%1\"").arg(text), label, [&] { label->setText(QString()); },
            [&] { label->setText(text); });
    }
    for (QGroupBox *frame : window->findChildren<QGroupBox *>()) {
        const QString title = frame->title();
        if (title.isEmpty() || !inSight(frame))
            continue;
        findings.check(
            QStringLiteral("frame \"%1\"").arg(title), frame, [&] { frame->setTitle(QString()); },
            [&] { frame->setTitle(title); });
    }
    for (QLineEdit *box : window->findChildren<QLineEdit *>()) {
        const QString text = box->text();
        if (text.isEmpty() || !inSight(box))
            continue;
        findings.check(
            QStringLiteral("text box \"%1\"").arg(text), box, [&] { box->setText(QString()); },
            [&] { box->setText(text); });
    }
    for (QMenuBar *bar : window->findChildren<QMenuBar *>()) {
        const QList<QAction *> menus = bar->actions();
        QStringList titles;
        for (const QAction *menu : menus)
            titles.append(menu->text());
        findings.check(
            QStringLiteral("menu bar"), bar,
            [&] {
                for (QAction *menu : menus)
                    menu->setText(QStringLiteral(" "));
            },
            [&] {
                for (int i = 0; i < menus.size(); ++i)
                    menus[i]->setText(titles[i]);
            });
    }
}

// The list's rows (one selected) and its column headers.
void checkList(EntryListView *list, Findings &findings) {
    EntryTableModel *entries = list->entries();
    const QList<Entry> shown = {
        {QStringLiteral("alice"), QStringLiteral("correct horse"), QStringLiteral("mail.example")},
        {QStringLiteral("bob"), QStringLiteral("battery"), QStringLiteral("192.168.1.1")}};
    const auto fill = [&](bool withTexts) {
        entries->clear();
        for (const Entry &entry : shown)
            entries->add(withTexts ? entry : Entry{QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")});
        list->selectPosition(2);
    };
    fill(true);
    QWidget *rows = list->viewport();
    const int rowHeight = list->visualRect(list->model()->index(0, 0)).height(); // the rows the view shows
    findings.check(
        QStringLiteral("list row"), rows, QRect(0, 0, rows->width(), rowHeight), [&] { fill(false); },
        [&] { fill(true); });
    findings.check(
        QStringLiteral("selected list row"), rows, QRect(0, rowHeight, rows->width(), rowHeight), [&] { fill(false); },
        [&] { fill(true); });

    // The headers as drawn, and drawn again from a model whose headers say nothing.
    QHeaderView *header = list->header();
    QList<int> widths;
    for (int section = 0; section < header->count(); ++section)
        widths.append(header->sectionSize(section));
    QStandardItemModel blank(0, header->count());
    for (int section = 0; section < header->count(); ++section)
        blank.setHeaderData(section, Qt::Horizontal, QStringLiteral(" "));
    findings.check(
        QStringLiteral("column headers"), header,
        [&] {
            header->setModel(&blank);
            for (int section = 0; section < widths.size(); ++section)
                header->resizeSection(section, widths[section]);
        },
        [&] {
            header->setModel(list->model());
            for (int section = 0; section < widths.size(); ++section)
                header->resizeSection(section, widths[section]);
        });
}

// Every paragraph of a rich-text view in its own colours, each scrolled into sight.
void checkDocument(QTextBrowser *view, Findings &findings) {
    QTextDocument *document = view->document();
    QWidget *page = view->viewport();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.text().trimmed().isEmpty())
            continue;
        const QRectF place = document->documentLayout()->blockBoundingRect(block);
        view->verticalScrollBar()->setValue(int(place.top()));
        const QRect part = place.toAlignedRect().translated(-view->horizontalScrollBar()->value(),
                                                            -view->verticalScrollBar()->value()) &
                           page->rect();
        // The paragraph's characters drawn in no colour at all show what lies behind them.
        QList<QPair<QTextCursor, QTextCharFormat>> formats;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCursor cursor(document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            formats.append({cursor, fragment.charFormat()});
        }
        findings.check(
            QStringLiteral("help \"%1\"").arg(block.text().left(40)), page, part,
            [&] {
                QTextCharFormat invisible;
                invisible.setForeground(Qt::transparent);
                for (auto &[cursor, format] : formats)
                    cursor.mergeCharFormat(invisible);
            },
            [&] {
                for (auto &[cursor, format] : formats)
                    cursor.setCharFormat(format);
            });
    }
}

// The program of one test, ended while the test's platform is still in place.
struct TestProgram {
    explicit TestProgram(const Branding &branding)
        : program(std::make_unique<Application>(branding)) {}
    ~TestProgram() {
        program.reset();
        destroyAllWindows();
    }
    Application *operator->() { return program.get(); }
    std::unique_ptr<Application> program;
};

Branding withoutBanner() {
    Branding branding = Branding::fromVersion(VersionRecord::builtIn());
    branding.bannerOn = false;
    return branding;
}

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

// Every caption the skin draws stays readable whatever palette the desktop sets: each is drawn
// with and without its text, and the pixels it changes are held against what lies behind them.
class tst_skin_contrast : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void mainWindow_data();
    void mainWindow();
    void findBar_data();
    void findBar();
    void entryEditor_data();
    void entryEditor();
    void helpWindow_data();
    void helpWindow();
    void aboutWindow_data();
    void aboutWindow();
    void browserWindow_data();
    void browserWindow();
    void paletteChangedWhileOpen();

private:
    void addPalettes();
    QPalette m_desktopPalette;
};

void tst_skin_contrast::initTestCase() {
    m_desktopPalette = QApplication::palette();
}

void tst_skin_contrast::cleanup() {
    destroyAllWindows();
    QApplication::setPalette(m_desktopPalette);
}

void tst_skin_contrast::addPalettes() {
    QTest::addColumn<QPalette>("desktop");
    QTest::newRow("light") << m_desktopPalette;
    QTest::newRow("dark") << darkPalette();
    QTest::newRow("high contrast") << highContrastPalette();
}

void tst_skin_contrast::mainWindow_data() {
    addPalettes();
}

void tst_skin_contrast::mainWindow() {
    QFETCH(QPalette, desktop);
    QApplication::setPalette(desktop);
    FakePlatform fake;
    prepareMainWindow(fake);
    TestProgram program(withoutBanner());
    MainWindow *main = program->openMainWindow();
    QVERIFY(main);
    main->showStatus(QStringLiteral("Loaded 2 entries"));
    QVERIFY(showAndWait(main));

    Findings findings;
    checkList(main->entryList(), findings);
    checkCaptions(main, findings);
    QVERIFY2(findings.unreadable.isEmpty(), qPrintable(findings.report()));
    // Eight buttons, the status line, the menu bar, two rows and the headers.
    QCOMPARE(findings.checked.size(), 13);
}

void tst_skin_contrast::findBar_data() {
    addPalettes();
}

// The bar Ctrl+F opens under the list, with a text typed and the entries counted.
void tst_skin_contrast::findBar() {
    QFETCH(QPalette, desktop);
    QApplication::setPalette(desktop);
    FakePlatform fake;
    prepareMainWindow(fake);
    TestProgram program(withoutBanner());
    MainWindow *main = program->openMainWindow();
    QVERIFY(main);
    main->entryList()->entries()->add(
        {QStringLiteral("alice"), QStringLiteral("correct horse"), QStringLiteral("mail.example")});
    main->entryList()->entries()->add(
        {QStringLiteral("bob"), QStringLiteral("battery"), QStringLiteral("192.168.1.1")});
    QVERIFY(showAndWait(main));
    QTest::keyClick(main, Qt::Key_F, Qt::ControlModifier);
    FindBar *bar = main->findBar();
    QVERIFY(bar->isVisible());
    QTest::keyClicks(bar->findBox(), QStringLiteral("al"));
    QCOMPARE(bar->countLabel()->text(), QStringLiteral("1 shown, 1 hidden"));

    Findings findings;
    checkCaptions(bar, findings);
    QVERIFY2(findings.unreadable.isEmpty(), qPrintable(findings.report()));
    // "Find:", the text typed, "Passwords too", the counts and Close.
    QCOMPARE(findings.checked.size(), 5);
}

void tst_skin_contrast::entryEditor_data() {
    addPalettes();
}

void tst_skin_contrast::entryEditor() {
    QFETCH(QPalette, desktop);
    QApplication::setPalette(desktop);
    FakePlatform fake;
    SkinEngine skin;
    auto *editor = new EntryEditor(&skin);
    editor->openForEdit(1, {QStringLiteral("alice"), QStringLiteral("correct horse"), QStringLiteral("mail.example")});
    editor->setPasswordHidden(true); // with the button that shows it
    QVERIFY(showAndWait(editor));

    Findings findings;
    checkCaptions(editor, findings);
    QVERIFY2(findings.unreadable.isEmpty(), qPrintable(findings.report()));
    // Save, Cancel, Show, three labels and three fields.
    QCOMPARE(findings.checked.size(), 9);
}

void tst_skin_contrast::helpWindow_data() {
    addPalettes();
}

void tst_skin_contrast::helpWindow() {
    QFETCH(QPalette, desktop);
    QApplication::setPalette(desktop);
    FakePlatform fake;
    QVERIFY(QFile::copy(QStringLiteral(VARNOOK_HELP_FILE), QDir(fake.programFolder()).filePath("Help.rtf")));
    SkinEngine skin;
    auto *help = new HelpWindow(&skin);
    QVERIFY(help->load());
    QVERIFY(showAndWait(help));
    QVERIFY(help->textView()->document()->blockCount() > 20);

    Findings findings;
    checkCaptions(help, findings);
    QCOMPARE(findings.checked, QStringList{QStringLiteral("button \"Show at Startup\"")});
    checkDocument(help->textView(), findings);
    QVERIFY2(findings.unreadable.isEmpty(), qPrintable(findings.report()));
    QVERIFY(findings.checked.size() > 20);
}

void tst_skin_contrast::aboutWindow_data() {
    addPalettes();
}

void tst_skin_contrast::aboutWindow() {
    QFETCH(QPalette, desktop);
    QApplication::setPalette(desktop);
    FakePlatform fake;
    SkinEngine skin;
    const VersionRecord record = VersionRecord::builtIn();
    auto *about = new AboutWindow(Branding::fromVersion(record), record, &skin);
    QVERIFY(showAndWait(about));

    Findings findings;
    checkCaptions(about, findings);
    QVERIFY2(findings.unreadable.isEmpty(), qPrintable(findings.report()));
    // Name, version, owner and address, and the skinned copies of the three row captions.
    QCOMPARE(findings.checked.size(), 7);
}

void tst_skin_contrast::browserWindow_data() {
    addPalettes();
}

void tst_skin_contrast::browserWindow() {
    QFETCH(QPalette, desktop);
    QApplication::setPalette(desktop);
    FakePlatform fake;
    TestProgram program(withoutBanner());
    BrowserWindow *browser = program->openBrowser();
    QVERIFY(browser);
    auto *page = browser->findChild<WebBrowser *>();
    QSignalSpy loaded(page, &WebBrowser::downloadComplete);
    QVERIFY(loaded.wait(30000));
    QVERIFY(QTest::qWaitForWindowExposed(browser));
    browser->findChild<QLineEdit *>()->setText(QStringLiteral("https://example.org/"));

    Findings findings;
    checkCaptions(browser, findings);
    QVERIFY2(findings.unreadable.isEmpty(), qPrintable(findings.report()));
    // Five buttons, the frame's caption, "URL:" and the address.
    QCOMPARE(findings.checked.size(), 8);
}

// A desktop that switches to a dark scheme while the windows are open changes none of the skin's pairs.
void tst_skin_contrast::paletteChangedWhileOpen() {
    FakePlatform fake;
    prepareMainWindow(fake);
    TestProgram program(withoutBanner());
    MainWindow *main = program->openMainWindow();
    QVERIFY(main);
    main->showStatus(QStringLiteral("Loaded 2 entries"));
    QVERIFY(showAndWait(main));
    main->openAbout();
    QVERIFY(showAndWait(main->aboutWindow()));

    QApplication::setPalette(darkPalette());
    QCoreApplication::processEvents();

    Findings findings;
    checkList(main->entryList(), findings);
    checkCaptions(main, findings);
    checkCaptions(main->aboutWindow(), findings);
    QVERIFY2(findings.unreadable.isEmpty(), qPrintable(findings.report()));
    QCOMPARE(findings.checked.size(), 13 + 7);
}

QTEST_MAIN(tst_skin_contrast)
#include "tst_skin_contrast.moc"
