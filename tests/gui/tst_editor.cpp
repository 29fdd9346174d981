#include "AppTestSupport.h"

#include "EntryEditor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>

using namespace varnook;
using namespace varnook::test;

class tst_Editor : public QObject {
    Q_OBJECT

private:
    MainWindow *open(FakePlatform &fake, const QList<QByteArray> &lines = {"alice|||pw-a|||www.alpha.example",
                                                                           "bob|||pw-b|||bee.example"}) {
        return openMainWindow(fake, lines);
    }

    EntryEditor *openAdd(MainWindow *main) {
        QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("cmdAdd")), Qt::LeftButton);
        return main->entryEditor();
    }

    EntryEditor *openEdit(MainWindow *main, int position) {
        main->entryList()->selectPosition(position);
        QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("cmdEdit")), Qt::LeftButton);
        return main->entryEditor();
    }

    QLineEdit *box(EntryEditor *editor, const char *name) {
        return editor->findChild<QLineEdit *>(QLatin1String(name));
    }

    void type(EntryEditor *editor, const QString &username, const QString &password, const QString &website) {
        for (const auto &[name, text] : {std::pair{"txtUsername", username}, std::pair{"txtPassword", password},
                                         std::pair{"txtWebsite", website}}) {
            QLineEdit *edit = box(editor, name);
            edit->clear();
            QTest::keyClicks(edit, text);
        }
    }

    void clickSave(EntryEditor *editor) {
        QTest::mouseClick(qobject_cast<QPushButton *>(controlElement(editor, QStringLiteral("cmdAdd"), 0)),
                          Qt::LeftButton);
    }

    QStringList boxTexts(const FakePlatform &fake, qsizetype from) {
        QStringList texts;
        for (qsizetype i = from; i < fake.dialogs.shown.size(); ++i)
            texts << fake.dialogs.shown[i].title + QStringLiteral(": ") + fake.dialogs.shown[i].text;
        return texts;
    }

