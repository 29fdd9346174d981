#pragma once

#include "Entry.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnook {

// Which columns of a CSV file hold the user name, the password and the location, found by the
// names in its header row without regard to case or surrounding blanks. The names of KeePassXC
// (Username, Password, URL), KeePass 2 (Login Name, Password, Web Site) and of the common layout
// (login_username, login_password, login_uri) are known.
class ImportColumns {
public:
    // The columns, or nothing with the reason in error: no user name or password column, or a
    // field named by two columns.
    static std::optional<ImportColumns> find(const QStringList &header, QString &error);

    // The entry of one record; fields the record lacks are empty.
    Entry entryOf(const QStringList &fields) const;

    qsizetype usernameColumn() const { return m_username; }
    qsizetype passwordColumn() const { return m_password; }
    qsizetype locationColumn() const { return m_location; } // -1: every location is empty

private:
    qsizetype m_username = -1;
    qsizetype m_password = -1;
    qsizetype m_location = -1;
};

} // namespace varnook
