#pragma once

#include "EntryListModel.h"
#include "Form.h"

class QLineEdit;
class QPushButton;

namespace varnook {

// The entry editor: types a new entry or changes the one that was selected when Edit was pressed.
// It remembers its mode and its row when it opens, so later clicks, sorts or deletions in the main
// window can never make it write into another entry's row.
class frmAdd : public Form {
    Q_OBJECT

public:
    explicit frmAdd(QWidget *parent = nullptr);

    bool isAddMode() const { return m_addMode; }

public slots:
    void cmdAdd_Click(int index);
    void cmdDelete_Click();

protected:
    bool Form_Load() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showError(const QString &text);
    // The first field the data file cannot hold, reported to the user; false when all fit.
    bool refuseUnstorableField(const Entry &entry);

    QPushButton *m_cmdDelete;
    QPushButton *m_cmdAdd;
    QLineEdit *m_txtUsername;
    QLineEdit *m_txtPassword;
    QLineEdit *m_txtWebsite;
    bool m_addMode = true;
    EntryListModel::RowId m_row = 0;
};

} // namespace varnook