private slots:
    void cleanup() { closeApplication(); }

    void addAppendsAnEntryAndSaves() {
        FakePlatform fake;
        MainWindow *main = open(fake);
        QVERIFY(main);
        EntryEditor *editor = openAdd(main);
        QVERIFY(editor);
        QCOMPARE(editor->windowTitle(), QStringLiteral("Add an entry"));
        QVERIFY(box(editor, "txtUsername")->text().isEmpty());
        QCOMPARE(editor->focusWidget(), editor->findChild<QPushButton *>(QStringLiteral("cmdDelete")));

        type(editor, QStringLiteral(" carol "), QStringLiteral("pw c"), QString());
        clickSave(editor);

        QVERIFY(!main->entryEditor());
        QCOMPARE(main->statusText(), QStringLiteral("Added new entry.  Data saved."));
        const EntryTableModel &list = *main->entryList()->entries();
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.entry(3), (Entry{QStringLiteral(" carol "), QStringLiteral("pw c"), QString()}));
        QCOMPARE(readDataFile(fake), scrambled("secret") + "\r\n" + scrambled("alice|||pw-a|||www.alpha.example") +
                                         "\r\n" + scrambled("bob|||pw-b|||bee.example") + "\r\n" +
                                         scrambled(" carol |||pw c|||") + "\r\n\r\n");
    }

    void longFieldsAreSavedWhole_data() {
        QTest::addColumn<bool>("editing");
        QTest::newRow("pasted into a new entry") << false;
        QTest::newRow("an entry edited elsewhere") << true;
    }
    void longFieldsAreSavedWhole() {
        QFETCH(bool, editing);
        const QByteArray longText(40000, 'x');
        FakePlatform fake;
        MainWindow *main = open(fake, {"alice|||" + longText + "|||www.alpha.example"});
        QVERIFY(main);
        EntryEditor *editor = editing ? openEdit(main, 1) : openAdd(main);
        QVERIFY(editor);
        if (editing) {
            QLineEdit *website = box(editor, "txtWebsite");
            website->clear();
            QTest::keyClicks(website, QStringLiteral("alpha.example"));
        } else {
            type(editor, QStringLiteral("alice"), QString(), QStringLiteral("alpha.example"));
            QGuiApplication::clipboard()->setText(QString::fromLatin1(longText));
            QTest::keyClick(box(editor, "txtPassword"), Qt::Key_V, Qt::ControlModifier);
        }
        QCOMPARE(box(editor, "txtPassword")->text().size(), 40000);
        clickSave(editor);
        QCOMPARE(main->statusText(), QStringLiteral("Added new entry.  Data saved."));
        const QByteArray line = scrambled("alice|||" + longText + "|||alpha.example") + "\r\n";
        QCOMPARE(readDataFile(fake),
                 scrambled("secret") + "\r\n" +
                     (editing ? line : scrambled("alice|||" + longText + "|||www.alpha.example") + "\r\n" + line) +
                     "\r\n");
    }

    void editOverwritesTheRowInPlace() {
        FakePlatform fake;
        MainWindow *main = open(fake);
        QVERIFY(main);
        EntryEditor *editor = openEdit(main, 1);
        QVERIFY(editor);
        QCOMPARE(editor->windowTitle(), QStringLiteral("Edit an entry"));
        QCOMPARE(box(editor, "txtUsername")->text(), QStringLiteral("alice"));
        QCOMPARE(box(editor, "txtPassword")->text(), QStringLiteral("pw-a"));
        QCOMPARE(box(editor, "txtWebsite")->text(), QStringLiteral("www.alpha.example"));

        type(editor, QStringLiteral("alicia"), QStringLiteral("new"), QStringLiteral("alpha.example"));
        clickSave(editor);
        QCOMPARE(main->statusText(), QStringLiteral("Added new entry.  Data saved."));
        const EntryTableModel &list = *main->entryList()->entries();
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.entry(1),
                 (Entry{QStringLiteral("alicia"), QStringLiteral("new"), QStringLiteral("alpha.example")}));
        QCOMPARE(list.entry(2).username, QStringLiteral("bob"));
        // Every save writes each row as it is now, the edited one included.
        const QByteArray expected = scrambled("secret") + "\r\n" + scrambled("alicia|||new|||alpha.example") + "\r\n" +
                                    scrambled("bob|||pw-b|||bee.example") + "\r\n\r\n";
        QCOMPARE(readDataFile(fake), expected);
        editor = openEdit(main, 1);
        type(editor, QStringLiteral("alicia"), QStringLiteral("newer"), QStringLiteral("alpha.example"));
        clickSave(editor);
        QCOMPARE(readDataFile(fake), QByteArray(expected).replace(scrambled("|||new|||"), scrambled("|||newer|||")));
    }

    void emptyFieldsAreRefusedInOrder_data() {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "You must enter a username";
        QTest::newRow("no user name") << ""
                                      << "pw"
                                      << "You must enter a username";
        QTest::newRow("no password") << "user"
                                     << ""
                                     << "You must enter a password";
    }
    void emptyFieldsAreRefusedInOrder() {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QString, message);
        FakePlatform fake;
        MainWindow *main = open(fake);
        QVERIFY(main);
        const QByteArray before = readDataFile(fake);
        main->showStatus(QStringLiteral("unchanged"));
        EntryEditor *editor = openAdd(main);
        type(editor, username, password, QStringLiteral("site"));
        const qsizetype from = fake.dialogs.shown.size();
        fake.dialogs.answerMessage(MessageAnswer::Ok); // the refusal
        clickSave(editor);
        QCOMPARE(boxTexts(fake, from), QStringList{QStringLiteral("Error: ") + message});
        QCOMPARE(fake.dialogs.shown.last().buttons, MessageButtons::Ok);
        QCOMPARE(fake.dialogs.shown.last().icon, MessageIcon::None);
        QCOMPARE(main->entryEditor(), editor);
        QCOMPARE(box(editor, "txtWebsite")->text(), QStringLiteral("site"));
        QCOMPARE(main->entryList()->entries()->count(), 2);
        QCOMPARE(readDataFile(fake), before);
        QCOMPARE(main->statusText(), QStringLiteral("unchanged"));
    }

    void enterInTheLocationBoxSaves() {
        FakePlatform fake;
        MainWindow *main = open(fake);
        QVERIFY(main);
        EntryEditor *editor = openAdd(main);
        type(editor, QStringLiteral("dave"), QString(), QStringLiteral("d.example"));
        QTest::keyClick(box(editor, "txtUsername"), Qt::Key_Return); // does nothing
        QCOMPARE(fake.dialogs.shown.size(), 1);                      // only the login so far
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        QTest::keyClick(box(editor, "txtWebsite"), Qt::Key_Return);
        QCOMPARE(fake.dialogs.shown.last().text, QStringLiteral("You must enter a password"));
        QTest::keyClicks(box(editor, "txtPassword"), QStringLiteral("pw"));
        QTest::keyClick(box(editor, "txtWebsite"), Qt::Key_Enter);
        QVERIFY(!main->entryEditor());
        QCOMPARE(main->entryList()->entries()->count(), 3);
    }

    void cancelAndCloseBoxWriteNothing() {
        for (bool useCloseBox : {false, true}) {
            FakePlatform fake;
            MainWindow *main = open(fake);
            QVERIFY(main);
            const QByteArray before = readDataFile(fake);
            main->showStatus(QStringLiteral("unchanged"));
            EntryEditor *editor = openEdit(main, 2);
            type(editor, QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"));
            if (useCloseBox)
                editor->close();
            else
                QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdDelete")), Qt::LeftButton);
            QVERIFY(!main->entryEditor());
            QCOMPARE(main->entryList()->entries()->entry(2).username, QStringLiteral("bob"));
            QCOMPARE(readDataFile(fake), before);
            QCOMPARE(main->statusText(), QStringLiteral("unchanged"));
            closeApplication();
        }
    }

    void fieldsTheFileCannotHoldAreRefused_data() {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("website");
        QTest::addColumn<QString>("field");
        QTest::newRow("separator in the user name") << "a|||b"
                                                    << "pw"
                                                    << ""
                                                    << "user name";
        QTest::newRow("separator in the location") << "a"
                                                   << "pw"
                                                   << "x|||y"
                                                   << "website";
        QTest::newRow("line break in the password") << "a"
                                                    << "p\nw"
                                                    << ""
                                                    << "password";
        QTest::newRow("carriage return") << "a"
                                         << "p\rw"
                                         << ""
                                         << "password";
        QTest::newRow("outside the code page") << "a" << QString::fromUtf8("p\xc4\x81ss") << ""
                                               << "password";
        QTest::newRow("first bad field wins") << "a|||"
                                              << "p\n"
                                              << ""
                                              << "user name";
    }
    void fieldsTheFileCannotHoldAreRefused() {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QString, website);
        QFETCH(QString, field);
        FakePlatform fake;
        MainWindow *main = open(fake);
        QVERIFY(main);
        const QByteArray before = readDataFile(fake);
        EntryEditor *editor = openAdd(main);
        // Set directly: a line break cannot be typed into a one-line box, but it can be pasted.
        box(editor, "txtUsername")->setText(username);
        box(editor, "txtPassword")->setText(password);
        box(editor, "txtWebsite")->setText(website);
        const qsizetype from = fake.dialogs.shown.size();
        fake.dialogs.answerMessage(MessageAnswer::Ok); // the refusal
        clickSave(editor);
        const QStringList shown = boxTexts(fake, from);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith(QStringLiteral("Error: The ") + field + QStringLiteral(" cannot be saved")),
                 qPrintable(shown[0]));
        QCOMPARE(main->entryEditor(), editor);
        QCOMPARE(main->entryList()->entries()->count(), 2);
        QCOMPARE(readDataFile(fake), before);
    }

    void windows1252TextIsAccepted() {
        FakePlatform fake;
        MainWindow *main = open(fake);
        QVERIFY(main);
        EntryEditor *editor = openAdd(main);
        box(editor, "txtUsername")->setText(QString::fromUtf8("Š€é")); // not typeable by the test's keyboard
        QTest::keyClicks(box(editor, "txtPassword"), QStringLiteral("  "));
        clickSave(editor);
        QVERIFY(!main->entryEditor());
        QCOMPARE(main->entryList()->entries()->entry(3).username, QString::fromUtf8("Š€é"));
    }

    void editorNeverWritesIntoAnotherRow() {
        FakePlatform fake;
        MainWindow *main = open(fake, {"alice|||a|||", "bob|||b|||", "carol|||c|||"});
        QVERIFY(main);
        EntryEditor *editor = openEdit(main, 3); // carol
        type(editor, QStringLiteral("caroline"), QStringLiteral("c2"), QString());

        // Meanwhile: the list is sorted descending and a further Add is pressed.
        main->onColumnClicked(1); // ascending: alice, bob, carol
        main->onColumnClicked(1); // descending: carol, bob, alice
        QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("cmdAdd")), Qt::LeftButton);
        QCOMPARE(main->entryEditor(), editor); // brought forward unchanged
        QCOMPARE(editor->windowTitle(), QStringLiteral("Edit an entry"));
        QCOMPARE(box(editor, "txtUsername")->text(), QStringLiteral("caroline"));

        clickSave(editor);
        const EntryTableModel &list = *main->entryList()->entries();
        QCOMPARE(list.count(), 3);
        QStringList names;
        for (int p = 1; p <= list.count(); ++p)
            names << list.entry(p).username;
        QCOMPARE(names, QStringList({"caroline", "bob", "alice"}));
    }

    void savingADeletedRowTellsTheUser() {
        FakePlatform fake;
        MainWindow *main = open(fake);
        QVERIFY(main);
        EntryEditor *editor = openEdit(main, 2);
        main->entryList()->selectPosition(2);
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        main->onDeleteClicked();
        const QByteArray afterDelete = readDataFile(fake);
        QCOMPARE(main->entryList()->entries()->count(), 1);

        const qsizetype from = fake.dialogs.shown.size();
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        clickSave(editor);
        const QStringList shown = boxTexts(fake, from);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].contains(QStringLiteral("deleted")));
        QCOMPARE(main->entryList()->entries()->count(), 1);
        QCOMPARE(main->entryList()->entries()->entry(1).username, QStringLiteral("alice"));
        QCOMPARE(readDataFile(fake), afterDelete);
    }
};

QTEST_MAIN(tst_Editor)
#include "tst_editor.moc"
