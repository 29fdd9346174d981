#include "EntryListView.h"

#include "Design.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

namespace varnook {

EntryListView::EntryListView(EntryTableModel *model, QWidget *parent)
    : QTableView(parent)
    , m_model(model)
    , m_shownRows(new EntryFilterModel(model, this)) {
    setModel(m_shownRows);
    // A report list: rows without a grid or row numbers, every row as high as the font asks. A table
    // keeps a few bytes a row where a tree keeps a laid-out item for each of them.
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false); // Tab leaves the list, as it leaves every other control
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeightForFont());
    header()->setHighlightSections(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int section) { emit columnClicked(section + 1); });
    connect(m_model, &EntryTableModel::shownTextsChanged, viewport(), qOverload<>(&QWidget::update));
    // Another program's file replaces the rows: the selected entry and the scroll position stay.
    connect(m_shownRows, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        const int position = firstSelectedPosition();
        m_heldRow = position == 0 ? 0 : m_model->rowId(position);
        m_heldScroll = verticalScrollBar()->value();
    });
    connect(m_shownRows, &QAbstractItemModel::modelReset, this, [this] {
        if (const int position = m_heldRow ? m_model->positionOf(m_heldRow) : 0; position != 0)
            selectPosition(position);
        verticalScrollBar()->setValue(m_heldScroll);
    });
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
    int first = -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    for (const QModelIndex &index : rows) {
        if (first < 0 || index.row() < first)
            first = index.row();
    }
    // Shown rows keep the model's order: the first row is the first position.
    return first < 0 ? 0 : m_shownRows->positionAt(first);
}

bool EntryListView::isSelected(int position) const {
    const int row = m_shownRows->rowOf(position);
    return row >= 0 && selectionModel()->isRowSelected(row, QModelIndex());
}

bool EntryListView::selectPosition(int position, bool exclusive) {
    const int row = m_shownRows->rowOf(position);
    if (row < 0) {
        if (exclusive)
            selectionModel()->clearSelection();
        return false;
    }
    const QModelIndex index = m_shownRows->index(row, 0);
    auto flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (exclusive)
        flags |= QItemSelectionModel::Clear;
    selectionModel()->select(index, flags);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    return true;
}

void EntryListView::scrollToPosition(int position) {
    if (const int row = m_shownRows->rowOf(position); row >= 0)
        scrollTo(m_shownRows->index(row, 0));
}

void EntryListView::setFindText(const QString &text, bool inPasswords) {
    const Anchor anchor = rowInSight();
    m_shownRows->setFindText(text, inPasswords);
    bringBack(anchor);
}

void EntryListView::startFinding() {
    m_shownRows->startFinding();
}

void EntryListView::stopFinding() {
    setFindText(QString(), false);
    m_shownRows->stopFinding();
}

EntryListView::Anchor EntryListView::rowInSight() const {
    const QRect sight = viewport()->rect();
    QModelIndex row;
    if (const int selected = m_shownRows->rowOf(firstSelectedPosition()); selected >= 0) {
        const QModelIndex index = m_shownRows->index(selected, 0);
        if (visualRect(index).intersects(sight))
            row = index;
    }
    if (!row.isValid())
        row = indexAt(QPoint(0, 0));
    if (!row.isValid())
        return {};
    return {m_shownRows->positionAt(row.row()), visualRect(row).top()};
}

void EntryListView::bringBack(const Anchor &anchor) {
    executeDelayedItemsLayout();
    const int row = m_shownRows->rowAtOrAfter(anchor.position);
    if (row < 0) {
        scrollToBottom(); // the rows shown all lie before it
        return;
    }
    const int height = qMax(1, rowHeight(row));
    if (verticalScrollMode() == QAbstractItemView::ScrollPerItem)
        verticalScrollBar()->setValue(row - anchor.offset / height);
    else
        verticalScrollBar()->setValue(row * height - anchor.offset);
}

void EntryListView::showSortIndicator() {
    header()->setSortIndicatorShown(m_model->sorted());
    if (m_model->sorted())
        header()->setSortIndicator(m_model->sortKey(), m_model->sortOrder());
}

int EntryListView::rowHeightForFont() const {
    // What the delegate asks for a line of text, as a list whose rows are all alike has them.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("Hg");
    return itemDelegate()->sizeHint(option, QModelIndex()).height();
}

void EntryListView::changeEvent(QEvent *event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        verticalHeader()->setDefaultSectionSize(rowHeightForFont());
}

QModelIndex EntryListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Home and End go to the first and the last entry, as in a list, not to a row's first and last cell.
    if (action == MoveHome || action == MoveEnd)
        modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(action, modifiers);
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
    QTableView::keyPressEvent(event);
}

} // namespace varnook
