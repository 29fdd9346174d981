// The find bar, typed into as a user does: the list shows what holds the text, every command works
// on what is shown and selected, and every save writes every entry, in the full list's order.

#include "AppTestSupport.h"
#include "EditorClicks.h"
#include "EntryEditor.h"
#include "FileHelpers.h"
#include "FindBar.h"
#include "PageLoads.h"
#include "WebBrowser.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {

const QByteArray Alice = "Alice|||pw-one|||mail.example";
const QByteArray Bob = "bob|||Secret-ALPHA|||bank.example";
const QByteArray Carol = "carol|||pw-c|||https://ALbum.example";
const QByteArray Dave = "dave|||pw-d|||shop.example";
const QByteArray Erin = "Erin|||xx|||intranet";
// A line the program did not write itself: saved as it is until its entry is edited.
const QByteArray Ivan = "ivan|||pw|";

QByteArray fileOf(const QList<QByteArray> &lines) {
    QByteArray bytes = scrambled("secret") + "\r\n";
    for (const QByteArray &line : lines)
        bytes += scrambled(line) + "\r\n";
    return bytes + "\r\n";
}

MainWindow *activeMainWindow(FakePlatform &fake, const QList<QByteArray> &lines) {
    MainWindow *main = openMainWindow(fake, lines);
    if (!main)
        return nullptr;
    main->activateWindow();
    return QTest::qWaitForWindowActive(main) ? main : nullptr;
}

QLineEdit *findBox(MainWindow *main) {
    return main->findBar()->findBox();
}

