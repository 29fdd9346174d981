#pragma once

namespace varnook {

class ListView;

// Sorts a report-view list by the given 1-based column header, reversing the order on every call.
// True when the settings were applied or the list is empty.
bool EnhListView_SortColumns(ListView &list, int columnHeader, bool showErrors);

} // namespace varnook
