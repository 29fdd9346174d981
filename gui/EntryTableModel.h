#pragma once

#include "CaseBlindFind.h"
#include "CaseBlindSort.h"
#include "Entry.h"
#include "FoldedTexts.h"
#include "StoredLine.h"
#include "TypedRows.h"

#include <QAbstractTableModel>
#include <QHash>

class QTimer;

#include <array>
#include <memory>
#include <vector>

namespace varnook {

// The entries as the list shows them, in display order, and how they sort. Each row is kept as
// the line the data file stores for it (a piece of the file read, or its entry encoded once when
// it was added or changed), and its texts are decoded when they are shown, sorted or asked for:
// a line takes a fraction of three strings' memory, and a file read needs no decoding before the
// list shows it. Positions are 1-based, as the list commands count them. Each row has an id that
// stays with it through sorts and removals, so a window can hold on to a row rather than to a
// position that may move.
class EntryTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using RowId = quint64;

    explicit EntryTableModel(QObject *parent = nullptr);

    // Column headers, added in call order.
    void addColumn(const QString &header);

    int count() const { return int(m_order.size()); }
    // Adds a row at the end, or at its sorted place while sorting is on; returns its position.
    int add(const Entry &entry);
    // Appends many rows at once (loading), then sorts them if sorting is on. Their ids are
    // consecutive; yields the first. Each line is an entry's line as the file stores it, with its
    // line end.
    // A null line stands for a row that has none yet (new or changed in a merge): entries[i] is its
    // entry, encoded here.
    RowId append(std::vector<StoredLine> lines, const std::vector<Entry> &entries = {});
    RowId append(const std::vector<Entry> &entries);
    void remove(int position);
    void clear();
    // Puts entries in the place of every row, as when the data file was changed by another program.
    // The sort settings stay, and a row whose entry is among the new ones keeps its id, so that a
    // window holding on to it still finds it. Yields the ids of the entries, in their order.
    // kept, where given, has one id for each new row: where it is not 0, it names a row of the list
    // that stays as it is in place i (the caller knows that its entry is the new one: the file holds
    // the very line it was shown from), each row once; entries then hold the other rows', in order.
    // lines and entries as for append.
    std::vector<RowId> replaceAll(std::vector<StoredLine> lines, const std::vector<Entry> &entries,
                                  const std::vector<RowId> &kept);
    std::vector<RowId> replaceAll(const std::vector<Entry> &entries, const std::vector<RowId> &kept = {});

    Entry entry(int position) const { return entryIn(m_order[size_t(position - 1)]); }
    // The row's line as a save writes it, with its line end: valid until the row changes.
    QByteArrayView storedLine(int position) const { return m_slots[m_order[size_t(position - 1)]].bytes(); }
    // Replaces a row's texts; while sorting is on the row moves to its sorted place. Returns its position.
    int setEntry(int position, const Entry &entry);
    std::vector<Entry> entries() const;
    // The lines of the rows with these ids, in their order, when they stand for the rows' entries;
    // empty for an id no row has and for a row kept as typed (see m_typed). Valid until the rows
    // change.
    std::vector<QByteArrayView> storedLinesOf(const std::vector<RowId> &ids) const;

    RowId rowId(int position) const { return m_ids[m_order[size_t(position - 1)]]; }
    // The row's current position, or 0 when it is gone.
    int positionOf(RowId id) const;

    // One flag per row, in the order the rows lie in memory (not display order): valid through
    // sorts, until a row is added, removed, changed or replaced.
    using RowFlags = std::vector<quint8>;
    // The rows whose user name or location holds find's text (or, with inPasswords, whose password
    // does); with within, only among those flagged there.
    RowFlags findRows(const CaseBlindFind &find, bool inPasswords, const RowFlags *within = nullptr);
    // The positions of the flagged rows, in display order.
    std::vector<int> flaggedPositions(const RowFlags &flags) const;
    // Finding reads the fields folded into one block, made here ahead of the first key (in steps
    // between events, so that the find bar shows at once), and for passwords when first asked. The
    // blocks then follow every change of the rows until forgotten.
    void prepareFinding();
    void forgetFinding();

