#pragma once

#include "Entry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <vector>

namespace varnook {

// The bytes of data.enc and what they mean, without touching any file.
//
// Line 1 holds the master password; every further line holds one entry as user name, "|||",
// password, "|||" and location. Each line is scrambled (ScrambleText) and ends with CR LF; a file
// written by a save ends with one more CR LF. There is no header, count or checksum.
class DataFileFormat {
public:
    static constexpr QByteArrayView LineEnd{"\r\n"};
    static constexpr QByteArrayView Separator{"|||"};

    struct MasterLine {
        QString masterPassword;     // plain; empty when none has been created yet
        qsizetype entriesStart = 0; // where the entry lines begin (after line 1's line end)
    };

    // Line 1 of the file. A zero-byte file has one empty line.
    static MasterLine readMasterLine(QByteArrayView bytes);
    // The entries of the lines in bytes (the part of the file after line 1).
    static std::vector<Entry> readEntries(QByteArrayView entryLines);
    // Lines that are empty or one blank, as read, carry no entry.
    static bool isSkippedLine(QByteArrayView line) { return line.isEmpty() || line == QByteArrayView(" "); }
    // One scrambled entry line: the pieces between the first two separators, the rest as location;
    // missing pieces are empty.
    static Entry readEntry(QByteArrayView scrambledLine);
    // Unscrambles and decodes one field or line.
    static QString plainText(QByteArrayView scrambled);

    // The file as first created: one empty line.
    static QByteArray newFile() { return LineEnd.toByteArray(); }
    // Line 1 alone: the file right after the master password was created.
    static QByteArray masterLine(QStringView masterPassword);
    // The whole file as a save writes it.
    static QByteArray serialize(QStringView masterPassword, const std::vector<Entry> &entries);
    // Appends one scrambled entry line and its line end.
    static void appendEntryLine(QByteArray &out, const Entry &entry);
    // One entry's line as the file stores it: scrambled, with its line end. A caller that keeps
    // these builds the next file without encoding the unchanged entries again.
    static QByteArray storedLine(const Entry &entry);
    // The whole file as a save writes it, from entry lines already in their stored form.
    static QByteArray serializeStoredLines(QStringView masterPassword, qsizetype count,
                                           const std::function<QByteArrayView(qsizetype)> &storedLineAt);

    // False when the entry would read back differently from the file: a field holding "|||" or a
    // character whose scrambled code ends a line, or one the code page does not hold.
    static bool readsBackAsWritten(const Entry &entry);
};

} // namespace varnook
