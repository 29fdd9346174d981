#pragma once

#include "Entry.h"
#include "StoredLine.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <vector>

namespace varnook {

class BufferedWriter;

// The entry lines a save writes, in file order: entries encoded as the file is built, or lines a
// caller keeps in their stored form (DataFileFormat::storedLine), so that an unchanged row costs
// a copy at most. Either way DataFileFormat::serialize lays out the file. Stored lines must stay
// where they are until the writing is over: lines that lie one after another in memory, as a
// loaded file's lines do in its order, go on as one piece, and a long piece reaches the disk
// without a copy.
class EntryLines {
public:
    using StoredLineAt = std::function<QByteArrayView(qsizetype)>;

    EntryLines() = default;
    // Implicit: a list of entries is what most callers save. The list must outlive this object.
    EntryLines(const std::vector<Entry> &entries) // NOLINT(google-explicit-constructor)
        : m_entries(&entries)
        , m_count(qsizetype(entries.size())) {}
    EntryLines(qsizetype count, StoredLineAt storedLineAt)
        : m_count(count)
        , m_storedLineAt(std::move(storedLineAt)) {}

    qsizetype count() const { return m_count; }
    // Writes every line, each with its line end.
    void writeTo(BufferedWriter &out) const;

private:
    const std::vector<Entry> *m_entries = nullptr;
    qsizetype m_count = 0;
    StoredLineAt m_storedLineAt;
};

// The bytes of data.enc and what they mean, without touching any file.
//
// Line 1 holds the master password; every further line holds one entry as user name, "|||",
// password, "|||" and location. Each line is scrambled (scrambleBytes) and ends with CR LF; a file
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
    // The entries of the file's lines from start on, in one pass, each with its line as a save
    // writes it: the line read, with CR LF as its line end, so that it reads back as it read.
    struct StoredEntries {
        std::vector<Entry> entries;
        std::vector<StoredLine> lines; // lines[i] is the stored line of entries[i]
        size_t linesRead = 0;          // the lines that hold an entry, held ones too
    };
    // held tells whether the caller holds the entry of a stored line already (its bytes with the
    // line end), one decoded from the very same bytes: such a line is neither decoded nor kept, so
    // that entries and lines hold only the lines not held, in order, and the caller takes the others
    // from its own. It is asked once for each line, in order. When most lines are held, the others
    // are copied out of file, which then need not outlive the read.
    using HeldLine = std::function<bool(QByteArrayView storedLine)>;
    //
    // Without held, a long file is read on two threads, each decoding half of its lines (a whole
    // file is decoded at every start, and decoding is most of the time it takes); threads chooses
    // how many (1 or 2) instead of its length. The result is the same either way.
    static StoredEntries readStoredEntries(const QByteArray &file, qsizetype start, const HeldLine &held = {});
    static StoredEntries readStoredEntries(const QByteArray &file, qsizetype start, int threads);
    // The stored lines alone, none decoded: for a list that decodes its rows when it shows them.
    static std::vector<StoredLine> readStoredLines(const QByteArray &file, qsizetype start);
    // Lines that are empty or one blank, as read, carry no entry.
    static bool isSkippedLine(QByteArrayView line) { return line.isEmpty() || line == QByteArrayView(" "); }
    // One scrambled entry line: the pieces between the first two separators, the rest as location;
    // missing pieces are empty.
    static Entry readEntry(QByteArrayView scrambledLine);
    // The scrambled fields of one entry line, split as readEntry splits them.
    struct LineFields {
        QByteArrayView username, password, location;
        bool complete = false; // both separators found: the fields written again give the same bytes
    };
    static LineFields fieldsOf(QByteArrayView scrambledLine);
    // Where the next scrambled "|||" starts at or after from, or -1.
    static qsizetype findSeparator(QByteArrayView scrambledLine, qsizetype from);
    // Unscrambles and decodes one field or line.
    static QString plainText(QByteArrayView scrambled);

    // The file as first created: one empty line.
    static QByteArray newFile() { return LineEnd.toByteArray(); }
    // Line 1 alone: the file right after the master password was created.
    static QByteArray masterLine(QStringView masterPassword);
    // The whole file as a save writes it: line 1, the entry lines, and one more line end.
    static QByteArray serialize(QStringView masterPassword, const EntryLines &lines);
    // The same bytes, written to out as they are made.
    static void write(BufferedWriter &out, QStringView masterPassword, const EntryLines &lines);
    // The file with line 1 holding a new master password and every byte after line 1 as it was.
    static QByteArray withMasterLine(QByteArrayView file, QStringView masterPassword);
    // Line 1 alone, with its line end.
    static void writeMasterLine(BufferedWriter &out, QStringView masterPassword);
    // One scrambled entry line and its line end.
    static void writeEntryLine(BufferedWriter &out, const Entry &entry);
    // An entry line as read (without its line end) as a save writes it again: the bytes read, and
    // CR LF, so that it reads back as it read.
    static void writeEntryLineAsRead(BufferedWriter &out, QByteArrayView scrambledLine);
    // Appends one scrambled entry line and its line end.
    static void appendEntryLine(QByteArray &out, const Entry &entry);
    // One entry's line as the file stores it: scrambled, with its line end. A caller that keeps
    // these builds the next file without encoding the unchanged entries again (EntryLines).
    static QByteArray storedLine(const Entry &entry);

    // False when the entry would read back differently from the file: a field holding "|||" or a
    // character whose scrambled code ends a line, or one the code page does not hold.
    static bool readsBackAsWritten(const Entry &entry);
};

} // namespace varnook
