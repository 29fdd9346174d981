#include "ImportRows.h"

#include "DataFileFormat.h"
#include "FieldRules.h"

namespace varnook {

namespace {

bool isBlankLine(const CsvRecord &record) {
    return record.fields.size() == 1 && record.fields[0].isEmpty();
}

} // namespace

ImportRows::ImportRows(const std::vector<CsvRecord> &records, const ImportColumns &columns) {
    // The first record is the header row.
    for (size_t i = 1; i < records.size(); ++i) {
        Entry entry;
        Refused refused;
        switch (sort(records[i], columns, entry, refused)) {
        case Verdict::Blank:
            break;
        case Verdict::Taken:
            m_entries.push_back(std::move(entry));
            break;
        case Verdict::Refused:
            m_refused.push_back(std::move(refused));
            break;
        }
    }
}

ImportRows::Verdict ImportRows::sort(const CsvRecord &record, const ImportColumns &columns, Entry &entry,
                                     Refused &refused) {
    if (isBlankLine(record))
        return Verdict::Blank;
    entry = columns.entryOf(record.fields);
    const QString problem = problemOf(entry);
    if (problem.isEmpty())
        return Verdict::Taken;
    refused = {record.row, problem};
    return Verdict::Refused;
}

QString ImportRows::problemOf(const Entry &entry) {
    // The same rules as the entry editor's: the program could not show or save the entry otherwise.
    if (entry.username.isEmpty())
        return QStringLiteral("the user name is empty");
    if (entry.password.isEmpty())
        return QStringLiteral("the password is empty");
    const std::pair<QString, const QString *> fields[] = {
        {QStringLiteral("user name"), &entry.username},
        {QStringLiteral("password"), &entry.password},
        {QStringLiteral("location"), &entry.location},
    };
    // The program shows and asks about every field; a huge one would freeze it.
    for (const auto &[name, text] : fields) {
        if (text->size() > MaximumFieldLength)
            return QStringLiteral("the %1 is longer than 1 MB (%2 characters)").arg(name).arg(MaximumFieldLength);
    }
    for (const auto &[name, text] : fields) {
        const QString problem = fieldProblem(*text);
        if (!problem.isEmpty())
            return QStringLiteral("the %1 cannot be stored: %2").arg(name, problem);
    }
    // A "|" at the end of the user name or password runs into the separator written after it.
    for (const auto &[name, text] : fields) {
        if (text != &entry.location && text->endsWith(QLatin1Char('|')))
            return QStringLiteral("the %1 ends with \"|\", which would run into the data file's separator \"|||\"")
                .arg(name);
    }
    // What the rules above miss, the store's own reader catches.
    if (!DataFileFormat::readsBackAsWritten(entry))
        return QStringLiteral("the entry would not read back from the data file as written");
    return {};
}

QString ImportRows::message(const Refused &refused) {
    return QStringLiteral("Row %1 not imported: %2").arg(refused.row).arg(refused.reason);
}

} // namespace varnook
