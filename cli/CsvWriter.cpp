#include "CsvWriter.h"

namespace varnook {

void CsvWriter::appendRecord(QByteArray &out, const QStringList &fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.append(',');
        out.append('"');
        // Quoting every field keeps commas, quotes and line breaks inside it.
        out.append(fields[i].toUtf8().replace('"', QByteArrayLiteral("\"\"")));
        out.append('"');
    }
    out.append('\n');
}

} // namespace varnook
