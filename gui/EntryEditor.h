#pragma once

#include "ControlArray.h"
#include "EntryTableModel.h"

class QLineEdit;
class QPushButton;

namespace varnook {

// The entry editor: types a new entry or changes the one that was selected when Edit was pressed.
// It remembers its mode and its row when it opens, so later clicks, sorts or deletions in the main
// window can never make it write into another entry's row.
class EntryEditor : public Form {
    Q_OBJECT

public:
    explicit EntryEditor(QWidget *parent = nullptr);

    bool isAddMode() const { return m_addMode; }

public slots:
    void onSaveClicked(int index);
    void onCancelClicked();

protected:
    bool Form_Load() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showError(const QString &text);
    // The first field the data file cannot hold, reported to the user; false when all fit.
    bool refuseUnstorableField(const Entry &entry);

    QPushButton *m_cancelButton;
    QPushButton *m_saveButton;
    QLineEdit *m_usernameEdit;
    QLineEdit *m_passwordEdit;
    QLineEdit *m_websiteEdit;
    bool m_addMode = true;
    EntryTableModel::RowId m_row = 0;
};

} // namespace varnook
