#pragma once

#include "EntryTableModel.h"
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace varnook {

class SkinEngine;

// The entry editor: types a new entry or changes the one that was selected when Edit was pressed.
// It remembers its mode and its row when it opens, so later clicks, sorts or deletions in the main
// window can never make it write into another entry's row.
class EntryEditor : public QWidget {
    Q_OBJECT

public:
    enum class Mode { Add, Edit };

    explicit EntryEditor(const SkinEngine *skin, QWidget *parent = nullptr);

    // Opens empty, for a new entry.
    void openForAdd();
    // Opens holding the entry of the row, which the accepted entry is to replace.
    void openForEdit(EntryTableModel::RowId row, const Entry &entry);

    // Hidden: the password box shows dots, and a button beside it shows the password while it is held.
    void setPasswordHidden(bool hidden);
    QToolButton *showPasswordButton() const { return m_showPasswordButton; }

    // The row being edited; 0 while adding.
    EntryTableModel::RowId row() const { return m_row; }

public slots:
    void onSaveClicked();

signals:
    // The window has closed and goes away.
    void closed();
    // Save with fields the data file can hold. The owner writes the entry and closes the editor,
    // or tells the user why it cannot and leaves the editor open.
    void accepted(EntryEditor::Mode mode, EntryTableModel::RowId row, const Entry &entry);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void open();
    // The first field the data file cannot hold, reported to the user; false when all fit.
    bool refuseUnstorableField(const Entry &entry);

    QPushButton *m_cancelButton;
    QPushButton *m_saveButton;
    QLineEdit *m_usernameEdit;
    QLineEdit *m_passwordEdit;
    QLineEdit *m_websiteEdit;
    QList<QLabel *> m_labels; // the fields' captions
    QToolButton *m_showPasswordButton;
    const SkinEngine *m_skin;
    Mode m_mode = Mode::Add;
    EntryTableModel::RowId m_row = 0;
};

} // namespace varnook
