#include "modListViewEnh.h"

#include "ListView.h"
#include "Platform.h"

namespace varnook {

namespace {
constexpr int IndexOutOfBounds = 35600;
}

bool EnhListView_SortColumns(ListView &list, int columnHeader, bool showErrors) {
    EntryListModel &entries = *list.entries();
    if (entries.count() < 1)
        return true;
    if (columnHeader < 1 || columnHeader > entries.columnCount()) {
        if (showErrors) {
            MessageBoxRequest box;
            box.title = QStringLiteral("Error in Function : EnhListView_SortColumns");
            box.text = QStringLiteral("Error%1\tIndex out of bounds").arg(IndexOutOfBounds);
            box.icon = MessageIcon::Information;
            platform().dialogs->messageBox(box);
        }
        return false;
    }
    const Qt::SortOrder order = entries.sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    // One re-sort for all three settings: tens of thousands of rows stay instant.
    entries.setSortSettings(true, columnHeader - 1, order);
    list.showSortIndicator();
    return true;
}

} // namespace varnook
