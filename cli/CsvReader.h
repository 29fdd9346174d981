#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace varnook {

// One record of a CSV file, numbered as a spreadsheet numbers its rows: the first record is row 1,
// and a record whose quoted fields span several lines is still one row.
struct CsvRecord {
    qsizetype row = 0;
    QStringList fields;

    friend bool operator==(const CsvRecord &, const CsvRecord &) = default;
};

// Reads CSV text (RFC 4180): fields separated by commas, records ended by CR LF, LF or CR; a field
// in double quotes may hold commas, line breaks and doubled quotes. A quote inside an unquoted
// field is taken as it stands. A blank line is a record of one empty field.
class CsvReader {
public:
    struct Result {
        std::vector<CsvRecord> records;
        QString error; // empty when the whole text was read

        bool ok() const { return error.isEmpty(); }
    };

    static Result read(QStringView text);
    // UTF-8 bytes, with or without a byte order mark; bytes that are not UTF-8 are refused.
    static Result readUtf8(QByteArrayView bytes);
};

} // namespace varnook
