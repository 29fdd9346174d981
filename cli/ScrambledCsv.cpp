#include "ScrambledCsv.h"

#include "BufferedWriter.h"
#include "CodePage1252.h"
#include "CsvWriter.h"
#include "DataFileFormat.h"
#include "EntryCsv.h"
#include "ScrambleText.h"

#include <QString>

#include <array>

namespace varnook {

namespace {

// The CSV text of one scrambled byte inside a quoted field: its character in UTF-8, a quote doubled.
struct CsvForm {
    char bytes[3];
    quint8 size;
};

const std::array<CsvForm, 256> &csvForms() {
    static const std::array<CsvForm, 256> table = [] {
        std::array<CsvForm, 256> forms{};
        for (int code = 0; code < 256; ++code) {
            const char16_t plain = CodePage1252::toUnicode(scrambleCode(uchar(code)));
            const QByteArray utf8 = plain == u'"' ? QByteArrayLiteral("\"\"") : QString(QChar(plain)).toUtf8();
            CsvForm &form = forms[size_t(code)];
            form.size = quint8(utf8.size());
            for (qsizetype i = 0; i < utf8.size(); ++i)
                form.bytes[i] = utf8[i];
        }
        return forms;
    }();
    return table;
}

// The most bytes one scrambled byte takes in the CSV text.
constexpr qsizetype MostPerByte = 3;

void writeField(BufferedWriter &out, QByteArrayView scrambled) {
    const auto &forms = csvForms();
    char *const begin = out.reserve(scrambled.size() * MostPerByte + 2);
    char *dest = begin;
    *dest++ = '"';
    for (const char byte : scrambled) {
        const CsvForm &form = forms[uchar(byte)];
        // Three bytes copied every time, then the pointer moves by the form's own size: no branch.
        dest[0] = form.bytes[0];
        dest[1] = form.bytes[1];
        dest[2] = form.bytes[2];
        dest += form.size;
    }
    *dest++ = '"';
    out.commit(dest);
}

} // namespace

void ScrambledCsv::writeHeader(BufferedWriter &out) {
    QByteArray header;
    CsvWriter::appendRecord(header, EntryCsv::header());
    out.write(header);
}

void ScrambledCsv::writeRecord(BufferedWriter &out, QByteArrayView scrambledLine) {
    // The columns of EntryCsv::fieldsOf: Group, Title (the location, else the user name), Username,
    // Password, URL, then five that Varnook has nothing for.
    const DataFileFormat::LineFields fields = DataFileFormat::fieldsOf(scrambledLine);
    out.write(QByteArrayView("\"Varnook\","));
    writeField(out, fields.location.isEmpty() ? fields.username : fields.location);
    out.write(',');
    writeField(out, fields.username);
    out.write(',');
    writeField(out, fields.password);
    out.write(',');
    writeField(out, fields.location);
    out.write(QByteArrayView(",\"\",\"\",\"\",\"\",\"\"\n"));
}

} // namespace varnook
