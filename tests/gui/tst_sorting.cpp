#include "AppTestSupport.h"

#include "EntryEditor.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

using namespace varnook;
using namespace varnook::test;

class tst_Sorting : public QObject {
    Q_OBJECT

private:
    MainWindow *open(FakePlatform &fake, const QList<QByteArray> &lines) { return openMainWindow(fake, lines); }

    void clickHeader(MainWindow *main, int column) {
        QHeaderView *header = main->entryList()->header();
        const int x = header->sectionViewportPosition(column - 1) + header->sectionSize(column - 1) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, header->height() / 2));
    }

    QStringList column(MainWindow *main, int field) {
        const EntryTableModel &list = *main->entryList()->entries();
        QStringList texts;
        for (int p = 1; p <= list.count(); ++p) {
            const Entry &e = list.entry(p);
            texts << (field == 0 ? e.username : field == 1 ? e.password : e.location);
        }
        return texts;
    }

    const QList<QByteArray> lines = {"bob|||2|||b.example", "alice|||3|||c.example", "Carol|||1|||a.example"};

private slots:
    void cleanup() { closeApplication(); }

    void everyClickReversesTheOrder() {
        FakePlatform fake;
        MainWindow *main = open(fake, lines);
        QVERIFY(main);
        clickHeader(main, 2);
        QCOMPARE(column(main, 1), QStringList({"1", "2", "3"}));
        clickHeader(main, 2);
        QCOMPARE(column(main, 1), QStringList({"3", "2", "1"}));
        clickHeader(main, 2);
        QCOMPARE(column(main, 1), QStringList({"1", "2", "3"}));
        // Another column takes the order opposite to the last click's.
        clickHeader(main, 1);
        QCOMPARE(column(main, 0), QStringList({"Carol", "bob", "alice"}));
        QCOMPARE(main->entryList()->entries()->sortKey(), 0);
        clickHeader(main, 3);
        QCOMPARE(main->entryList()->entries()->sortKey(), 2);
        QCOMPARE(column(main, 2), QStringList({"a.example", "b.example", "c.example"}));
    }

    void rowsMoveWithAllThreeTexts() {
        FakePlatform fake;
        MainWindow *main = open(fake, lines);
        QVERIFY(main);
        clickHeader(main, 3);
        const EntryTableModel &list = *main->entryList()->entries();
        QCOMPARE(list.entry(1), (Entry{"Carol", "1", "a.example"}));
        QCOMPARE(list.entry(3), (Entry{"alice", "3", "c.example"}));
    }

    void emptyListKeepsItsSettings() {
        FakePlatform fake;
        MainWindow *main = open(fake, {});
        QVERIFY(main);
        const EntryTableModel &list = *main->entryList()->entries();
        const Qt::SortOrder order = list.sortOrder();
        clickHeader(main, 2);
        QVERIFY(!list.sorted());
        QCOMPARE(list.sortKey(), 0);
        QCOMPARE(list.sortOrder(), order);
    }

    void badHeaderChangesNothing() {
        FakePlatform fake;
        MainWindow *main = open(fake, lines);
        QVERIFY(main);
        EntryTableModel &list = *main->entryList()->entries();
        QVERIFY(!list.toggleSort(7));
        QVERIFY(!list.toggleSort(0));
        QVERIFY(!list.sorted());
        QCOMPARE(list.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(column(main, 0), QStringList({"bob", "alice", "Carol"}));
        QCOMPARE(fake.dialogs.shown.size(), 1); // the login only
    }

    void editAndDeleteActOnTheSelectedRowAfterASort() {
        FakePlatform fake;
        MainWindow *main = open(fake, lines);
        QVERIFY(main);
        clickHeader(main, 2); // 1 Carol, 2 bob, 3 alice
        main->entryList()->selectPosition(1);
        QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("cmdEdit")), Qt::LeftButton);
        QCOMPARE(main->entryEditor()->findChild<QLineEdit *>(QStringLiteral("txtUsername"))->text(),
                 QStringLiteral("Carol"));
        QCOMPARE(main->entryEditor()->row(), main->entryList()->entries()->rowId(1));
        main->entryEditor()->close();

        main->entryList()->selectPosition(3);
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        main->onDeleteClicked();
        QCOMPARE(column(main, 0), QStringList({"Carol", "bob"}));
        // The save writes the sorted order.
        QCOMPARE(readDataFile(fake), scrambled("secret") + "\r\n" + scrambled("Carol|||1|||a.example") + "\r\n" +
                                         scrambled("bob|||2|||b.example") + "\r\n\r\n");
    }

    void addedRowLandsInItsSortedPlace() {
        FakePlatform fake;
        MainWindow *main = open(fake, lines);
        QVERIFY(main);
        clickHeader(main, 1); // alice, bob, Carol
        EntryTableModel &list = *main->entryList()->entries();
        QCOMPARE(list.add(Entry{"bert", "9", ""}), 2);
        QCOMPARE(column(main, 0), QStringList({"alice", "bert", "bob", "Carol"}));
    }

    void largeListsAboveSixteenBits() {
        EntryTableModel list;
        for (int i = 0; i < 3; ++i)
            list.addColumn(QString::number(i));
        std::vector<Entry> entries;
        for (int i = 0; i < 40000; ++i)
            entries.push_back(Entry{QString::number(40000 - i), QString::number(i), QString()});
        list.append(std::move(entries));
        QCOMPARE(list.count(), 40000);
        list.toggleSort(2); // ascending
        list.toggleSort(2); // descending
        QCOMPARE(list.entry(1).password, QStringLiteral("9999"));
        list.remove(40000);
        QCOMPARE(list.count(), 39999);
        QCOMPARE(list.entry(39999).password, QStringLiteral("1"));
    }
};

QTEST_MAIN(tst_Sorting)
#include "tst_sorting.moc"