    // The list's sort settings. Unsorted at first: rows keep the data file's order.
    bool sorted() const { return m_sorted; }
    int sortKey() const { return m_sortKey; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // A click on a column header (1-based): sorts by that column, reversing the order on every
    // click, whichever column was clicked before. False, with nothing changed, for a column that
    // does not exist; an empty list keeps its settings.
    bool toggleSort(int columnHeader);

    // The password column shows dots instead of the passwords; entry() still gives them whole.
    void setPasswordsHidden(bool hidden);
    bool passwordsHidden() const { return m_passwordsHidden; }
    // What the list shows for a password while they are hidden: the same for every one, so that not
    // even its length shows.
    static QString hiddenPassword() { return QStringLiteral("••••••••"); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // What the cells show changed, with no entry changed (passwords hidden or shown).
    void shownTextsChanged();

private:
    Entry entryIn(quint32 slot) const;
    // The text of one column of the row in slot.
    QString fieldIn(quint32 slot, int column) const;
    bool lessThan(const QString &a, const QString &b) const;
    // Where a row whose sort column holds text goes among the rows from first up to last (which are
    // in order): after its equals.
    size_t sortedPlaceIn(size_t first, size_t last, const QString &text) const;
    // Moves the row at index from to where the sort order puts it; returns its new index.
    size_t moveToSortedPlace(size_t from);
    // The display order that the sort settings give the rows.
    std::vector<quint32> sortedOrder();
    // The same for rows of which kept (slots) were shown in that order and added are new, found
    // without sorting the kept ones: the shown order is sorted by their texts (sorting, adding and
    // editing keep it so). Empty when equal texts are not in their present order, or many rows are
    // new.
    std::vector<quint32> sortedJoining(const std::vector<quint32> &kept, std::vector<quint32> added) const;
    void resort();
    bool m_passwordsHidden = false;
    void reorder(std::vector<quint32> order);
    void forgetSortKeys() { m_sortKeys = {}; }
    // Makes room for this many rows, and more, before rows are added.
    void makeRoom(size_t rows);

    static constexpr quint32 NoSlot = ~quint32(0);
    // The slot of each row by its id, as the rows are when it is made.
    class SlotIndex {
    public:
        explicit SlotIndex(const std::vector<RowId> &ids);
        quint32 slotOf(RowId id) const; // NoSlot for an id no row has
    private:
        RowId m_first = 0;
        std::vector<quint32> m_table; // by id - m_first
        QHash<RowId, quint32> m_hash; // when the ids lie far apart
    };
    // Made when first asked for (a file read again), and kept until rows are added or removed.
    const SlotIndex &slotIndex() const;
    void forgetSlotIndex() { m_slotIndex.reset(); }

    // Rows stay in the slot they were added in (a removed row's slot goes to the last row), so
    // that a sort moves only their slot numbers.
    std::vector<StoredLine> m_slots;
    // A row whose entry its line would not give back as it is (a separator in a field, a character
    // the code page lacks) is shown as typed until the file is read again: its entry is kept here.
    TypedRows m_typed;
    // A row's line and, when the line would not give its entry back, the entry.
    void putRow(quint32 slot, const Entry &entry);
    bool sameRow(quint32 slot, const StoredLine &line, const Entry *typed) const;
    // Whether two rows hold the same text in a column, told without decoding them.
    bool sameField(quint32 a, quint32 b, int column) const;
    std::vector<RowId> m_ids;     // the id of the row in each slot
    std::vector<quint32> m_order; // display order: the slot of each position
    // Finding's blocks of folded fields, while prepared: user names and locations, and passwords.
    // Each is made at its first need and then follows every change of a row.
    enum FoldedFields { NamesAndLocations, Passwords };
    // The whole block, made or completed now.
    FoldedTexts &folded(FoldedFields fields);
    // Adds the rows a block still lacks, up to last.
    void foldRows(FoldedFields fields, size_t last);
    // A block made ahead of the first key is completed before any row changes.
    void completeFolding();
    // A row's fields go into the blocks made so far: as a new row, or in place of its old fields.
    void foldRow(quint32 slot, bool added);
    std::array<std::unique_ptr<FoldedTexts>, 2> m_folded;
    QTimer *m_foldingSteps;
    // Each column's folded texts, made at its first sort and kept until a row changes.
    std::array<std::shared_ptr<const CaseBlindSort::Keys>, 3> m_sortKeys;
    mutable std::unique_ptr<const SlotIndex> m_slotIndex;
    QStringList m_headers;
    RowId m_nextId = 1;
    bool m_sorted = false;
    int m_sortKey = 0;
    // Descending at first, so that the first header click, which reverses it, sorts ascending.
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
};

} // namespace varnook
