#include "EntryListView.h"

#include "Design.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace varnook {

EntryListView::EntryListView(EntryTableModel *model, QWidget *parent)
    : QTreeView(parent)
    , m_model(model) {
    setModel(m_model);
    setRootIsDecorated(false);
    setUniformRowHeights(true); // keeps tens of thousands of rows instant to lay out
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int section) { emit columnClicked(section + 1); });
    connect(m_model, &EntryTableModel::shownTextsChanged, viewport(), qOverload<>(&QWidget::update));
}

void EntryListView::addColumn(const QString &header, int widthTwips) {
    m_model->addColumn(header);
    m_columnTwips.append(widthTwips);
    this->header()->resizeSection(m_model->columnCount() - 1, twipsToPixels(widthTwips));
}

int EntryListView::columnWidthTwips(int column) const {
    if (column < 0 || column >= m_columnTwips.size())
        return 0;
    // A width set in twips reads back as set, unless the user has dragged the column since.
    const int pixels = header()->sectionSize(column);
    return twipsToPixels(m_columnTwips[column]) == pixels ? m_columnTwips[column] : pixelsToTwips(pixels);
}

int EntryListView::firstSelectedPosition() const {
    int first = 0;
    const QModelIndexList rows = selectionModel()->selectedRows();
    for (const QModelIndex &index : rows) {
        if (first == 0 || index.row() + 1 < first)
            first = index.row() + 1;
    }
    return first;
}

bool EntryListView::isSelected(int position) const {
    return selectionModel()->isRowSelected(position - 1, QModelIndex());
}

void EntryListView::selectPosition(int position, bool exclusive) {
    const QModelIndex index = m_model->index(position - 1, 0);
    auto flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (exclusive)
        flags |= QItemSelectionModel::Clear;
    selectionModel()->select(index, flags);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void EntryListView::showSortIndicator() {
    header()->setSortIndicatorShown(m_model->sorted());
    if (m_model->sorted())
        header()->setSortIndicator(m_model->sortKey(), m_model->sortOrder());
}

void EntryListView::keyPressEvent(QKeyEvent *event) {
    // Enter edits the selected entry. Copy is the window's: it copies the whole password, never
    // the text a cell shows (shortened, or dots).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit editRequested();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        event->ignore();
        return;
    }
    QTreeView::keyPressEvent(event);
}

} // namespace varnook
