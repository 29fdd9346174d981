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

    // The refusal of bytes that are not UTF-8, or an empty text when they are.
    static QString utf8Problem(QByteArrayView bytes);
    // The CSV text of UTF-8 bytes: without the byte order mark spreadsheets put in front.
    static QByteArrayView withoutByteOrderMark(QByteArrayView bytes);
};

// Reads the records of UTF-8 CSV text one at a time, so that a large file never stands in memory
// as records or as decoded text. The bytes must have passed CsvReader::utf8Problem and
// withoutByteOrderMark.
class CsvRecords {
public:
    explicit CsvRecords(QByteArrayView utf8)
        : m_text(utf8) {}

    // The next record; false at the end of the text, or when the text is malformed (error()).
    bool next(CsvRecord &record);
    // "Row N: what is wrong", or empty.
    const QString &error() const { return m_error; }

private:
    bool scanRecord(QStringList &fields, QString &error);
    bool scanQuoted(QString &field, QString &error);
    void scanPlain(QString &field);
    void skipLineEnd();

    QByteArrayView m_text;
    qsizetype m_at = 0;
    qsizetype m_row = 0;
    QString m_error;
};

} // namespace varnook
