// The main window and its boxes from the keyboard, a clipboard that forgets a copied password, and
// passwords kept out of sight on request.

#include "AppTestSupport.h"
#include "EditorClicks.h"
#include "EntryEditor.h"
#include "FileHelpers.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

using namespace varnook;
using namespace varnook::test;

namespace {

const QByteArray Alice = "alice|||pw-a|||mail.example";
const QByteArray Carol = "carol|||pw-c|||https://intranet.example";

MainWindow *activeMainWindow(FakePlatform &fake) {
    MainWindow *main = openMainWindow(fake, {Carol, Alice});
    if (!main)
        return nullptr;
    main->activateWindow();
    if (!QTest::qWaitForWindowActive(main))
        return nullptr;
    return main;
}

void setSetting(const FakePlatform &fake, const QString &key, const QVariant &value) {
    QSettings settings(fake.settingsFile(), QSettings::IniFormat);
    settings.setValue(key, value);
}

QString clipboardText() {
    return QGuiApplication::clipboard()->text();
}

} // namespace

class tst_Keyboard : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { closeApplication(); }

    void shortcutsRunTheCommands() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake);
        QVERIFY(main);
        main->entryList()->selectPosition(1); // carol

        QTest::keyClick(main, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("carol"));
        QTest::keyClick(main, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("pw-c"));
        QTest::keyClick(main, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("https://intranet.example"));
        QTest::keyClick(main, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(fake.launcher.launches.size(), 1);
        QCOMPARE(fake.launcher.launches[0].arguments, QStringList{"https://intranet.example"});

        // Ctrl+C with the list focused copies the whole password, not the cell's text.
        main->entryList()->setFocus();
        QTest::keyClick(main->entryList(), Qt::Key_B, Qt::ControlModifier);
        QTest::keyClick(main->entryList(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("pw-c"));

        QTest::keyClick(main, Qt::Key_E, Qt::ControlModifier);
        QVERIFY(main->entryEditor());
        QCOMPARE(main->entryEditor()->windowTitle(), QStringLiteral("Edit an entry"));
        main->entryEditor()->close();
        // Enter on the list edits the selected entry too.
        QTest::keyClick(main->entryList(), Qt::Key_Return);
        QVERIFY(main->entryEditor());
        QCOMPARE(main->entryEditor()->row(), application().session().entries().rowId(1));
        main->entryEditor()->close();
        QTest::keyClick(main, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(main->entryEditor());
        QCOMPARE(main->entryEditor()->windowTitle(), QStringLiteral("Add an entry"));
        main->entryEditor()->close();

        // Delete asks first, as the button does.
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        QTest::keyClick(main->entryList(), Qt::Key_Delete);
        QCOMPARE(fake.dialogs.shown.constLast().title, QStringLiteral("Confirm Delete"));
        QCOMPARE(usernames(main), QStringList{"alice"});
        QCOMPARE(readDataFile(fake), scrambled("secret") + "\r\n" + scrambled(Alice) + "\r\n\r\n");

        QTest::keyClick(main, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!main->isVisible());
    }

    void escapeClosesTheWindowsAndEnterPressesTheFocusedButton() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake);
        QVERIFY(main);
        const QByteArray before = readDataFile(fake);

        mainButton(main, "cmdAdd")->setFocus();
        QTest::keyClick(main, Qt::Key_Return);
        QPointer<EntryEditor> editor = main->entryEditor();
        QVERIFY(editor);
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("txtUsername")), QStringLiteral("dave"));
        QTest::keyClick(editor->findChild<QLineEdit *>(QStringLiteral("txtUsername")), Qt::Key_Escape);
        QTRY_VERIFY(!editor); // closed as Cancel closes it: nothing saved
        QCOMPARE(readDataFile(fake), before);

        // Enter on the focused Cancel button cancels; on Save, saves.
        main->onAddClicked();
        editor = main->entryEditor();
        fillEditorAndSave(main, QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("x"));
        QTRY_VERIFY(!editor);
        main->onAddClicked();
        editor = main->entryEditor();
        editor->findChild<QPushButton *>(QStringLiteral("cmdDelete"))->setFocus();
        QTest::keyClick(editor, Qt::Key_Enter);
        QTRY_VERIFY(!editor);
        QCOMPARE(usernames(main), (QStringList{"carol", "alice", "dave"}));

        main->openAbout();
        QPointer<AboutWindow> about = main->aboutWindow();
        about->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(about));
        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(!about || !about->isVisible());

        writeBytes(fake.programFolder() + QStringLiteral("/Help.rtf"), "{\\rtf1 Help}");
        main->openHelp();
        QPointer<HelpWindow> help = main->helpWindow();
        QVERIFY(help);
        help->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTest::keyClick(help->textView(), Qt::Key_Escape);
        QVERIFY(!help || !help->isVisible());
    }

    // F1 opens Help, and brings it forward again once another window is in front of it.
    void f1OpensHelp() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake);
        QVERIFY(main);
        writeBytes(fake.programFolder() + QStringLiteral("/Help.rtf"), "{\\rtf1 Help}");
        QVERIFY(!main->helpWindow());
        QTest::keyClick(main, Qt::Key_F1);
        QPointer<HelpWindow> help = main->helpWindow();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(help));
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QTest::keyClick(main, Qt::Key_F1);
        QCOMPARE(main->helpWindow(), help.data());
        QVERIFY(QTest::qWaitForWindowActive(help));
    }

    void tabGoesInReadingOrder() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake);
        QVERIFY(main);
        mainButton(main, "cmdAdd")->setFocus();
        QStringList order;
        for (int i = 0; i < 10; ++i) {
            QWidget *focused = QApplication::focusWidget();
            auto *button = qobject_cast<QPushButton *>(focused);
            order << (button ? button->text() : focused == main->entryList() ? QStringLiteral("list") : QString());
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QCOMPARE(order,
                 (QStringList{"Add", "Delete", "Edit", "Go To", main->findChild<QPushButton *>("cmdWebsite")->text(),
                              "Copy Username", "Copy Password", "Copy Used At", "list", "Add"}));
    }

    // The list moves by entries: Home and End go to the first and last one, not to a row's first
    // and last cell, and each row is as high as a line of the list's font, however that changes.
    void listKeysMoveByEntry() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Carol, Alice, "bob|||pw-b|||b.example"});
        QVERIFY(main);
        EntryListView *list = main->entryList();
        list->setFocus();
        list->selectPosition(2);
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->firstSelectedPosition(), 3);
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->firstSelectedPosition(), 1);
        QTest::keyClick(list, Qt::Key_Right);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->firstSelectedPosition(), 2);
        QCOMPARE(list->selectionModel()->selectedRows().size(), 1);

        const auto rowHeight = [list] {
            return list->visualRect(list->model()->index(1, 0)).height();
        };
        const int before = rowHeight();
        QVERIFY(before >= list->fontMetrics().height());
        QFont larger = list->font();
        larger.setPointSizeF(larger.pointSizeF() * 2);
        list->setFont(larger);
        QVERIFY(rowHeight() >= QFontMetrics(larger).height());
        QVERIFY(rowHeight() > before);
    }

    void sortingFromTheMenu() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake);
        QVERIFY(main);
        main->sortAction(0)->trigger();
        QCOMPARE(usernames(main), (QStringList{"alice", "carol"}));
        main->sortAction(0)->trigger();
        QCOMPARE(usernames(main), (QStringList{"carol", "alice"}));
        main->sortAction(2)->trigger();
        QCOMPARE(usernames(main), (QStringList{"carol", "alice"})); // https://… before mail.…
        QCOMPARE(main->sortAction(1)->text(), QStringLiteral("Sort by Password"));
    }

    void copiedPasswordLeavesTheClipboard() {
        FakePlatform fake;
        setSetting(fake, QStringLiteral("Settings/clipboardClearSeconds"), 1);
        MainWindow *main = activeMainWindow(fake);
        QVERIFY(main);
        main->entryList()->selectPosition(2);
        main->onCopyClicked(1);
        QCOMPARE(clipboardText(), QStringLiteral("pw-a"));
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("x-kde-passwordManagerHint")));
        QTRY_COMPARE_WITH_TIMEOUT(clipboardText(), QString(), 3000);
        QCOMPARE(main->statusText(), QStringLiteral("The copied password was cleared from the clipboard."));

        // What the user copied since stays, and so does a user name.
        main->onCopyClicked(1);
        QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
        main->onCopyClicked(0);
        QTest::qWait(1300);
        QCOMPARE(clipboardText(), QStringLiteral("alice"));
        QVERIFY(!main->clipboardEraser().isWaiting());
    }

    void clipboardKeepsThePasswordWhenSetSo() {
        FakePlatform fake;
        setSetting(fake, QStringLiteral("Settings/clipboardClearSeconds"), 0);
        MainWindow *main = activeMainWindow(fake);
        QVERIFY(main);
        main->entryList()->selectPosition(2);
        main->onCopyClicked(1);
        QVERIFY(!main->clipboardEraser().isWaiting());
        QCOMPARE(clipboardText(), QStringLiteral("pw-a"));
    }

    void hiddenPasswordsShowAsDots() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake);
        QVERIFY(main);
        QVERIFY(!main->hidePasswordsAction()->isChecked());
        EntryTableModel &list = application().session().entries();
        QCOMPARE(list.data(list.index(0, 1)).toString(), QStringLiteral("pw-c"));
        main->hidePasswordsAction()->trigger();
        QCOMPARE(list.data(list.index(0, 1)).toString(), QStringLiteral("••••••••"));
        QCOMPARE(list.data(list.index(0, 0)).toString(), QStringLiteral("carol"));

        // Copy copies the real password; the status line shows dots.
        main->entryList()->selectPosition(1);
        main->onCopyClicked(1);
        QCOMPARE(clipboardText(), QStringLiteral("pw-c"));
        QCOMPARE(main->statusText(), QStringLiteral("Copied Password ••••••••"));

        fake.dialogs.answerMessage(MessageAnswer::Cancel);
        main->onDeleteClicked();
        QCOMPARE(fake.dialogs.shown.constLast().text,
                 QStringLiteral("Are you sure you want to delete the following information?\r\n\r\nUsername: "
                                "carol\r\nPassword: ••••••••\r\nUsed At: https://intranet.example"));

        // The editor shows the password only while its button is held.
        main->onEditClicked();
        EntryEditor *editor = main->entryEditor();
        QVERIFY(editor);
        auto *password = editor->findChild<QLineEdit *>(QStringLiteral("txtPassword"));
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QVERIFY(editor->showPasswordButton()->isVisible());
        QTest::mousePress(editor->showPasswordButton(), Qt::LeftButton);
        QCOMPARE(password->echoMode(), QLineEdit::Normal);
        QTest::mouseRelease(editor->showPasswordButton(), Qt::LeftButton);
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(password->text(), QStringLiteral("pw-c"));
        editor->close();

        // Remembered for the next start; the file is as it was.
        QCOMPARE(readDataFile(fake),
                 scrambled("secret") + "\r\n" + scrambled(Carol) + "\r\n" + scrambled(Alice) + "\r\n\r\n");
        closeApplication();
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *again = newApplication().openMainWindow();
        QVERIFY(again->hidePasswordsAction()->isChecked());
        QCOMPARE(again->entryList()->entries()->data(again->entryList()->entries()->index(0, 1)).toString(),
                 QStringLiteral("••••••••"));
    }
};

QTEST_MAIN(tst_Keyboard)
#include "tst_keyboard.moc"
