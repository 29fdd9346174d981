#pragma once

#include "EntryTableModel.h"
#include "FileResult.h"

#include <QObject>
#include <QString>

namespace varnook {

// One run's data: the entries as the list shows them and the master password of data.enc.
// Every change is saved when it is made; the outcome goes to the status line through status().
class Session : public QObject {
    Q_OBJECT

public:
    explicit Session(QObject *parent = nullptr);

    EntryTableModel &entries() { return m_entries; }
    const EntryTableModel &entries() const { return m_entries; }
    const QString &masterPassword() const { return m_masterPassword; }

    // Reads data.enc into the list, creating it or asking for the master password first.
    // False when the program was ended on the way (refused login, cancelled creation, unreadable file);
    // it then ends with a non-zero exit status.
    bool load();

    // Writes the whole list to data.enc. False when the save failed; the user has been told then, and
    // the list knows that the file lacks its changes until a later save succeeds.
    bool save();
    // Writes the whole list to data.enc and notes the outcome in the list, without a box or a status line.
    FileResult write();

signals:
    // A line for the main window's status bar.
    void status(const QString &text);

private:
    EntryTableModel m_entries;
    QString m_masterPassword;
};

} // namespace varnook
