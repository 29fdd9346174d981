#include "EntryTableModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

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
