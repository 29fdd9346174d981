#include "AppTestSupport.h"

#include "Branding.h"
#include "ProgramValues.h"
#include "frmAdd.h"
#include "modListViewEnh.h"

#include <QHeaderView>

using namespace varnook;
using namespace varnook::test;

class tst_Sorting : public QObject {
    Q_OBJECT

private:
    Form1 *open(FakePlatform &fake, const QList<QByteArray> &lines) { return openMainWindow(fake, lines); }

    void clickHeader(Form1 *main, int column) {
        QHeaderView *header = main->lstPass()->header();
        const int x = header->sectionViewportPosition(column - 1) + header->sectionSize(column - 1) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, header->height() / 2));
    }

    QStringList column(Form1 *main, int field) {
        const EntryListModel &list = *main->lstPass()->entries();
        QStringList texts;
        for (int p = 1; p <= list.count(); ++p) {
            const Entry &e = list.entry(p);
            texts << (field == 0 ? e.username : field == 1 ? e.password : e.location);
        }
        return texts;
    }

    const QList<QByteArray> lines = {"bob|||2|||b.example", "alice|||3|||c.example", "Carol|||1|||a.example"};

private slots:
    void cleanup() { destroyAllWindows(); }

    void everyClickReversesTheOrder() {
        FakePlatform fake;
        Form1 *main = open(fake, lines);
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
        QCOMPARE(main->lstPass()->entries()->sortKey(), 0);
        clickHeader(main, 3);
        QCOMPARE(main->lstPass()->entries()->sortKey(), 2);
        QCOMPARE(column(main, 2), QStringList({"a.example", "b.example", "c.example"}));
    }

    void rowsMoveWithAllThreeTexts() {
        FakePlatform fake;
        Form1 *main = open(fake, lines);
        QVERIFY(main);
        clickHeader(main, 3);
        const EntryListModel &list = *main->lstPass()->entries();
        QCOMPARE(list.entry(1), (Entry{"Carol", "1", "a.example"}));
        QCOMPARE(list.entry(3), (Entry{"alice", "3", "c.example"}));
    }

    void emptyListKeepsItsSettings() {
        FakePlatform fake;
        Form1 *main = open(fake, {});
        QVERIFY(main);
        const EntryListModel &list = *main->lstPass()->entries();
        const Qt::SortOrder order = list.sortOrder();
        clickHeader(main, 2);
        QVERIFY(!list.sorted());
        QCOMPARE(list.sortKey(), 0);
        QCOMPARE(list.sortOrder(), order);
    }

    void badHeaderFailsAndReportsWhenAsked() {
        FakePlatform fake;
        Form1 *main = open(fake, lines);
        QVERIFY(main);
        QVERIFY(!EnhListView_SortColumns(*main->lstPass(), 7, false));
        QCOMPARE(fake.dialogs.shown.size(), 1); // the login only
        QVERIFY(!EnhListView_SortColumns(*main->lstPass(), 0, true));
        QCOMPARE(fake.dialogs.shown.last().title, QStringLiteral("Error in Function : EnhListView_SortColumns"));
        QVERIFY(fake.dialogs.shown.last().text.startsWith(QStringLiteral("Error35600\t")));
        QCOMPARE(fake.dialogs.shown.last().icon, MessageIcon::Information);
    }

    void editAndDeleteActOnTheSelectedRowAfterASort() {
        FakePlatform fake;
        Form1 *main = open(fake, lines);
        QVERIFY(main);
        clickHeader(main, 2); // 1 Carol, 2 bob, 3 alice
        main->lstPass()->selectPosition(1);
        main->cmdEdit_Click();
        QCOMPARE(programValues().Editor.EditUsername, QStringLiteral("Carol"));
        QCOMPARE(programValues().Editor.EditIndex, 1);
        findForm<frmAdd>()->close();

        main->lstPass()->selectPosition(3);
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        main->cmdDelete_Click();
        QCOMPARE(column(main, 0), QStringList({"Carol", "bob"}));
        // The save writes the sorted order.
        QCOMPARE(readDataFile(fake), scrambled("secret") + "\r\n" + scrambled("Carol|||1|||a.example") + "\r\n" +
                                         scrambled("bob|||2|||b.example") + "\r\n\r\n");
    }

    void addedRowLandsInItsSortedPlace() {
        FakePlatform fake;
        Form1 *main = open(fake, lines);
        QVERIFY(main);
        clickHeader(main, 1); // alice, bob, Carol
        EntryListModel &list = *main->lstPass()->entries();
        QCOMPARE(list.add(Entry{"bert", "9", ""}), 2);
        QCOMPARE(column(main, 0), QStringList({"alice", "bert", "bob", "Carol"}));
    }

    void largeListsAboveSixteenBits() {
        EntryListModel list;
        for (int i = 0; i < 3; ++i)
            list.addColumn(QString::number(i));
        std::vector<Entry> entries;
        for (int i = 0; i < 40000; ++i)
            entries.push_back(Entry{QString::number(40000 - i), QString::number(i), QString()});
        list.append(std::move(entries));
        QCOMPARE(list.count(), 40000);
        list.setSortSettings(true, 1, Qt::DescendingOrder);
        QCOMPARE(list.entry(1).password, QStringLiteral("9999"));
        list.remove(40000);
        QCOMPARE(list.count(), 39999);
        QCOMPARE(list.entry(39999).password, QStringLiteral("1"));
    }
};

QTEST_MAIN(tst_Sorting)
#include "tst_sorting.moc"
