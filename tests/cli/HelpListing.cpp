#include "HelpListing.h"

#include <QRegularExpression>
#include <QStringList>

namespace varnook::test {

namespace {

enum class Section { Other, Commands, Options, ExitCodes };

Section sectionNamed(const QString &heading) {
    const QString name = heading.toLower();
    if (name.startsWith(QLatin1String("commands")))
        return Section::Commands;
    if (name.contains(QLatin1String("options")))
        return Section::Options;
    if (name.startsWith(QLatin1String("exit")))
        return Section::ExitCodes;
    return Section::Other;
}

void addEntry(HelpListing &listing, Section section, const QString &term) {
    switch (section) {
    case Section::Commands:
        listing.commands.insert(term.trimmed());
        break;
    case Section::Options:
        listing.options.unite(optionsIn(term));
        break;
    case Section::ExitCodes:
        listing.exitCodes.insert(term.trimmed());
        break;
    case Section::Other:
        break;
    }
}

// roff's escapes for dashes, fonts and spacing taken out.
QString plainRoff(QString line) {
    line.replace(QLatin1String("\\-"), QLatin1String("-"));
    line.replace(QLatin1String("\\(->"), QLatin1String("->"));
    static const QRegularExpression fonts(QStringLiteral(R"(\\f[BIRP])"));
    line.remove(fonts);
    for (const char *escape : {"\\,", "\\/", "\\&", "\\ "})
        line.remove(QLatin1String(escape));
    return line;
}

} // namespace

QSet<QString> optionsIn(const QString &text) {
    static const QRegularExpression option(QStringLiteral(R"((?<![\w-])--?[A-Za-z][A-Za-z0-9-]*)"));
    QSet<QString> found;
    for (auto match = option.globalMatch(text); match.hasNext();)
        found.insert(match.next().captured());
    return found;
}

HelpListing HelpListing::fromHelp(const QString &text) {
    HelpListing listing;
    listing.optionsMentioned = optionsIn(text);
    Section section = Section::Other;
    static const QRegularExpression entry(QStringLiteral(R"(^  (\S.*?)(?:  +|$))"));
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (!line.isEmpty() && !line.front().isSpace() && line.endsWith(QLatin1Char(':'))) {
            section = sectionNamed(line);
            continue;
        }
        if (line.isEmpty() || !line.front().isSpace())
            continue;
        const QRegularExpressionMatch match = entry.match(line);
        if (match.hasMatch())
            addEntry(listing, section, match.captured(1));
    }
    return listing;
}

HelpListing HelpListing::fromManPage(const QString &roff) {
    HelpListing listing;
    Section section = Section::Other;
    bool termFollows = false;
    for (const QString &rawLine : roff.split(QLatin1Char('\n'))) {
        if (rawLine.startsWith(QLatin1String(".\\\"")))
            continue; // a comment
        const QString line = plainRoff(rawLine);
        listing.optionsMentioned.unite(optionsIn(line.startsWith(QLatin1Char('.')) ? line.mid(3) : line));
        if (line.startsWith(QLatin1String(".SH ")) || line.startsWith(QLatin1String(".SS "))) {
            QString heading = line.mid(4).trimmed();
            heading.remove(QLatin1Char('"'));
            section = sectionNamed(heading);
            termFollows = false;
            continue;
        }
        if (line.startsWith(QLatin1String(".TP"))) {
            termFollows = true;
            continue;
        }
        if (termFollows) {
            addEntry(listing, section, line);
            termFollows = false;
        }
    }
    return listing;
}

} // namespace varnook::test
