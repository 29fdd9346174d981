#pragma once

#include <QByteArrayView>

namespace varnook {

class BufferedWriter;

// Writes the CSV record of one scrambled entry line straight from its bytes, the same bytes
// EntryCsv writes for the entry the store reads from that line: each scrambled byte stands for one
// character, so a table of 256 UTF-8 forms (a quote already doubled) turns a field into its CSV
// text in one pass, without decoding the entry.
class ScrambledCsv {
public:
    static void writeHeader(BufferedWriter &out);
    static void writeRecord(BufferedWriter &out, QByteArrayView scrambledLine);
};

} // namespace varnook
