#pragma once

#include "CaseBlindFind.h"
#include "EntryTableModel.h"

#include <QAbstractTableModel>
#include <QPersistentModelIndex>

#include <vector>

namespace varnook {

// The rows the entry list shows: every entry of the model, in its display order, or, while there is
// a text to find, only the entries whose user name or location holds it (letter case ignored), and
// whose password does when asked. Each shown row maps to the model's position; the model, its
// positions and what a save writes keep their meaning whatever is shown.
class EntryFilterModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit EntryFilterModel(EntryTableModel *entries, QObject *parent = nullptr);

    EntryTableModel *entries() const { return m_entries; }

    // Readies finding ahead of the first key (the fields are folded once), and lets go of what it
    // holds again: the find bar opens and closes.
    void startFinding();
    void stopFinding();
    // An empty text shows every entry again.
    void setFindText(const QString &text, bool inPasswords);
    bool isFiltering() const { return m_filtering; }
    int shownCount() const { return m_filtering ? int(m_shown.size()) : m_entries->count(); }

    // The model's position (1-based) of a shown row (0-based), or 0 for no row.
    int positionAt(int row) const;
    // The shown row of a position, or -1 when it is hidden or does not exist.
    int rowOf(int position) const;
    // The first shown row at the position or after it, or -1 when none is.
    int rowAtOrAfter(int position) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // The number of rows shown, or of entries, may have changed.
    void countsChanged();

private:
    void followEntries();
    // What is shown changes as one layout change: the rows views hold on to (the selection, the
    // current row) follow their entries, and leave them when those are hidden.
    void beginShownChange();
    void endShownChange();
    // Finds again among all rows; narrowing: among the rows found last time only.
    void findRows(bool narrowing);

    EntryTableModel *m_entries;
    CaseBlindFind m_find;
    bool m_inPasswords = false;
    bool m_filtering = false;
    // While filtering: the rows that hold the text, and their positions in display order.
    EntryTableModel::RowFlags m_found;
    std::vector<int> m_shown;
    // During a change: the indexes views hold, and the model's rows they stand for.
    QModelIndexList m_heldRows;
    QList<QPersistentModelIndex> m_heldEntries;
};

} // namespace varnook