// Ctrl+F, then the text typed key by key.
void find(MainWindow *main, const QString &text) {
    QTest::keyClick(main, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(main->findBar()->isVisible());
    QCOMPARE(QApplication::focusWidget(), findBox(main));
    QTest::keyClicks(findBox(main), text);
}

// The user names the list shows, top to bottom.
QStringList shownNames(MainWindow *main) {
    const QAbstractItemModel *shown = main->entryList()->model();
    QStringList names;
    for (int row = 0; row < shown->rowCount(); ++row)
        names << shown->data(shown->index(row, 0)).toString();
    return names;
}

void clickShownRow(MainWindow *main, int row) {
    EntryListView *list = main->entryList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

QString countText(MainWindow *main) {
    return main->findBar()->countLabel()->text();
}

QString clipboardText() {
    return QGuiApplication::clipboard()->text();
}

} // namespace

class tst_Find : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { closeApplication(); }

    void eachKeyShowsWhatHoldsTheText() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake, {Alice, Bob, Carol, Dave, Erin});
        QVERIFY(main);
        QVERIFY(!main->findBar()->isVisible());

        find(main, QStringLiteral("A"));
        QCOMPARE(shownNames(main), (QStringList{"Alice", "bob", "carol", "dave", "Erin"}));
        QTest::keyClick(findBox(main), Qt::Key_L);
        // The user name or the location, letter case ignored; not the password.
        QCOMPARE(shownNames(main), (QStringList{"Alice", "carol"}));
        QCOMPARE(countText(main), QStringLiteral("2 shown, 3 hidden"));
        QTest::keyClick(findBox(main), Qt::Key_I);
        QCOMPARE(shownNames(main), QStringList{"Alice"});
        QTest::keyClick(findBox(main), Qt::Key_Backspace);
        QCOMPARE(shownNames(main), (QStringList{"Alice", "carol"}));

        // Ticked, the passwords count too.
        QTest::mouseClick(main->findBar()->passwordsBox(), Qt::LeftButton);
        QVERIFY(main->findBar()->passwordsBox()->isChecked());
        QCOMPARE(shownNames(main), (QStringList{"Alice", "bob", "carol"}));
        QCOMPARE(countText(main), QStringLiteral("3 shown, 2 hidden"));
        QTest::mouseClick(main->findBar()->passwordsBox(), Qt::LeftButton);
        QCOMPARE(shownNames(main), (QStringList{"Alice", "carol"}));

        QTest::keyClicks(findBox(main), QStringLiteral("zz"));
        QCOMPARE(shownNames(main), QStringList{});
        QCOMPARE(countText(main), QStringLiteral("0 shown, 5 hidden"));
        QCOMPARE(main->entryList()->model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("Website/Location"));
        findBox(main)->selectAll();
        QTest::keyClick(findBox(main), Qt::Key_Backspace);
        QCOMPARE(shownNames(main).size(), 5);
        QCOMPARE(countText(main), QStringLiteral("All 5 shown"));

        // Delete in the box edits the text: it never deletes an entry (no box asks).
        QTest::keyClicks(findBox(main), QStringLiteral("xal"));
        QTest::keyClick(findBox(main), Qt::Key_Home);
        QTest::keyClick(findBox(main), Qt::Key_Delete);
        QCOMPARE(findBox(main)->text(), QStringLiteral("al"));
        QCOMPARE(shownNames(main), (QStringList{"Alice", "carol"}));
        QCOMPARE(fake.dialogs.shown.size(), 1); // the login only
        QCOMPARE(readDataFile(fake), fileOf({Alice, Bob, Carol, Dave, Erin}));
    }

    void escapeShowsEveryEntryWithTheSelectionKept() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake, {Alice, Bob, Carol, Dave, Erin});
        QVERIFY(main);
        const QRect listRoom = main->entryList()->geometry();
        const QSize windowSize = main->size();

        find(main, QStringLiteral(".example"));
        QCOMPARE(shownNames(main), (QStringList{"Alice", "bob", "carol", "dave"}));
        // The bar takes the bottom of the list's room; the window keeps its size.
        QCOMPARE(main->size(), windowSize);
        QCOMPARE(main->entryList()->geometry().top(), listRoom.top());
        QVERIFY(main->entryList()->geometry().bottom() < main->findBar()->geometry().top());
        QCOMPARE(main->findBar()->geometry().bottom(), listRoom.bottom());
        clickShownRow(main, 3);
        QCOMPARE(main->entryList()->firstSelectedPosition(), 4); // dave

        QTest::keyClick(main->entryList(), Qt::Key_Escape);
        QVERIFY(!main->findBar()->isVisible());
        QCOMPARE(shownNames(main), (QStringList{"Alice", "bob", "carol", "dave", "Erin"}));
        QCOMPARE(main->entryList()->firstSelectedPosition(), 4);
        QVERIFY(main->entryList()->isSelected(4));
        QVERIFY(!main->entryList()->isSelected(5));
        QCOMPARE(main->entryList()->geometry(), listRoom);
        QCOMPARE(main->size(), windowSize);
        QVERIFY(main->entryList()->hasFocus());

        // Opened again, the bar starts empty; Escape from its box closes it too.
        find(main, QString());
        QCOMPARE(findBox(main)->text(), QString());
        QCOMPARE(countText(main), QStringLiteral("All 5 shown"));
        QTest::keyClicks(findBox(main), QStringLiteral("bank"));
        QCOMPARE(shownNames(main), QStringList{"bob"});
        QCOMPARE(main->entryList()->firstSelectedPosition(), 0); // dave is hidden: nothing to act on
        QTest::keyClick(findBox(main), Qt::Key_Escape);
        QVERIFY(!main->findBar()->isVisible());
        QCOMPARE(shownNames(main).size(), 5);
        // The Close button does what Escape does.
        find(main, QStringLiteral("e"));
        QTest::mouseClick(main->findBar()->closeButton(), Qt::LeftButton);
        QVERIFY(!main->findBar()->isVisible());
        QCOMPARE(shownNames(main).size(), 5);
    }

    void commandsWorkOnTheSelectedShownEntry() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake, {Alice, Bob, Carol, Dave, Erin});
        QVERIFY(main);
        find(main, QStringLiteral("AL"));
        QCOMPARE(shownNames(main), (QStringList{"Alice", "carol"}));
        clickShownRow(main, 1);

        QTest::mouseClick(qobject_cast<QPushButton *>(controlElement(main, QStringLiteral("cmdCopy"), 0)),
                          Qt::LeftButton);
        QCOMPARE(clipboardText(), QStringLiteral("carol"));
        QTest::keyClick(main->entryList(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("pw-c"));
        QTest::keyClick(main, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(fake.launcher.launches.size(), 1);
        QCOMPARE(fake.launcher.launches[0].arguments, QStringList{"https://ALbum.example"});
        // The copy keys work from the find box too; Ctrl+C copies the box's text only when some is
        // selected there.
        findBox(main)->setFocus();
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(findBox(main), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("pw-c"));
        QTest::keyClick(findBox(main), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("carol"));
        QTest::keyClick(findBox(main), Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("https://ALbum.example"));
        findBox(main)->selectAll();
        QTest::keyClick(findBox(main), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("AL"));
        QCOMPARE(findBox(main)->text(), QStringLiteral("AL"));

        // Enter on the list edits the selected entry; the save writes every entry in its place.
        QTest::keyClick(main->entryList(), Qt::Key_Return);
        QVERIFY(main->entryEditor());
        QCOMPARE(main->entryEditor()->row(), application().session().entries().rowId(3));
        fillEditorAndSave(main, QStringLiteral("carol"), QStringLiteral("pw-new"), QStringLiteral("album.example"));
        QCOMPARE(readDataFile(fake), fileOf({Alice, Bob, "carol|||pw-new|||album.example", Dave, Erin}));
        QCOMPARE(shownNames(main), (QStringList{"Alice", "carol"}));
        QCOMPARE(main->entryList()->firstSelectedPosition(), 3);

        // Delete asks about the entry shown selected, and deletes that one only.
        clickShownRow(main, 0);
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        QTest::mouseClick(mainButton(main, "cmdDelete"), Qt::LeftButton);
        QCOMPARE(fake.dialogs.shown.constLast().text,
                 QStringLiteral("Are you sure you want to delete the following information?\r\n\r\nUsername: "
                                "Alice\r\nPassword: pw-one\r\nUsed At: mail.example"));
        QCOMPARE(readDataFile(fake), fileOf({Bob, "carol|||pw-new|||album.example", Dave, Erin}));
        QCOMPARE(shownNames(main), QStringList{"carol"});
        QCOMPARE(countText(main), QStringLiteral("1 shown, 3 hidden"));

        // With no shown entry selected, a command asks for one, whatever the full list had selected.
        main->entryList()->selectPosition(1); // bob, hidden
        QCOMPARE(main->entryList()->firstSelectedPosition(), 0);
        QTest::mouseClick(mainButton(main, "cmdEdit"), Qt::LeftButton);
        QVERIFY(!main->entryEditor());
        QCOMPARE(main->statusText(), QStringLiteral("You must first select an entry to edit."));
    }

    void enterInTheBoxGoesOnInTheList() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake, {Alice, Bob, Carol, Dave, Erin});
        QVERIFY(main);
        find(main, QStringLiteral("example"));
        QTest::keyClick(findBox(main), Qt::Key_Return);
        QVERIFY(main->entryList()->hasFocus());
        QCOMPARE(main->entryList()->firstSelectedPosition(), 1); // the first one found
        QTest::keyClick(main->entryList(), Qt::Key_Down);
        QCOMPARE(main->entryList()->firstSelectedPosition(), 2);
        QTest::keyClick(main->entryList(), Qt::Key_Return);
        QVERIFY(main->entryEditor());
        QCOMPARE(main->entryEditor()->row(), application().session().entries().rowId(2));
        main->entryEditor()->close();
    }

    void sortingWorksWithinTheFilter() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake, {Alice, Bob, Carol, Dave, Erin});
        QVERIFY(main);
        find(main, QStringLiteral(".EXAMPLE"));
        clickShownRow(main, 1); // bob
        QHeaderView *header = main->entryList()->header();
        const QPoint firstColumn(header->sectionViewportPosition(0) + header->sectionSize(0) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, firstColumn);
        QCOMPARE(shownNames(main), (QStringList{"Alice", "bob", "carol", "dave"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, firstColumn);
        QCOMPARE(shownNames(main), (QStringList{"dave", "carol", "bob", "Alice"}));
        QCOMPARE(main->entryList()->firstSelectedPosition(), 4); // Erin, dave, carol, bob, Alice
        QCOMPARE(main->entryList()->model()->data(main->entryList()->model()->index(2, 0)).toString(), "bob");
        QVERIFY(main->entryList()->selectionModel()->isRowSelected(2, {}));
        // From the menu, by location: bank…, https://ALbum…, (intranet,) mail…, shop…
        main->sortAction(2)->trigger();
        QCOMPARE(shownNames(main), (QStringList{"bob", "carol", "Alice", "dave"}));

        // A save while finding writes the whole list in that order, hidden entries and all.
        clickShownRow(main, 0); // bob
        addThroughEditor(main, QStringLiteral("frank"), QStringLiteral("pw-f"), QStringLiteral("zoo"));
        QCOMPARE(readDataFile(fake), fileOf({Bob, Carol, Erin, Alice, Dave, "frank|||pw-f|||zoo"}));
        QCOMPARE(shownNames(main), (QStringList{"bob", "carol", "Alice", "dave"}));

        clickShownRow(main, 0);
        QTest::keyClick(findBox(main), Qt::Key_Escape);
        QCOMPARE(shownNames(main), (QStringList{"bob", "carol", "Erin", "Alice", "dave", "frank"}));
        QCOMPARE(main->entryList()->firstSelectedPosition(), 1); // bob
    }

    void aSaveWhileFindingWritesEveryEntryInTheFullListsOrder() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake, {Alice, Bob, Ivan, Carol, Dave, Erin});
        QVERIFY(main);
        find(main, QStringLiteral("bank"));
        QCOMPARE(shownNames(main), QStringList{"bob"});

        // An entry that holds the text shows, selected.
        addThroughEditor(main, QStringLiteral("frank"), QStringLiteral("pw-f"), QStringLiteral("BANK.example"));
        QCOMPARE(readDataFile(fake), fileOf({Alice, Bob, Ivan, Carol, Dave, Erin, "frank|||pw-f|||BANK.example"}));
        QCOMPARE(shownNames(main), (QStringList{"bob", "frank"}));
        QCOMPARE(main->entryList()->firstSelectedPosition(), 7);
        QCOMPARE(main->statusText(), QStringLiteral("Added new entry.  Data saved."));

        // One that does not is saved all the same, and the status line says why it is not shown.
        addThroughEditor(main, QStringLiteral("gina"), QStringLiteral("pw-g"), QStringLiteral("other"));
        QCOMPARE(readDataFile(fake),
                 fileOf({Alice, Bob, Ivan, Carol, Dave, Erin, "frank|||pw-f|||BANK.example", "gina|||pw-g|||other"}));
        QCOMPARE(shownNames(main), (QStringList{"bob", "frank"}));
        QCOMPARE(main->entryList()->firstSelectedPosition(), 0);
        QCOMPARE(main->statusText(),
                 QStringLiteral("Added new entry.  Data saved.  The find bar hides it: it does not hold the text."));
        QCOMPARE(countText(main), QStringLiteral("2 shown, 6 hidden"));

        // An edit that takes the text away: saved in its place, and hidden.
        clickShownRow(main, 0);
        QTest::mouseClick(mainButton(main, "cmdEdit"), Qt::LeftButton);
        fillEditorAndSave(main, QStringLiteral("bob"), QStringLiteral("Secret-ALPHA"), QStringLiteral("b.example"));
        QCOMPARE(readDataFile(fake), fileOf({Alice, "bob|||Secret-ALPHA|||b.example", Ivan, Carol, Dave, Erin,
                                             "frank|||pw-f|||BANK.example", "gina|||pw-g|||other"}));
        QCOMPARE(shownNames(main), QStringList{"frank"});

        QTest::keyClick(findBox(main), Qt::Key_Escape);
        QCOMPARE(shownNames(main), (QStringList{"Alice", "bob", "ivan", "carol", "dave", "Erin", "frank", "gina"}));
    }

    // The selected row, or else the top one, stays where it was on the screen as rows come and go.
    void theRowInSightKeepsItsPlace() {
        FakePlatform fake;
        QList<QByteArray> lines;
        for (int i = 1; i <= 300; ++i)
            lines << QStringLiteral("user%1|||pw|||%2.example")
                         .arg(i, 3, 10, QLatin1Char('0'))
                         .arg(i % 3 == 0 ? "tag" : "site")
                         .toLatin1();
        MainWindow *main = activeMainWindow(fake, lines);
        QVERIFY(main);
        EntryListView *list = main->entryList();
        const auto top = [list](int position) {
            return list->visualRect(list->model()->index(list->shownRows().rowOf(position), 0)).top();
        };
        list->selectPosition(201);
        list->scrollTo(list->model()->index(200, 0), QAbstractItemView::PositionAtCenter);
        const int placed = top(201);
        QVERIFY(placed > 0 && placed < list->viewport()->height());

        find(main, QStringLiteral("TAG"));
        QCOMPARE(list->shownRows().shownCount(), 100);
        QCOMPARE(top(201), placed);
        QTest::keyClick(findBox(main), Qt::Key_Escape);
        QCOMPARE(list->firstSelectedPosition(), 201);
        QCOMPARE(top(201), placed);

        // Nothing selected in sight: the top row holds its place, or the next one shown does.
        list->clearSelection();
        list->scrollTo(list->model()->index(150, 0), QAbstractItemView::PositionAtTop);
        QCOMPARE(top(151), 0);
        find(main, QStringLiteral("tag"));
        QCOMPARE(top(153), 0);
        QTest::keyClick(findBox(main), Qt::Key_Escape);
        QCOMPARE(top(153), 0);
    }

    // Every caption of the bar shows whole, with room left to type, even when it counts a million
    // entries. VARNOOK_SCREENSHOT_DIR names a folder for the README's picture of it.
    void theBarShowsEveryCaptionWhole() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake, {Alice, Bob, Carol, Dave, Erin});
        QVERIFY(main);
        find(main, QStringLiteral("al"));
        QApplication::processEvents();
        if (const QString folder = qEnvironmentVariable("VARNOOK_SCREENSHOT_DIR"); !folder.isEmpty()) {
            // As the user sees it: with the banner in its strip.
            auto *banner = main->findChild<WebBrowser *>(QStringLiteral("wbBanner"));
            QSignalSpy bannerLoaded(banner, &WebBrowser::downloadComplete);
            QTRY_VERIFY(main->bannerStarted());
            QVERIFY(test::pageSignalArrived(bannerLoaded));
            QTest::qWait(500);
            QVERIFY(main->grab().save(folder + QStringLiteral("/find-bar.png")));
        }
        FindBar *bar = main->findBar();
        bar->showCounts(999999, 1000000, true);
        QApplication::processEvents();
        QCOMPARE(countText(main), QStringLiteral("999,999 shown, 1 hidden"));
        const QList<QWidget *> captioned = {bar->countLabel(), bar->passwordsBox(), bar->closeButton()};
        for (QWidget *control : captioned) {
            QVERIFY2(control->width() >= control->sizeHint().width(), qPrintable(control->objectName()));
            QVERIFY(bar->rect().contains(control->geometry()));
        }
        QVERIFY(bar->findBox()->width() >= 100);
        QVERIFY(!bar->geometry().intersects(main->statusLine()->geometry()));
        QVERIFY(main->client()->rect().contains(bar->geometry()));
    }

    void anotherProgramsFileIsFoundInToo() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake, {Alice, Bob, Carol, Dave, Erin});
        QVERIFY(main);
        find(main, QStringLiteral("al"));
        clickShownRow(main, 1); // carol
        QSaveFile file(fake.dataFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fileOf({"alfred|||pw|||x", Alice, Bob, Carol, Dave, Erin}));
        QVERIFY(file.commit());
        QTRY_COMPARE_WITH_TIMEOUT(shownNames(main), (QStringList{"alfred", "Alice", "carol"}), 3000);
        QCOMPARE(countText(main), QStringLiteral("3 shown, 3 hidden"));
        QCOMPARE(main->entryList()->firstSelectedPosition(), 4); // carol, one further down
        QTest::keyClick(findBox(main), Qt::Key_Escape);
        QCOMPARE(main->entryList()->firstSelectedPosition(), 4);
    }

    void theMenuItemAndTheLock() {
        FakePlatform fake;
        MainWindow *main = activeMainWindow(fake, {Alice, Bob, Carol});
        QVERIFY(main);
        // Below the Data menu's own items, with its shortcut.
        const QList<QAction *> items = main->findChild<QMenu *>(QStringLiteral("mnuData"))->actions();
        QCOMPARE(items.at(0)->text(), QStringLiteral("Add Username/Password"));
        const qsizetype findItem = items.indexOf(main->findAction());
        QVERIFY(findItem > items.indexOf(main->sortAction(2)));
        QVERIFY(items.at(findItem - 1)->isSeparator());
        QCOMPARE(main->findAction()->text(), QStringLiteral("Find…"));
        QCOMPARE(main->findAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
        main->findAction()->trigger();
        QVERIFY(main->findBar()->isVisible());
        QTest::keyClicks(findBox(main), QStringLiteral("bo"));
        // Ctrl+F again selects the text, so that the next key starts a new one.
        QTest::keyClick(findBox(main), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(findBox(main)->selectedText(), QStringLiteral("bo"));
        QTest::keyClick(findBox(main), Qt::Key_C);
        QCOMPARE(findBox(main)->text(), QStringLiteral("c"));
        QCOMPARE(shownNames(main), (QStringList{"Alice", "carol"}));

        // What was looked for goes with the entries at a lock.
        fake.dialogs.answerInput(QStringLiteral("secret"));
        main->lockAction()->trigger();
        QVERIFY(!main->isLocked());
        QVERIFY(!main->findBar()->isVisible());
        QCOMPARE(shownNames(main), (QStringList{"Alice", "bob", "carol"}));
    }
};

QTEST_MAIN(tst_Find)
#include "tst_find.moc"
