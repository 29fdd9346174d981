#include "DataFileFormat.h"
#include "EntryTableModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

#include <QPersistentModelIndex>
#include <QRandomGenerator>

#include <algorithm>
#include <functional>

using namespace varnook;

namespace {

using Change = std::function<void(EntryTableModel &)>;

Entry entry(const char *username, const char *password = "pw", const char *location = "") {
    return Entry{QString::fromLatin1(username), QString::fromLatin1(password), QString::fromLatin1(location)};
}

// The first column, top to bottom.
QStringList usernames(const EntryTableModel &model) {
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << model.data(model.index(row, 0)).toString();
    return names;
}

const QString &column(const Entry &entry, int key) {
    return key == 0 ? entry.username : key == 1 ? entry.password : entry.location;
}

// Texts that tie when letter case is ignored, share long beginnings, or fold differently
// (ß, ς, é), so that a sort must look past its first characters and keep equal rows in order.
QString randomText(QRandomGenerator &random) {
    static const QStringList pieces = {"a",      "A",      "b",      "B", "\u00e9", "\u00c9", "\u00df", "ss",
                                       "\u03c3", "\u03a3", "\u03c2", "-", "0",      "",       "prefix-"};
    QString text;
    const int length = int(random.bounded(7));
    for (int i = 0; i < length; ++i)
        text += pieces[int(random.bounded(int(pieces.size())))];
    return text;
}

std::vector<Entry> shown(const EntryTableModel &model) {
    std::vector<Entry> rows;
    for (int position = 1; position <= model.count(); ++position)
        rows.push_back(model.entry(position));
    return rows;
}

// Where a stable sort that ignores letter case first puts the rows shown before the click.
std::vector<Entry> stablySorted(std::vector<Entry> rows, int key, Qt::SortOrder order) {
    std::stable_sort(rows.begin(), rows.end(), [&](const Entry &a, const Entry &b) {
        int compared = column(a, key).compare(column(b, key), Qt::CaseInsensitive);
        if (compared == 0)
            compared = column(a, key).compare(column(b, key), Qt::CaseSensitive);
        return order == Qt::AscendingOrder ? compared < 0 : compared > 0;
    });
    return rows;
}

} // namespace

