// Finding as the find bar does it: which texts hold a text, letter case ignored; the rows a list
// shows while finding, through every change of the entries; and held rows through it all.

#include "CaseBlindFind.h"
#include "CaseFold.h"
#include "EntryFilterModel.h"
#include "EntryTableModel.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QRandomGenerator>
#include <QTest>

#include <functional>

using namespace varnook;

namespace {

Entry entry(const QString &username, const QString &password = QStringLiteral("pw"), const QString &location = {}) {
    return Entry{username, password, location};
}

QString folded(const QString &text) {
    QString out;
    caseFold::foldInto(text, [&](char16_t unit) { out.append(QChar(unit)); });
    return out;
}

// What finding means, said the slow way: the folded text holds the folded text looked for.
bool holds(const QString &text, const QString &wanted) {
    return folded(text).contains(folded(wanted));
}

bool entryHolds(const Entry &e, const QString &wanted, bool inPasswords) {
    return holds(e.username, wanted) || holds(e.location, wanted) || (inPasswords && holds(e.password, wanted));
}

// Pieces that fold in every way the data file's characters can, and some it cannot hold: a NUL,
// µ (which folds into Greek), the Kelvin sign (which folds into ASCII), a letter outside the BMP.
QString randomText(QRandomGenerator &random, int maxPieces) {
    static const QStringList pieces = {"a",          "A",
                                       "b",          "B",
                                       "k",          "K",
                                       "s",          "\u017f",
                                       "\u212a",     "\u00e9",
                                       "\u00c9",     "\u00df",
                                       "ss",         "\u0160",
                                       "\u0161",     "\u0178",
                                       "\u00ff",     "\u00b5",
                                       "\u03bc",     "\u03a3",
                                       "\u03c3",     QString(QChar(0)),
                                       "|",          "-",
                                       "0",          "ab",
                                       "AB-",        "\U00010400",
                                       "\U00010428", "xyz.example/",
                                       "Q"};
    QString text;
    const int count = int(random.bounded(maxPieces + 1));
    for (int i = 0; i < count; ++i)
        text += pieces[int(random.bounded(int(pieces.size())))];
    return text;
}

// The user names the filter shows, top to bottom.
QStringList shownNames(const EntryFilterModel &shown) {
    QStringList names;
    for (int row = 0; row < shown.rowCount(); ++row)
        names << shown.data(shown.index(row, 0)).toString();
    return names;
}

// The user names of the model's entries that hold the text, in display order: what must show.
QStringList expectedNames(const EntryTableModel &model, const QString &wanted, bool inPasswords) {
    QStringList names;
    for (int position = 1; position <= model.count(); ++position) {
        if (wanted.isEmpty() || entryHolds(model.entry(position), wanted, inPasswords))
            names << model.entry(position).username;
    }
    return names;
}

void addColumns(EntryTableModel &model) {
    for (const char *header : {"Username", "Password", "Website/Location"})
        model.addColumn(QLatin1String(header));
}

using Change = std::function<void(EntryTableModel &)>;

} // namespace

