#include "ImportColumns.h"

namespace varnook {

namespace {

struct KnownField {
    QString what; // as the messages name it
    QStringList names;
    qsizetype ImportColumns::*column;
};

// "A", "B" or "C"
QString alternatives(const QStringList &names) {
    QStringList quoted;
    for (const QString &name : names)
        quoted.append(QStringLiteral("\"") + name + QStringLiteral("\""));
    const QString last = quoted.takeLast();
    return quoted.isEmpty() ? last : quoted.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString field(const QStringList &fields, qsizetype column) {
    return column >= 0 && column < fields.size() ? fields[column] : QString();
}

} // namespace

std::optional<ImportColumns> ImportColumns::find(const QStringList &header, QString &error) {
    ImportColumns columns;
    const KnownField known[] = {
        {QStringLiteral("user name"),
         {QStringLiteral("Username"), QStringLiteral("Login Name"), QStringLiteral("login_username")},
         &ImportColumns::m_username},
        {QStringLiteral("password"),
         {QStringLiteral("Password"), QStringLiteral("login_password")},
         &ImportColumns::m_password},
        {QStringLiteral("location"),
         {QStringLiteral("URL"), QStringLiteral("Web Site"), QStringLiteral("login_uri")},
         &ImportColumns::m_location},
    };
    for (const KnownField &wanted : known) {
        for (qsizetype i = 0; i < header.size(); ++i) {
            const QString name = header[i].trimmed();
            if (!wanted.names.contains(name, Qt::CaseInsensitive))
                continue;
            qsizetype &column = columns.*wanted.column;
            // Two columns for one field leave no sound choice between them.
            if (column >= 0) {
                error = QStringLiteral("The header row names more than one %1 column: \"%2\" and \"%3\".")
                            .arg(wanted.what, header[column].trimmed(), name);
                return std::nullopt;
            }
            column = i;
        }
    }
    for (const KnownField &wanted : known) {
        if (columns.*wanted.column < 0 && wanted.column != &ImportColumns::m_location) {
            error = QStringLiteral("The header row has no %1 column; it needs one named %2.")
                        .arg(wanted.what, alternatives(wanted.names));
            return std::nullopt;
        }
    }
    return columns;
}

Entry ImportColumns::entryOf(const QStringList &fields) const {
    return {field(fields, m_username), field(fields, m_password), field(fields, m_location)};
}

} // namespace varnook
