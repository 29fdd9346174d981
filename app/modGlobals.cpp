#include "modGlobals.h"

#include "EntryListModel.h"
#include "Form1.h"

namespace varnook {

void ShowStatus(const QString &text) {
    if (Form1 *main = findForm<Form1>())
        main->showStatus(text);
}

bool LoadData(EntryListModel &list) {
    Q_UNUSED(list);
    return true;
}

bool SaveData(const EntryListModel &list) {
    Q_UNUSED(list);
    return true;
}

} // namespace varnook
