// Which row of the list each line of a data file read again is.

#include "EntryTableModel.h"
#include "HeldLines.h"

#include <QTest>

using namespace varnook;
using RowId = EntryTableModel::RowId;

namespace {

// A list of count rows whose lines are "line <i>" in file order (or those given), as a load
// leaves them.
struct LoadedList {
    explicit LoadedList(int count, const std::vector<int> &lineNumbers = {}) {
        std::vector<StoredLine> lines;
        for (int i = 0; i < count; ++i)
            lines.emplace_back(line(lineNumbers.empty() ? i : lineNumbers[size_t(i)]));
        const RowId first = rows.append(std::move(lines));
        for (int i = 0; i < count; ++i)
            order.push_back(first + RowId(i));
    }
    static QByteArray line(int i) { return "line " + QByteArray::number(i) + "\r\n"; }

    EntryTableModel rows;
    std::vector<RowId> order;
};

} // namespace

class tst_HeldLines : public QObject {
    Q_OBJECT

private slots:
    void linesInTheFileOrderAreTheirRows() {
        // The other program removed line 2 and added one before line 5.
        LoadedList list(8);
        HeldLines held(list.rows, list.order);
        QCOMPARE(held.take(LoadedList::line(0)), list.order[0]);
        QCOMPARE(held.take(LoadedList::line(1)), list.order[1]);
        QCOMPARE(held.take(LoadedList::line(3)), list.order[3]);
        QCOMPARE(held.take(LoadedList::line(4)), list.order[4]);
        QCOMPARE(held.take("a new line\r\n"), RowId(0));
        for (int i = 5; i < 8; ++i)
            QCOMPARE(held.take(LoadedList::line(i)), list.order[size_t(i)]);
        // Line 2 was never asked for; a line read already is not its row twice.
        QCOMPARE(held.take(LoadedList::line(4)), RowId(0));
    }

    void aFileInAnotherOrderIsLookedUp() {
        // Saved in the opposite order: past the first lines, every line is found where it is.
        LoadedList list(300);
        HeldLines held(list.rows, list.order);
        int found = 0;
        for (int i = 299; i >= 0; --i) {
            const RowId id = held.take(LoadedList::line(i));
            QVERIFY(id == 0 || id == list.order[size_t(i)]);
            found += id != 0 ? 1 : 0;
        }
        QVERIFY2(found >= 200, qPrintable(QString::number(found)));
    }

    void equalLinesAreTheirRowsOnceEach() {
        LoadedList list(3, {0, 1, 0});
        HeldLines held(list.rows, list.order);
        for (int misses = 0; misses < 100; ++misses) // many lines not held: the rest are looked up
            QCOMPARE(held.take("nothing\r\n"), RowId(0));
        QCOMPARE(held.take(LoadedList::line(1)), list.order[1]);
        QCOMPARE(held.take(LoadedList::line(0)), list.order[2]); // the next one in order
        QCOMPARE(held.take(LoadedList::line(0)), list.order[0]); // looked up
        QCOMPARE(held.take(LoadedList::line(0)), RowId(0));
    }

    void changedAndRemovedRowsAreNotFound() {
        // Row 1 changed since the file was read (its line is its new entry's); row 2 was removed
        // from the list.
        LoadedList list(4);
        list.rows.setEntry(2, Entry{QStringLiteral("changed"), QStringLiteral("pw"), {}});
        list.rows.remove(3);
        HeldLines held(list.rows, list.order);
        QCOMPARE(held.take(LoadedList::line(0)), list.order[0]);
        QCOMPARE(held.take(LoadedList::line(1)), RowId(0));
        QCOMPARE(held.take(LoadedList::line(2)), RowId(0));
        QCOMPARE(held.take(LoadedList::line(3)), list.order[3]);
    }
};

QTEST_GUILESS_MAIN(tst_HeldLines)
#include "tst_heldlines.moc"
