#pragma once

#include "EntryTableModel.h"

#include <QTreeView>

namespace varnook {

// The entry list in report view: three columns over the entry model. The widget never sorts by
// itself; a header click is handed to the window, which decides what to do with it.
class EntryListView : public QTreeView {
    Q_OBJECT

public:
    explicit EntryListView(EntryTableModel *model, QWidget *parent = nullptr);

    EntryTableModel *entries() const { return m_model; }

    // Adds a column header with its width in twips.
    void addColumn(const QString &header, int widthTwips);
    int columnWidthTwips(int column) const;

    // The position of the first selected row in display order, or 0 when none is selected.
    int firstSelectedPosition() const;
    bool isSelected(int position) const;
    void selectPosition(int position, bool exclusive = true);

    // Applies the model's sort settings to the header's sort indicator.
    void showSortIndicator();

signals:
    // A click on a column header, with its 1-based index.
    void columnClicked(int columnIndex);
    // Enter on the list.
    void editRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    EntryTableModel *m_model;
    QList<int> m_columnTwips; // as designed; pixels round them
};

} // namespace varnook
