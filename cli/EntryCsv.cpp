#include "EntryCsv.h"

#include "CsvWriter.h"

namespace varnook {

const QStringList &EntryCsv::header() {
    static const QStringList names = {
        QStringLiteral("Group"),    QStringLiteral("Title"), QStringLiteral("Username"),
        QStringLiteral("Password"), QStringLiteral("URL"),   QStringLiteral("Notes"),
        QStringLiteral("TOTP"),     QStringLiteral("Icon"),  QStringLiteral("Last Modified"),
        QStringLiteral("Created"),
    };
    return names;
}

QStringList EntryCsv::fieldsOf(const Entry &entry) {
    const QString &title = entry.location.isEmpty() ? entry.username : entry.location;
    return {QStringLiteral("Varnook"), title, entry.username, entry.password, entry.location, {}, {}, {}, {}, {}};
}

QByteArray EntryCsv::write(const std::vector<Entry> &entries) {
    QByteArray out;
    CsvWriter::appendRecord(out, header());
    for (const Entry &entry : entries)
        CsvWriter::appendRecord(out, fieldsOf(entry));
    return out;
}

} // namespace varnook