// Every change the program makes to the entry list keeps the model's contract with its views.
class tst_EntryTableModel : public QObject {
    Q_OBJECT

private slots:
    void changesKeepTheModelContract_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("add") << Change([](EntryTableModel &m) { m.add(entry("dora")); })
                             << QStringList{"carol", "alice", "Bob", "dora"};
        QTest::newRow("append") << Change([](EntryTableModel &m) {
            m.append({entry("eve"), entry("abe")});
        }) << QStringList{"carol", "alice", "Bob", "eve", "abe"};
        QTest::newRow("remove the middle row")
            << Change([](EntryTableModel &m) { m.remove(2); }) << QStringList{"carol", "Bob"};
        QTest::newRow("remove a row that is not there")
            << Change([](EntryTableModel &m) { m.remove(4); }) << QStringList{"carol", "alice", "Bob"};
        QTest::newRow("replace a row") << Change([](EntryTableModel &m) { m.setEntry(1, entry("cora")); })
                                       << QStringList{"cora", "alice", "Bob"};
        QTest::newRow("sort ascending, letter case aside")
            << Change([](EntryTableModel &m) { QVERIFY(m.toggleSort(1)); }) << QStringList{"alice", "Bob", "carol"};
        QTest::newRow("sort twice: descending") << Change([](EntryTableModel &m) {
            m.toggleSort(1);
            m.toggleSort(1);
        }) << QStringList{"carol", "Bob", "alice"};
        QTest::newRow("sorted list places an added row") << Change([](EntryTableModel &m) {
            m.toggleSort(1);
            QCOMPARE(m.add(entry("bea")), 2);
        }) << QStringList{"alice", "bea", "Bob", "carol"};
        QTest::newRow("sorted list moves a replaced row") << Change([](EntryTableModel &m) {
            m.toggleSort(1);
            QCOMPARE(m.setEntry(1, entry("zoe")), 3);
        }) << QStringList{"Bob", "carol", "zoe"};
        QTest::newRow("sort by a column that does not exist")
            << Change([](EntryTableModel &m) { QVERIFY(!m.toggleSort(4)); }) << QStringList{"carol", "alice", "Bob"};
        QTest::newRow("clear") << Change([](EntryTableModel &m) { m.clear(); }) << QStringList{};
        QTest::newRow("replace all by fewer rows") << Change([](EntryTableModel &m) {
            m.replaceAll({entry("alice", "1"), entry("zed")});
        }) << QStringList{"alice", "zed"};
        QTest::newRow("replace all, sorted") << Change([](EntryTableModel &m) {
            m.toggleSort(1);
            m.replaceAll({entry("dora"), entry("carol", "3"), entry("abe")});
        }) << QStringList{"abe", "carol", "dora"};
        QTest::newRow("replace all, keeping a row as it is") << Change([](EntryTableModel &m) {
            m.replaceAll({entry("eve")}, {0, m.rowId(3)});
        }) << QStringList{"eve", "Bob"};
    }

    void changesKeepTheModelContract() {
        QFETCH(Change, change);
        QFETCH(QStringList, shown);
        EntryTableModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const char *header : {"Username", "Password", "Website/Location"})
            model.addColumn(QLatin1String(header));
        model.append({entry("carol", "3"), entry("alice", "1"), entry("Bob", "2")});

        change(model);

        QCOMPARE(usernames(model), shown);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Website/Location"));
    }

    // A click on another column sorts as a stable, case-blind sort would; a second click on the same
    // column shows the rows in exactly the opposite order. Held rows (selection) follow their entries.
    void headerClicksOrderTheRows() {
        EntryTableModel model;
        for (const char *header : {"Username", "Password", "Website/Location"})
            model.addColumn(QLatin1String(header));
        QRandomGenerator random(1234);
        std::vector<Entry> rows;
        for (int i = 0; i < 3000; ++i)
            rows.push_back(Entry{randomText(random), randomText(random), QString::number(i)});
        model.append(rows);
        std::vector<QPersistentModelIndex> held;
        std::vector<QString> heldLocations;
        for (int row : {0, 17, 1500, 2999}) {
            held.emplace_back(model.index(row, 1));
            heldLocations.push_back(model.entry(row + 1).location);
        }

        for (int header : {1, 1, 2, 1, 1, 1, 3, 2, 2}) {
            const std::vector<Entry> before = shown(model);
            const bool sameColumn = model.sorted() && model.sortKey() == header - 1;
            QVERIFY(model.toggleSort(header));
            std::vector<Entry> expected = before;
            if (sameColumn)
                std::reverse(expected.begin(), expected.end());
            else
                expected = stablySorted(before, header - 1, model.sortOrder());
            QVERIFY2(shown(model) == expected, qPrintable(QStringLiteral("after a click on header %1").arg(header)));
            for (size_t i = 0; i < held.size(); ++i) {
                QCOMPARE(held[i].column(), 1);
                QCOMPARE(model.entry(held[i].row() + 1).location, heldLocations[i]);
            }
        }
    }

    // A long list is folded and sorted by two threads, each its own part: the order is the one a
    // stable, case-blind sort gives, ties and texts with long common beginnings included. A list
    // loaded into the empty model and rows appended after it keep consecutive ids.
    void longListSortsAsAShortOne() {
        EntryTableModel model;
        for (const char *header : {"Username", "Password", "Website/Location"})
            model.addColumn(QLatin1String(header));
        QRandomGenerator random(98765);
        std::vector<Entry> rows;
        for (int i = 0; i < 150000; ++i)
            rows.push_back(Entry{randomText(random) + QString::number(random.bounded(40000), 36) + randomText(random),
                                 QString::number(i % 977), QStringLiteral("site-") + QString::number(i)});
        const EntryTableModel::RowId first = model.append(std::vector<Entry>(rows.begin(), rows.end() - 1));
        QCOMPARE(model.append({rows.back()}), first + 149999);
        QCOMPARE(model.rowId(150000), first + 149999);
        QCOMPARE(model.positionOf(first + 1000), 1001);
        QVERIFY(shown(model) == rows);
        for (int header : {1, 3, 2, 1, 1}) {
            const std::vector<Entry> before = shown(model);
            const bool sameColumn = model.sorted() && model.sortKey() == header - 1;
            QVERIFY(model.toggleSort(header));
            std::vector<Entry> expected = before;
            if (sameColumn)
                std::reverse(expected.begin(), expected.end());
            else
                expected = stablySorted(before, header - 1, model.sortOrder());
            QVERIFY2(shown(model) == expected, qPrintable(QStringLiteral("after a click on header %1").arg(header)));
        }
    }

    // Another program's file in place of a sorted list shows as sorting its rows would: with few
    // rows new (the rest kept as they are) or many, ascending or turned round, equal texts in the
    // file's order.
    void replacedRowsShowSortedAsTheFile() {
        QRandomGenerator random(4321);
        for (int round = 0; round < 16; ++round) {
            EntryTableModel model;
            for (const char *header : {"Username", "Password", "Website/Location"})
                model.addColumn(QLatin1String(header));
            std::vector<Entry> rows;
            for (int i = 0; i < 400; ++i)
                rows.push_back(Entry{randomText(random), randomText(random), QString::number(i)});
            const EntryTableModel::RowId first = model.append(rows);
            const int header = 1 + round % 3;
            QVERIFY(model.toggleSort(header));
            if (round % 4 >= 2)
                QVERIFY(model.toggleSort(header)); // turned round: equal texts too

            // The file: the rows in their order, a few gone, some next to each other swapped, and
            // new ones (many in every fourth round); rows named as kept, or found by their texts.
            std::vector<Entry> file;
            std::vector<EntryTableModel::RowId> kept;
            for (int i = 0; i < int(rows.size()); ++i) {
                if (random.bounded(40) == 0)
                    continue;
                const bool named = random.bounded(2) == 0;
                file.push_back(rows[size_t(i)]);
                kept.push_back(named ? first + EntryTableModel::RowId(i) : 0);
            }
            for (size_t i = 1; round % 2 == 1 && i < file.size(); i += 37) {
                std::swap(file[i - 1], file[i]);
                std::swap(kept[i - 1], kept[i]);
            }
            const int added = round % 4 == 3 ? 150 : int(random.bounded(5));
            for (int i = 0; i < added; ++i) {
                const size_t at = size_t(random.bounded(int(file.size()) + 1));
                file.insert(file.begin() + qsizetype(at), Entry{randomText(random), randomText(random), "new"});
                kept.insert(kept.begin() + qsizetype(at), 0);
            }
            std::vector<Entry> given; // the rows not kept, alone
            for (size_t i = 0; i < file.size(); ++i) {
                if (kept[i] == 0)
                    given.push_back(file[i]);
            }
            model.replaceAll(given, kept);
            QVERIFY2(shown(model) == stablySorted(file, header - 1, model.sortOrder()),
                     qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

    // Texts that agree for thousands of characters, hold a NUL or letters outside the first
    // 65,536 (Deseret capitals fold to small letters) sort as the shorter lists do.
    void unusualTextsSortAsShortOnes() {
        const QString shared(5000, QLatin1Char('w'));
        const QStringList endings = {"b",
                                     "B",
                                     "a",
                                     QStringLiteral("\U00010400b"),
                                     QStringLiteral("\U00010428a"),
                                     QString(QChar(0)) + "a",
                                     "",
                                     "A\U00010400",
                                     "a\U00010428"};
        std::vector<Entry> rows;
        for (int copy = 0; copy < 4; ++copy) {
            for (const QString &ending : endings)
                rows.push_back(Entry{shared + ending, QString(), QString::number(rows.size())});
        }
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            EntryTableModel model;
            model.addColumn(QStringLiteral("Username"));
            model.addColumn(QStringLiteral("Password"));
            model.append(rows);
            if (order == Qt::DescendingOrder)
                model.toggleSort(2); // the passwords are all equal: the rows stay as they are
            QVERIFY(model.toggleSort(1));
            QCOMPARE(model.sortOrder(), order);
            QVERIFY(shown(model) == stablySorted(rows, 0, order));
        }
    }

    // While sorted, an added or changed row goes to its sorted place and the rest keep theirs.
    void changedRowsKeepTheListSorted() {
        EntryTableModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addColumn(QStringLiteral("Username"));
        QRandomGenerator random(99);
        std::vector<Entry> rows;
        for (int i = 0; i < 200; ++i)
            rows.push_back(Entry{randomText(random), QString(), QString::number(i)});
        model.append(rows);
        model.toggleSort(1);
        model.toggleSort(1); // descending, reached by turning the rows round

        for (int change = 0; change < 300; ++change) {
            const Entry changed{randomText(random), QString(), QStringLiteral("changed %1").arg(change)};
            int position = 0;
            if (change % 3 == 0) {
                position = model.add(changed);
            } else {
                const int from = 1 + int(random.bounded(model.count()));
                const QPersistentModelIndex selected = model.index(from - 1, 0);
                position = model.setEntry(from, changed);
                QCOMPARE(selected.row() + 1, position);
            }
            QCOMPARE(model.entry(position).location, changed.location);
            const std::vector<Entry> now = shown(model);
            QVERIFY(stablySorted(now, 0, Qt::DescendingOrder) == now);
        }
        QCOMPARE(model.count(), 300);
    }

    // A cell shows at most 80 characters of its field, never half a character, and the full length;
    // the row and its sort order keep the whole field.
    // A sort keeps the folded texts one byte a unit while every unit fits, and two once one does
    // not (here a single row, folded by the second of two threads): the order is a stable,
    // case-blind sort's either way, in both directions.
    void sortsTheSameWhateverTheFoldedUnitsNeed() {
        QRandomGenerator random(4242);
        std::vector<Entry> rows;
        for (int i = 0; i < 120000; ++i)
            rows.push_back(Entry{QString::number(random.bounded(5000), 36) + (i % 2 ? u'A' : u'a'), QString(),
                                 QString::number(i)});
        for (const bool oneWide : {false, true}) {
            std::vector<Entry> list = rows;
            if (oneWide)
                list[100000].username = QStringLiteral("\u0152uvre"); // folds to U+0153
            for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                EntryTableModel model;
                for (const char *header : {"Username", "Password", "Website/Location"})
                    model.addColumn(QLatin1String(header));
                model.append(list);
                if (order == Qt::DescendingOrder)
                    QVERIFY(model.toggleSort(3)); // every click turns the order round
                QVERIFY(model.toggleSort(1));
                QCOMPARE(model.sortOrder(), order);
                // Equal texts keep the order they had: the file's, or the locations' after that click.
                const std::vector<Entry> before =
                    order == Qt::DescendingOrder ? stablySorted(list, 2, Qt::AscendingOrder) : list;
                QVERIFY2(shown(model) == stablySorted(before, 0, order), oneWide ? "one wide" : "all narrow");
            }
        }
    }

    // Rows loaded as the file's lines show, sort and copy as the entries those lines hold; each keeps
    // the very bytes read until it changes, and then the line its new entry is stored as.
    // Entries a line would not give back (a separator in a field, a character the code page lacks)
    // show as typed wherever their rows move, and a slot they leave shows its new row's line.
    void typedRowsFollowTheirSlots() {
        const Entry separated{QStringLiteral("a|||b"), QStringLiteral("pw"), QStringLiteral("x")};
        const Entry foreign{QStringLiteral("\u4e2d"), QStringLiteral("pw2"), QStringLiteral("y")};
        const Entry plain = entry("plain", "pw3", "z");
        EntryTableModel model;
        for (const char *header : {"Username", "Password", "Website/Location"})
            model.addColumn(QLatin1String(header));
        model.append({plain, foreign});
        model.remove(2);
        model.add(plain); // in the slot the typed entry left
        QVERIFY(shown(model) == (std::vector<Entry>{plain, plain}));
        model.clear();
        model.append({plain, separated, plain, foreign});
        model.remove(1); // the last row, kept as typed, takes the first slot
        QVERIFY(shown(model) == (std::vector<Entry>{separated, plain, foreign}));
        model.remove(1);
        QVERIFY(shown(model) == (std::vector<Entry>{plain, foreign}));
        model.add(plain); // takes the slot after the two left
        QVERIFY(shown(model) == (std::vector<Entry>{plain, foreign, plain}));

        const std::vector<EntryTableModel::RowId> ids = model.replaceAll({plain, separated, foreign, plain});
        QCOMPARE(ids.size(), size_t(4));
        QVERIFY(shown(model) == (std::vector<Entry>{plain, separated, foreign, plain}));
        QVERIFY(model.toggleSort(1));
        QVERIFY(shown(model) == (std::vector<Entry>{separated, plain, plain, foreign}));
        model.replaceAll({plain});
        QVERIFY(shown(model) == std::vector<Entry>{plain});
        model.clear();
        model.append({plain, plain});
        QVERIFY(shown(model) == (std::vector<Entry>{plain, plain}));
    }

    void rowsLoadedAsLinesShowTheirEntries() {
        const std::vector<Entry> stored{
            {QStringLiteral("\u00c9mile"), QStringLiteral("\u20ac5"), QStringLiteral("caf\u00e9")},
            {QStringLiteral("zo\u00eb"), QStringLiteral("pw"), QStringLiteral("a|b")},
            {QStringLiteral("\u00e9mile"), QStringLiteral("PW"), QString()},
            {QStringLiteral("adam"), QString(), QString()}};
        QByteArray block;
        std::vector<qsizetype> starts;
        for (const Entry &entry : stored) {
            starts.push_back(block.size());
            block += DataFileFormat::storedLine(entry);
        }
        // Another program wrote the last line without the separators of its empty fields.
        block.chop(8);
        block += "\r\n";
        starts.push_back(block.size());
        std::vector<StoredLine> lines;
        StoredLine::Cutter cutter(block);
        for (size_t i = 0; i < stored.size(); ++i)
            lines.push_back(cutter.cut(starts[i], starts[i + 1] - starts[i]));
        EntryTableModel model;
        for (const char *header : {"Username", "Password", "Website/Location"})
            model.addColumn(QLatin1String(header));
        model.append(std::move(lines));
        QVERIFY(shown(model) == stored);
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("\u20ac5"));

        QVERIFY(model.toggleSort(1));
        QVERIFY(shown(model) == stablySorted(stored, 0, Qt::AscendingOrder));
        QVERIFY(model.toggleSort(2));
        QVERIFY(shown(model) == stablySorted(stored, 1, Qt::DescendingOrder));
        const auto inBlock = [&block](QByteArrayView line) {
            return line.data() >= block.constData() && line.data() < block.constData() + block.size();
        };
        for (int position = 1; position <= model.count(); ++position)
            QVERIFY(inBlock(model.storedLine(position)));

        const Entry changed{QStringLiteral("\u00e9mile"), QStringLiteral("new"), QStringLiteral("caf\u00e9")};
        const int position = model.setEntry(1, changed);
        QCOMPARE(model.entry(position), changed);
        QCOMPARE(model.storedLine(position).toByteArray(), DataFileFormat::storedLine(changed));
        QVERIFY(!inBlock(model.storedLine(position)));
        for (int other = 1; other <= model.count(); ++other)
            QCOMPARE(inBlock(model.storedLine(other)), other != position);
    }

    void cellsShowLongFieldsShortened() {
        EntryTableModel model;
        for (const char *header : {"Username", "Password", "Website/Location"})
            model.addColumn(QLatin1String(header));
        const QString sharedStart(80, u'p');
        const QString wideAtTheCut = QString(79, u'u') + QStringLiteral("\U0001F600z");
        model.append({Entry{QString(80, u'u'), sharedStart + u'z', QString(81, u'w')},
                      Entry{wideAtTheCut, sharedStart + u'a', QString()}});

        QCOMPARE(model.data(model.index(0, 0)).toString(), QString(80, u'u'));
        QCOMPARE(model.data(model.index(0, 1)).toString(), sharedStart + QStringLiteral("\u2026 (81 characters)"));
        QCOMPARE(model.data(model.index(0, 2)).toString(),
                 QString(80, u'w') + QStringLiteral("\u2026 (81 characters)"));
        QCOMPARE(model.data(model.index(1, 0)).toString(),
                 QString(79, u'u') + QStringLiteral("\u2026 (82 characters)"));
        QCOMPARE(model.entry(1).password, sharedStart + u'z');
        QVERIFY(model.toggleSort(2));
        QCOMPARE(model.entry(1).password, sharedStart + u'a');
    }

    // Another program's file in place of the rows: a row named as kept stays as it is, one whose
    // entry is among the new ones keeps its id, the others go.
    void replacedRowsKeepTheirIds() {
        EntryTableModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addColumn(QStringLiteral("Username"));
        model.addColumn(QStringLiteral("Password"));
        model.append({entry("carol", "3"), entry("alice", "1"), entry("Bob", "2"), entry("dave", "4")});
        const EntryTableModel::RowId carol = model.rowId(1), alice = model.rowId(2), bob = model.rowId(3),
                                     dave = model.rowId(4);
        const std::vector<EntryTableModel::RowId> ids =
            model.replaceAll({entry("alice", "1"), entry("erin"), entry("zoe"), entry("x")}, {bob, 0, 0, carol, 0, 0});
        QCOMPARE(usernames(model), (QStringList{"Bob", "alice", "erin", "carol", "zoe", "x"}));
        QCOMPARE(model.entry(1).password, QStringLiteral("2"));
        QCOMPARE(model.entry(4).password, QStringLiteral("3"));
        QCOMPARE(ids.size(), size_t(6));
        for (int position = 1; position <= 6; ++position)
            QCOMPARE(model.rowId(position), ids[size_t(position - 1)]);
        QCOMPARE(ids[0], bob);
        QCOMPARE(ids[1], alice);
        QCOMPARE(ids[3], carol);
        const std::vector<EntryTableModel::RowId> fresh{ids[2], ids[4], ids[5]};
        for (EntryTableModel::RowId id : fresh) {
            for (EntryTableModel::RowId old : {carol, alice, bob, dave})
                QVERIFY(id != old);
        }
        QVERIFY(fresh[0] != fresh[1] && fresh[1] != fresh[2] && fresh[0] != fresh[2]);
        QCOMPARE(model.positionOf(dave), 0);

        // Fewer rows, the kept ones among the last added: they move, and still show and sort.
        const EntryTableModel::RowId x = ids[5], zoe = ids[4];
        model.replaceAll({entry("amy")}, {x, bob, 0});
        QCOMPARE(usernames(model), (QStringList{"x", "Bob", "amy"}));
        QCOMPARE(model.positionOf(x), 1);
        QCOMPARE(model.positionOf(bob), 2);
        QCOMPARE(model.positionOf(zoe), 0);
        QVERIFY(model.toggleSort(1));
        QCOMPARE(usernames(model), (QStringList{"amy", "Bob", "x"}));
        QCOMPARE(model.add(entry("cy")), 3);
        QCOMPARE(usernames(model), (QStringList{"amy", "Bob", "cy", "x"}));
    }

    void rowsKeepTheirIdsThroughSorts() {
        EntryTableModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addColumn(QStringLiteral("Username"));
        model.append({entry("carol"), entry("alice"), entry("Bob")});
        const EntryTableModel::RowId carol = model.rowId(1);
        model.toggleSort(1);
        QCOMPARE(model.positionOf(carol), 3);
        model.remove(3);
        QCOMPARE(model.positionOf(carol), 0);
    }
};

QTEST_GUILESS_MAIN(tst_EntryTableModel)
#include "tst_entrytablemodel.moc"
