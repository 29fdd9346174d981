// How fast the RTF reader opens large help files. Not a test: run it by hand, offscreen,
//   QT_QPA_PLATFORM=offscreen build/bench_rtfreader
// It prints one line per file shape: its size, the reader's median time over 5 runs, the time until
// a read-only text view shows its first page, and until the view has laid out all of it. Then, for
// files of 1 MB and 10 MB, the same as the Help window reads them, a slice at a time: the time until
// the first page shows, until all of it is read and laid out, and the longest the program did not
// answer meanwhile.
#include "RtfLoader.h"
#include "RtfReader.h"

#include <QAbstractScrollArea>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTextBrowser>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace varnook;

namespace {

constexpr qsizetype OneMegabyte = 1024 * 1024;
constexpr qsizetype TenMegabytes = 10 * OneMegabyte;

QByteArray header() {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
           "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
           "{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1\\pard\\sa200\\sl276\\slmult1\\lang9\\f0\\fs20 ";
}

// Paragraphs of prose as WordPad writes them: some bold, italic and coloured words, accented letters, bullets.
QByteArray prose(qsizetype size) {
    QByteArray bytes = header();
    int paragraph = 0;
    while (bytes.size() < size) {
        if (paragraph % 10 == 0)
            bytes += "\\pard\\sa200\\sl276\\slmult1\\b\\fs28 Section heading " + QByteArray::number(paragraph) +
                     "\\b0\\fs20\\par\r\n";
        if (paragraph % 7 == 3)
            bytes += "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720 "
                     "A point in a list\\par\r\n\\pard\\sa200\\sl276\\slmult1 ";
        bytes += "The master password keeps other people from seeing your entries; \\b choose it well\\b0 , and "
                 "keep a \\i backup\\i0  of the data file in a safe place. Caf\\'e9 na\\'efve r\\'e9sum\\'e9 "
                 "\\cf1 coloured\\cf0  words and \\u8364? signs.\\par\r\n";
        ++paragraph;
    }
    return bytes + "}\r\n" + QByteArray(1, '\0');
}

// A word processor's table of three columns, one row after another.
QByteArray table(qsizetype size) {
    QByteArray bytes = header();
    int row = 0;
    while (bytes.size() < size) {
        bytes += "\\trowd\\trgaph108\\cellx3000\\cellx6000\\cellx9000\\pard\\intbl {user" + QByteArray::number(row) +
                 "\\cell}{\\b secret\\cell}{www.example.org\\cell}\\row\r\n";
        ++row;
    }
    return bytes + "\\pard after\\par}";
}

// One large metafile, which the reader shows as a frame.
QByteArray picture(qsizetype size) {
    QByteArray bytes = header() + "Before {\\pict\\wmetafile8\\picw1000\\pich1000 ";
    while (bytes.size() < size)
        bytes += "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef\r\n";
    return bytes + "} after\\par}";
}

// Metafile frames of 22 inches, one a paragraph: a document shows the first of them and leaves out the rest.
QByteArray frames(qsizetype size) {
    QByteArray bytes = header();
    while (bytes.size() < size)
        bytes += "{\\pict\\wmetafile8\\picw2540000\\pich2540000\\picwgoal31680\\pichgoal31680 0100090000}\\par\r\n";
    return bytes + "}";
}

// 100,000 groups nested in each other, then prose.
QByteArray deep(qsizetype size) {
    QByteArray bytes = header() + QByteArray(100000, '{') + "deep" + QByteArray(100000, '}');
    while (bytes.size() < size)
        bytes += "Plain words in a paragraph of their own, nothing else.\\par\r\n";
    return bytes + "}";
}

// One paragraph without a single paragraph end: words, or with words = false one unbroken run of
// letters, as a file with pasted data may hold.
QByteArray paragraph(qsizetype size, bool words) {
    QByteArray bytes = header();
    while (bytes.size() < size)
        bytes += words ? "The master password keeps other people from seeing your entries \\b well\\b0  "
                       : "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    return bytes + "\\par}";
}

QByteArray shape(const QString &name, qsizetype size) {
    if (name == u"prose")
        return prose(size);
    if (name == u"table")
        return table(size);
    if (name == u"picture")
        return picture(size);
    if (name == u"frames")
        return frames(size);
    if (name == u"deep")
        return deep(size);
    if (name == u"paragraph")
        return paragraph(size, true);
    return paragraph(size, false);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure(const char *name, const QByteArray &bytes) {
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        QTextDocument document;
        QElapsedTimer timer;
        timer.start();
        RtfReader::read(bytes, &document);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }

    // As the Help window opens it: read, shown, first page painted. The view lays out the rest of a
    // long document in steps while the program goes on; laid_out_ms is when it has finished.
    QElapsedTimer shown;
    shown.start();
    QTextBrowser view;
    view.resize(686, 501);
    auto *document = new QTextDocument(&view);
    RtfReader::read(bytes, document);
    view.setDocument(document);
    view.show();
    view.repaint();
    const double shownMs = shown.nsecsElapsed() / 1e6;
    document->documentLayout()->documentSize(); // finishes the layout
    const double laidOutMs = shown.nsecsElapsed() / 1e6;

    std::printf("bench: rtf_%s bytes=%lld read_ms=%.1f shown_ms=%.1f laid_out_ms=%.1f blocks=%d\n", name,
                qlonglong(bytes.size()), median(times), shownMs, laidOutMs, document->blockCount());
    std::fflush(stdout);
}

// As the Help window opens a help file: the view shows the document while a loader fills it.
void measureFirstPage(const QString &name, const QByteArray &bytes) {
    QElapsedTimer clock;
    clock.start();
    QTextBrowser view;
    view.resize(686, 501);
    auto *document = new QTextDocument(&view);
    RtfLoader loader(bytes, document);
    view.setDocument(document);
    view.show();
    view.repaint();
    const double firstPageMs = clock.nsecsElapsed() / 1e6;

    // Each turn of the event loop reads one slice; the longest turn is how long the program stalled.
    double longestTurnMs = 0;
    while (!loader.isFinished()) {
        QElapsedTimer turn;
        turn.start();
        QCoreApplication::processEvents();
        longestTurnMs = std::max(longestTurnMs, turn.nsecsElapsed() / 1e6);
    }
    document->documentLayout()->documentSize(); // finishes the layout
    const double allMs = clock.nsecsElapsed() / 1e6;
    std::printf("bench: rtf_first_page bytes=%lld ms=%.1f shape=%s all_ms=%.1f longest_turn_ms=%.1f blocks=%d\n",
                qlonglong(bytes.size()), firstPageMs, qPrintable(name), allMs, longestTurnMs, document->blockCount());
    std::fflush(stdout);
}

} // namespace

// Arguments name the shapes to measure (prose, table, picture, frames, deep, paragraph, word); none: all of
// them. With --first-page only the Help window's way of reading is measured.
int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("varnook.rtf.warning=false")); // the frames left out, every run
    QStringList chosen = QCoreApplication::arguments().mid(1);
    const bool firstPageOnly = chosen.removeAll(QStringLiteral("--first-page")) > 0;
    if (chosen.isEmpty())
        chosen = QStringList{"prose", "table", "picture", "frames", "deep", "paragraph", "word"};
    for (const QString &name : chosen) {
        if (!firstPageOnly)
            measure(qPrintable(name), shape(name, TenMegabytes));
        for (const qsizetype size : {OneMegabyte, TenMegabytes})
            measureFirstPage(name, shape(name, size));
    }
    return 0;
}
