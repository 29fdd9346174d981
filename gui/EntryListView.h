#pragma once

#include "EntryFilterModel.h"
#include "EntryTableModel.h"

#include <QHeaderView>
#include <QTableView>

namespace varnook {

// The entry list in report view: three columns over the entry model, showing every entry or only
// those holding the text to find. The widget never sorts by itself; a header click is handed to
// the window, which decides what to do with it. Positions here are always the model's, whatever is
// shown, so that every command means the entry the user sees selected.
class EntryListView : public QTableView {
    Q_OBJECT

public:
    explicit EntryListView(EntryTableModel *model, QWidget *parent = nullptr);

    EntryTableModel *entries() const { return m_model; }
    // The column headers, which the user clicks to sort.
    QHeaderView *header() const { return horizontalHeader(); }
    // The rows shown, and the model's position of each.
    const EntryFilterModel &shownRows() const { return *m_shownRows; }

    // Adds a column header with its width in twips.
    void addColumn(const QString &header, int widthTwips);
    int columnWidthTwips(int column) const;

    // The position of the first selected row among those shown, or 0 when none is selected.
    int firstSelectedPosition() const;
    bool isSelected(int position) const;
    // False, and with exclusive nothing selected, when the position is not shown.
    bool selectPosition(int position, bool exclusive = true);
    void scrollToPosition(int position);

    // Shows only the entries holding text (an empty one shows them all): the selected rows that stay
    // shown stay selected, and the row in sight (the selected one, or else the top one) keeps its
    // place on the screen.
    void setFindText(const QString &text, bool inPasswords);
    // Finding readied ahead of the first key, and every entry shown again at the end (the find bar
    // opens and closes).
    void startFinding();
    void stopFinding();

    // Applies the model's sort settings to the header's sort indicator.
    void showSortIndicator();

signals:
    // A click on a column header, with its 1-based index.
    void columnClicked(int columnIndex);
    // Enter on the list.
    void editRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    int rowHeightForFont() const;
    // A row in sight, by position, and its distance from the top of the viewport in pixels.
    struct Anchor {
        int position = 0;
        int offset = 0;
    };
    Anchor rowInSight() const;
    // Puts the first shown row at the anchor's position or after it where the anchor was.
    void bringBack(const Anchor &anchor);

    EntryTableModel *m_model;
    EntryFilterModel *m_shownRows;
    QList<int> m_columnTwips; // as designed; pixels round them
    // What a replacement of the rows keeps: the selected row and the scroll position.
    EntryTableModel::RowId m_heldRow = 0;
    int m_heldScroll = 0;
};

} // namespace varnook
