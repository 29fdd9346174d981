#include "DataFileFormat.h"
#include "EntryMerge.h"

#include <QRandomGenerator>
#include <QTest>

using namespace varnook;

namespace {

Entry entry(int n, const QString &password = QStringLiteral("pw")) {
    return {QStringLiteral("user%1").arg(n), password, QStringLiteral("site%1").arg(n)};
}

StoredLine lineOf(const Entry &entry) {
    return StoredLine(
        (entry.username + QLatin1Char('|') + entry.password + QLatin1Char('|') + entry.location).toUtf8());
}

// A held row's line, as the list holds it: the entry as the data file stores it.
QByteArray heldLineOf(const Entry &entry) {
    return DataFileFormat::storedLine(entry);
}

Entry decoded(QByteArrayView storedLine) {
    return DataFileFormat::readEntry(storedLine.chopped(DataFileFormat::LineEnd.size()));
}

// Every row of rows in order, with its line: a held row's line is its caller's (the list's own).
QStringList rowsAsText(const EntryMerge::Rows &rows, const std::vector<Entry> &list) {
    QStringList out;
    size_t own = 0;
    for (size_t row = 0; row < rows.count(); ++row) {
        if (rows.isHeld(row)) {
            const Entry entry = decoded(rows.held[row]);
            out << entry.username + QLatin1Char(' ') + entry.password + QStringLiteral(" held ") +
                       list[size_t(rows.heldIds[row] - 1)].username;
            continue;
        }
        const Entry &entry = rows.entries[own];
        const StoredLine &line = rows.lines[own++];
        out << entry.username + QLatin1Char(' ') + entry.password + QLatin1Char(' ') +
                   (line.isNull() ? QStringLiteral("new") : QString::fromUtf8(line.bytes()));
    }
    return out;
}

} // namespace

class tst_EntryMerge : public QObject {
    Q_OBJECT

private slots:
    // A merge into rows the caller holds (most of a long list) ends as the same merge into rows
    // that are all the merge's own: the same rows in the same order, the same entries, the lines
    // kept for rows no change touched and none for those it did. Held rows stay held where no
    // change touches them. Held rows are compared by their lines: passwords that differ only in
    // letter case or an accent, or in a character the data file cannot hold, must tell as they do
    // in entries, and so must lines without their empty last fields.
    void heldRowsMergeAsOwnRowsDo() {
        QRandomGenerator random(20261209);
        const QStringList passwords = {QStringLiteral("pw"), QStringLiteral("PW"), QStringLiteral("pw\u00e9"),
                                       QString(), QStringLiteral("pw\u4e00")};
        // Stored passwords only; a change may name an entry with the last one, which no line holds.
        const auto password = [&](bool storedOnly) {
            return passwords[int(random.bounded(storedOnly ? 4 : 5))];
        };
        for (int round = 0; round < 400; ++round) {
            const int count = int(random.bounded(1, 12));
            std::vector<Entry> list;
            std::vector<QByteArray> listLines;
            for (int n = 0; n < count; ++n) {
                list.push_back(entry(n, password(true)));
                if (random.bounded(3) == 0)
                    list.back().location.clear();
                listLines.push_back(heldLineOf(list.back()));
                // A line another program wrote without the separators of its empty fields.
                if (list.back().location.isEmpty() && list.back().password.isEmpty() && random.bounded(2) == 0)
                    listLines.back() = DataFileFormat::storedLine(list.back()).replace("\xfc\xfc\xfc", "");
            }
            EntryMerge::Rows own, held;
            for (size_t i = 0; i < list.size(); ++i) {
                own.entries.push_back(list[i]);
                own.lines.push_back(lineOf(list[i]));
                const bool isHeld = random.bounded(3) != 0;
                held.heldIds.push_back(isHeld ? quint64(i + 1) : 0);
                held.held.push_back(isHeld ? QByteArrayView(listLines[i]) : QByteArrayView());
                if (!isHeld) {
                    held.entries.push_back(list[i]);
                    held.lines.push_back(lineOf(list[i]));
                }
            }
            std::vector<EntryChange> changes;
            for (int c = int(random.bounded(1, 4)); c > 0; --c) {
                // One of the list's, or now and then one not there, or there in another version.
                Entry before = entry(int(random.bounded(count + 2)), password(false));
                if (random.bounded(4) == 0)
                    before.location.clear();
                if (random.bounded(2) == 0)
                    before = list[size_t(random.bounded(count))];
                switch (random.bounded(4)) {
                case 0:
                    changes.push_back({EntryChange::Kind::Add, {}, entry(100 + c)});
                    break;
                case 1:
                    changes.push_back({EntryChange::Kind::Edit, before, entry(200 + c)});
                    break;
                case 2:
                    changes.push_back({EntryChange::Kind::Edit, entry(int(random.bounded(count)), QStringLiteral("x")),
                                       entry(300 + c)}); // edited there too: a conflict
                    break;
                default:
                    changes.push_back({EntryChange::Kind::Delete, before, {}});
                }
            }
            const ConflictChoice choice = ConflictChoice(random.bounded(3));
            int asked[2] = {0, 0};
            const EntryMerge::Outcome a = EntryMerge::apply(own, changes, [&](const MergeConflict &) {
                ++asked[0];
                return choice;
            });
            const EntryMerge::Outcome b = EntryMerge::apply(held, changes, [&](const MergeConflict &) {
                ++asked[1];
                return choice;
            });
            QCOMPARE(b.applied, a.applied);
            QCOMPARE(b.conflicts, a.conflicts);
            QCOMPARE(asked[1], asked[0]);
            QStringList ownText = rowsAsText(own, list);
            QStringList heldText = rowsAsText(held, list);
            QCOMPARE(heldText.size(), ownText.size());
            for (qsizetype i = 0; i < ownText.size(); ++i) {
                // A held row's line is the list's; written out, it is the line the own row kept.
                if (heldText[i].contains(QStringLiteral(" held "))) {
                    const QString name = heldText[i].section(QLatin1Char(' '), 0, 0);
                    QVERIFY2(
                        ownText[i].endsWith(QString::fromUtf8(lineOf(list[size_t(name.mid(4).toInt())]).bytes())),
                        qPrintable(
                            QStringLiteral("round %1 row %2: %3 / %4").arg(round).arg(i).arg(ownText[i], heldText[i])));
                } else {
                    QCOMPARE(heldText[i], ownText[i]);
                }
            }
        }
    }

    // Entries of another copy that the list lacks, held rows of the list counted as present.
    void missingFromCountsHeldRows() {
        const std::vector<QByteArray> list{heldLineOf(entry(1)), heldLineOf(entry(2))};
        EntryMerge::Rows mine{{entry(3)}, {lineOf(entry(3))}, {1, 2, 0}, {list[0], list[1], {}}};
        EntryMerge::Rows other{{entry(2), entry(4), entry(4), entry(1)},
                               {lineOf(entry(2)), lineOf(entry(4)), lineOf(entry(4)), StoredLine()}};
        const EntryMerge::Rows missing = EntryMerge::missingFrom(mine, other);
        QCOMPARE(missing.entries, (std::vector<Entry>{entry(4)}));
        QCOMPARE(missing.lines.size(), size_t(1));
        QCOMPARE(missing.lines[0].bytes(), lineOf(entry(4)).bytes());
    }
};

QTEST_GUILESS_MAIN(tst_EntryMerge)
#include "tst_entrymerge.moc"
