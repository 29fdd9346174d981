#pragma once

#include <QByteArrayView>
#include <QString>

#include <vector>

namespace varnook {

// The health of the data file's bytes, found the way the program reads them but without the master
// password: how many entries the program would load, and every line that would not come back as
// it was written. Nothing here ever holds a password.
class DataFileCheck {
public:
    enum class Problem {
        NoMasterPassword,   // line 1 is empty: the program asks for a new master password at its next start
        EmptyFile,          // not even line 1 is there
        ShortLine,          // fewer than two separators: missing fields are read as empty
        ExtraSeparators,    // more than two separators: the location reads back holding "|||"
        SkippedLine,        // an empty or one-blank line among the entries, which the reader passes over
        LoneCarriageReturn, // a line ended by CR alone, which a save never writes
        NoLineEnd,          // the last line has no line end: the file may have been cut short
    };

    struct Finding {
        qsizetype line = 0; // 1-based line number as the program counts lines; 0 for the whole file
        Problem problem = Problem::EmptyFile;

        friend bool operator==(const Finding &, const Finding &) = default;
    };

    // The check of a whole file's bytes.
    explicit DataFileCheck(QByteArrayView bytes);
    // A check fed line by line (addLine), as a file is read in blocks, and then finished.
    DataFileCheck() = default;
    // One line without its line end; lineEnd is the number of bytes that ended it (2 for CR LF, 1 for
    // a lone CR, 0 at the end of the file), last tells that no byte follows it.
    void addLine(QByteArrayView line, qsizetype lineEnd, bool last);
    // After the last line: a file without any line is empty.
    void finish();

    bool hasMasterPassword() const { return m_hasMasterPassword; }
    // The entries the program would load.
    qsizetype entryCount() const { return m_entryCount; }
    // In the order of the lines.
    const std::vector<Finding> &findings() const { return m_findings; }
    bool isClean() const { return m_findings.empty(); }
    // True when a missing master password (an empty line 1 or an empty file) is all that is wrong.
    bool onlyLacksMasterPassword() const;

    // What a finding means, in a sentence that names no content of the file.
    static QString describe(Problem problem);

private:
    void checkEntryLine(qsizetype number, QByteArrayView line);

    qsizetype m_lines = 0;
    bool m_hasMasterPassword = false;
    qsizetype m_entryCount = 0;
    std::vector<Finding> m_findings;
};

} // namespace varnook
