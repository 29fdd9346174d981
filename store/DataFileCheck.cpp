#include "DataFileCheck.h"

#include "DataFileFormat.h"
#include "DataFileLines.h"

namespace varnook {

namespace {

// How many bytes ended the line just read: 2 for CR LF, 1 for a lone CR, 0 at the end of the bytes.
qsizetype lineEndSize(QByteArrayView bytes, QByteArrayView line, const DataFileLines &lines) {
    const qsizetype lineEnd = (line.data() - bytes.data()) + line.size();
    return lines.position() - lineEnd;
}

} // namespace

DataFileCheck::DataFileCheck(QByteArrayView bytes) {
    DataFileLines lines(bytes);
    QByteArrayView line;
    while (lines.next(line))
        addLine(line, lineEndSize(bytes, line, lines), lines.position() == bytes.size());
    finish();
}

void DataFileCheck::addLine(QByteArrayView line, qsizetype lineEnd, bool last) {
    const qsizetype number = ++m_lines;
    if (number == 1) {
        m_hasMasterPassword = !line.isEmpty();
        if (!m_hasMasterPassword)
            m_findings.push_back({1, Problem::NoMasterPassword});
    } else if (DataFileFormat::isSkippedLine(line)) {
        // A save ends the file with one empty line; anywhere else such a line is a stray.
        if (!(last && line.isEmpty()))
            m_findings.push_back({number, Problem::SkippedLine});
    } else {
        ++m_entryCount;
        checkEntryLine(number, line);
    }
    if (lineEnd == 1)
        m_findings.push_back({number, Problem::LoneCarriageReturn});
    else if (lineEnd == 0)
        m_findings.push_back({number, Problem::NoLineEnd});
}

void DataFileCheck::finish() {
    if (m_lines == 0 && m_findings.empty())
        m_findings.push_back({0, Problem::EmptyFile});
}

void DataFileCheck::checkEntryLine(qsizetype number, QByteArrayView line) {
    // The store's own reader splits the line: without both separators the entry written again
    // differs; a separator in the location reads back as part of it.
    const DataFileFormat::LineFields fields = DataFileFormat::fieldsOf(line);
    if (!fields.complete)
        m_findings.push_back({number, Problem::ShortLine});
    else if (DataFileFormat::findSeparator(fields.location, 0) >= 0)
        m_findings.push_back({number, Problem::ExtraSeparators});
}

bool DataFileCheck::onlyLacksMasterPassword() const {
    for (const Finding &finding : m_findings) {
        if (finding.problem != Problem::NoMasterPassword && finding.problem != Problem::EmptyFile)
            return false;
    }
    return !m_findings.empty();
}

QString DataFileCheck::describe(Problem problem) {
    switch (problem) {
    case Problem::NoMasterPassword:
        return QStringLiteral("no master password: Varnook asks for a new one at its next start");
    case Problem::EmptyFile:
        return QStringLiteral("the file is empty: it holds no master password line");
    case Problem::ShortLine:
        return QStringLiteral("short line: it has fewer than three fields, the missing ones read as empty");
    case Problem::ExtraSeparators:
        return QStringLiteral("extra separators: it has more than three fields, the location reads back "
                              "holding \"|||\"");
    case Problem::SkippedLine:
        return QStringLiteral("skipped line: it is empty or one blank, so it holds no entry");
    case Problem::LoneCarriageReturn:
        return QStringLiteral("the line ends with a lone carriage return, which Varnook never writes");
    case Problem::NoLineEnd:
        return QStringLiteral("the last line has no line end: the file may have been cut short");
    }
    return {};
}

} // namespace varnook
