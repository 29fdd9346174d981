#pragma once

#include <QSet>
#include <QString>

namespace varnook::test {

// What a program's --help text or its man page lists: the commands, the options (each spelling, so
// "-h" and "--help" both) and the exit codes, each from the entries of its own section.
struct HelpListing {
    QSet<QString> commands;
    QSet<QString> options;
    QSet<QString> exitCodes;
    // Every option named anywhere in the text, in an entry or in a sentence.
    QSet<QString> optionsMentioned;

    // The text as the program prints it: a section starts with a line that ends in ":", its entries
    // are the lines indented by two blanks, each term followed by two blanks or more.
    static HelpListing fromHelp(const QString &text);
    // A man page as help2man writes it: sections from .SH and .SS, entries from the line after .TP.
    static HelpListing fromManPage(const QString &roff);
};

// The options named in text: words that begin with one dash or two and a letter.
QSet<QString> optionsIn(const QString &text);

} // namespace varnook::test
