#pragma once

#include <QByteArray>
#include <QStringList>

namespace varnook {

// Writes CSV records as spreadsheets and password managers read them: UTF-8, every field in
// double quotes with quotes inside doubled, fields separated by commas, each record ended by \n.
class CsvWriter {
public:
    static void appendRecord(QByteArray &out, const QStringList &fields);
};

} // namespace varnook