class tst_EntryFilter : public QObject {
    Q_OBJECT

private slots:
    void findingIgnoresLetterCase_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<bool>("found");
        QTest::newRow("capitals") << "Alice@Mail.Example"
                                  << "alice@mail" << true;
        QTest::newRow("typed in capitals") << "intranet.example"
                                           << "NET.EX" << true;
        QTest::newRow("at the end, past sixteen units") << "a-very-long-user-name-x"
                                                        << "NAME-X" << true;
        QTest::newRow("not quite") << "a-very-long-user-name-x"
                                   << "name-y" << false;
        QTest::newRow("longer than the text") << "bob"
                                              << "bobby" << false;
        QTest::newRow("accented capitals") << "M\u00dcller"
                                           << "m\u00fcl" << true;
        QTest::newRow("the code page's own letters") << "\u0160koda \u0152uvre"
                                                     << "\u0161KODA \u0153" << true;
        QTest::newRow("a sign that folds into ASCII") << "\u212aelvin"
                                                      << "kel" << true;
        QTest::newRow("micro sign and mu") << "5\u00b5m"
                                           << "\u03bc" << true;
        QTest::newRow("outside the BMP") << "x\U00010400y"
                                         << "\U00010428Y" << true;
        QTest::newRow("sharp s is not ss") << "stra\u00dfe"
                                           << "strasse" << false;
        QTest::newRow("nothing is in everything") << "bob"
                                                  << "" << true;
    }
    void findingIgnoresLetterCase() {
        QFETCH(QString, text);
        QFETCH(QString, wanted);
        QFETCH(bool, found);
        QCOMPARE(CaseBlindFind(wanted).isIn(text), found);
        QCOMPARE(holds(text, wanted), found); // the slow way agrees
    }

    // The fast way agrees with the slow one on texts of every length, in the strings and in the
    // folded block alike.
    void findingAgreesWithFoldedTexts() {
        QRandomGenerator random(23);
        std::vector<Entry> entries;
        for (int i = 0; i < 400; ++i)
            entries.push_back(entry(randomText(random, 14), randomText(random, 6), randomText(random, 14)));
        EntryTableModel model;
        addColumns(model);
        model.append(entries);
        for (int round = 0; round < 300; ++round) {
            const QString wanted = randomText(random, 3);
            const bool inPasswords = round % 3 == 0;
            const CaseBlindFind find(wanted);
            const EntryTableModel::RowFlags flags = model.findRows(find, inPasswords);
            QStringList found;
            for (int position : model.flaggedPositions(flags))
                found << model.entry(position).username;
            QCOMPARE(found, expectedNames(model, wanted, inPasswords));
            for (const Entry &e : entries)
                QCOMPARE(find.isIn(e.username), holds(e.username, wanted));
        }
    }

    // While filtering, every change of the entries shows what holds the text, in display order,
    // keeping the contract with views.
    void changesShowWhatHoldsTheText_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("an added entry that holds it") << Change([](EntryTableModel &m) { m.add(entry("alfred")); })
                                                      << QStringList{"carol", "Alice", "Walt", "alfred"};
        QTest::newRow("an added entry that does not")
            << Change([](EntryTableModel &m) { m.add(entry("zed")); }) << QStringList{"carol", "Alice", "Walt"};
        QTest::newRow("loaded entries") << Change([](EntryTableModel &m) {
            m.append({entry("sal"), entry("bo")});
        }) << QStringList{"carol", "Alice", "Walt", "sal"};
        QTest::newRow("a shown entry removed")
            << Change([](EntryTableModel &m) { m.remove(2); }) << QStringList{"carol", "Walt"};
        QTest::newRow("a hidden entry removed")
            << Change([](EntryTableModel &m) { m.remove(3); }) << QStringList{"carol", "Alice", "Walt"};
        QTest::newRow("an entry changed to hold it")
            << Change([](EntryTableModel &m) { m.setEntry(3, entry("bob", "pw", "ALps")); })
            << QStringList{"carol", "Alice", "bob", "Walt"};
        QTest::newRow("an entry changed to hold it no longer")
            << Change([](EntryTableModel &m) { m.setEntry(1, entry("cora")); }) << QStringList{"Alice", "Walt"};
        QTest::newRow("sorted") << Change([](EntryTableModel &m) { m.toggleSort(1); })
                                << QStringList{"Alice", "carol", "Walt"};
        QTest::newRow("sorted, then an entry changed") << Change([](EntryTableModel &m) {
            m.toggleSort(1);
            m.setEntry(1, entry("zal")); // Alice's place: it moves to the end
        }) << QStringList{"carol", "Walt", "zal"};
        QTest::newRow("sorted by location, descending") << Change([](EntryTableModel &m) {
            m.toggleSort(3);
            m.toggleSort(3);
        }) << QStringList{"carol", "Walt", "Alice"};
        QTest::newRow("replaced by another program's file") << Change([](EntryTableModel &m) {
            m.replaceAll({entry("walter", "pw", "AL.example"), entry("carol", "pw", "val")});
        }) << QStringList{"walter", "carol"};
        QTest::newRow("cleared") << Change([](EntryTableModel &m) { m.clear(); }) << QStringList{};
    }
    void changesShowWhatHoldsTheText() {
        QFETCH(Change, change);
        QFETCH(QStringList, shown);
        EntryTableModel model;
        addColumns(model);
        EntryFilterModel filter(&model);
        QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.append({entry("carol", "pw", "val.example"), entry("Alice"), entry("bob", "AL"),
                      entry("Walt", "pw", "b.example")});
        filter.startFinding();
        filter.setFindText(QStringLiteral("al"), false);
        QCOMPARE(shownNames(filter), (QStringList{"carol", "Alice", "Walt"}));

        change(model);

        QCOMPARE(shownNames(filter), shown);
        QCOMPARE(shownNames(filter), expectedNames(model, QStringLiteral("al"), false));
        QCOMPARE(filter.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Website/Location"));
        for (int row = 0; row < filter.rowCount(); ++row)
            QCOMPARE(filter.rowOf(filter.positionAt(row)), row);
        filter.stopFinding();
        QCOMPARE(filter.rowCount(), model.count());
    }

    // Typing on narrows among what was found; deleting a character, ticking and unticking
    // passwords, and many changes of rows (their folded block laid out again) find as afresh.
    void everyKeyFindsAsAfresh() {
        QRandomGenerator random(7);
        EntryTableModel model;
        addColumns(model);
        std::vector<Entry> entries;
        for (int i = 0; i < 300; ++i)
            entries.push_back(entry(randomText(random, 8), randomText(random, 4), randomText(random, 8)));
        model.append(entries);
        EntryFilterModel filter(&model);
        QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        filter.startFinding();
        const QStringList typed = {"a", "ab", "abK", "ab", "", "s", "s\u00e9", "\u03bc", "|", "xyz.EX"};
        bool inPasswords = false;
        for (int round = 0; round < 8; ++round) {
            for (const QString &text : typed) {
                inPasswords = (round & 1) != 0 && text.size() % 2 == 0;
                filter.setFindText(text, inPasswords);
                QCOMPARE(shownNames(filter), expectedNames(model, text, inPasswords));
            }
            // Every row changed at least once: more of the block is old than new.
            for (int position = 1; position <= model.count(); ++position)
                model.setEntry(position, entry(randomText(random, 8), randomText(random, 4), randomText(random, 8)));
            model.remove(int(random.bounded(model.count())) + 1);
            model.add(entry(randomText(random, 8)));
            QCOMPARE(shownNames(filter), expectedNames(model, typed.constLast(), inPasswords));
        }
    }

    // Two threads share the finding among many rows; what they find is what one would.
    void manyRowsFindAsFewDo() {
        EntryTableModel model;
        addColumns(model);
        std::vector<Entry> entries;
        entries.reserve(120000);
        for (int i = 0; i < 120000; ++i) {
            entries.push_back(entry(QStringLiteral("user%1").arg(i), QStringLiteral("pw%1").arg(i % 977),
                                    i % 1000 == 7 ? QStringLiteral("\u00b5-%1.EXAMPLE").arg(i)
                                                  : QStringLiteral("host%1.example").arg(i * 7)));
        }
        model.append(std::move(entries));
        EntryFilterModel filter(&model);
        filter.startFinding();
        for (const auto &[text, inPasswords] :
             {std::pair{QStringLiteral("\u039c-"), false}, std::pair{QStringLiteral("99"), false},
              std::pair{QStringLiteral("PW976"), true}}) {
            filter.setFindText(text, inPasswords);
            QCOMPARE(shownNames(filter), expectedNames(model, text, inPasswords));
        }
        QCOMPARE(filter.shownCount(), 122); // pw976, every 977th
    }

    // The rows a view holds (the selection, the current row) stay with their entries while those
    // are shown, and leave the view's hands once hidden.
    void heldRowsFollowTheirEntries() {
        EntryTableModel model;
        addColumns(model);
        model.append({entry("carol"), entry("alice"), entry("bob"), entry("alfred")});
        EntryFilterModel filter(&model);
        const QPersistentModelIndex alfred = filter.index(3, 1);
        const QPersistentModelIndex bob = filter.index(2, 0);
        filter.setFindText(QStringLiteral("AL"), false);
        QCOMPARE(alfred.row(), 1);
        QCOMPARE(alfred.column(), 1);
        QVERIFY(!bob.isValid());
        model.toggleSort(1);
        QCOMPARE(alfred.row(), 0);
        QCOMPARE(alfred.data().toString(), QStringLiteral("pw"));
        QCOMPARE(filter.positionAt(alfred.row()), 1);
        model.remove(2); // alice
        QCOMPARE(alfred.row(), 0);
        filter.setFindText(QString(), false);
        QCOMPARE(alfred.row(), 0);
        QCOMPARE(filter.data(filter.index(alfred.row(), 0)).toString(), QStringLiteral("alfred"));
    }
};

QTEST_MAIN(tst_EntryFilter)
#include "tst_entryfilter.moc"
