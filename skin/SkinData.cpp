#include "SkinData.h"

#include <QFile>
#include <QMetaEnum>
#include <QRegularExpression>

namespace varnook {

namespace {

enum class Section { None, Skin, Colours, Palette };

const QRegularExpression &colourNamePattern() {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z][A-Za-z0-9]*$"));
    return pattern;
}

const QRegularExpression &colourValuePattern() {
    static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    return pattern;
}

std::optional<QPalette::ColorRole> paletteRole(const QString &name) {
    const QMetaEnum roles = QMetaEnum::fromType<QPalette::ColorRole>();
    bool ok = false;
    const int value = roles.keyToValue(name.toLatin1().constData(), &ok);
    if (!ok || value < 0 || value >= int(QPalette::NColorRoles))
        return std::nullopt;
    return QPalette::ColorRole(value);
}

std::nullopt_t fail(QString *error, int line, const QString &reason) {
    if (error)
        *error = line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(reason) : reason;
    return std::nullopt;
}

} // namespace

std::optional<SkinData> SkinData::parse(const QByteArray &text, QString *error) {
    SkinData skin;
    QList<QPair<QString, int>> roleColours; // colour name and line, checked once all colours are known
    Section section = Section::None;
    QString style;
    bool inStyle = false;
    int styleHeaderLine = 0;

    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (inStyle) {
            style += line + QLatin1Char('\n');
            continue;
        }
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            const QString header = trimmed.mid(1, trimmed.size() - 2).trimmed();
            if (header == QLatin1String("skin"))
                section = Section::Skin;
            else if (header == QLatin1String("colours"))
                section = Section::Colours;
            else if (header == QLatin1String("palette"))
                section = Section::Palette;
            else if (header == QLatin1String("style")) {
                inStyle = true;
                styleHeaderLine = lineNumber;
            } else
                return fail(error, lineNumber, QStringLiteral("unknown section [%1]").arg(header));
            continue;
        }
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (section == Section::None || equals < 0)
            return fail(error, lineNumber, QStringLiteral("expected a section or \"name = value\""));
        const QString key = trimmed.left(equals).trimmed();
        const QString value = trimmed.mid(equals + 1).trimmed();

        switch (section) {
        case Section::Skin:
            if (key != QLatin1String("name"))
                return fail(error, lineNumber, QStringLiteral("unknown setting \"%1\"").arg(key));
            skin.m_name = value;
            break;
        case Section::Colours:
            if (!colourNamePattern().match(key).hasMatch())
                return fail(error, lineNumber,
                            QStringLiteral("a colour name is letters and digits, starting with a letter"));
            if (skin.m_colours.contains(key))
                return fail(error, lineNumber, QStringLiteral("colour \"%1\" is named twice").arg(key));
            if (!colourValuePattern().match(value).hasMatch())
                return fail(error, lineNumber, QStringLiteral("a colour is written as #RRGGBB"));
            skin.m_colours.insert(key, QColor::fromString(value));
            break;
        case Section::Palette: {
            const auto role = paletteRole(key);
            if (!role)
                return fail(error, lineNumber, QStringLiteral("unknown palette role \"%1\"").arg(key));
            skin.m_roles.append({*role, value});
            roleColours.append({value, lineNumber});
            break;
        }
        case Section::None:
            break;
        }
    }

    if (skin.m_name.isEmpty())
        return fail(error, 0, QStringLiteral("the skin has no name"));
    for (const char *required : {"face", "text", "picture"}) {
        if (!skin.m_colours.contains(QLatin1String(required)))
            return fail(error, 0, QStringLiteral("the skin has no colour \"%1\"").arg(QLatin1String(required)));
    }
    for (const auto &[colourName, lineNumber] : roleColours) {
        if (!skin.m_colours.contains(colourName))
            return fail(error, lineNumber, QStringLiteral("unknown colour \"%1\"").arg(colourName));
    }

    // Fill in the colours.
    static const QRegularExpression placeholder(QStringLiteral("@([A-Za-z][A-Za-z0-9]*)"));
    QString filled;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(style); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString colourName = match.captured(1);
        if (!skin.m_colours.contains(colourName)) {
            const int styleLine = int(style.left(match.capturedStart()).count(QLatin1Char('\n')));
            return fail(error, styleHeaderLine + 1 + styleLine,
                        QStringLiteral("unknown colour \"%1\"").arg(colourName));
        }
        filled += style.mid(from, match.capturedStart() - from);
        filled += skin.m_colours.value(colourName).name();
        from = match.capturedEnd();
    }
    filled += style.mid(from);
    skin.m_styleSheet = filled.trimmed();
    return skin;
}

std::optional<SkinData> SkinData::load(const QString &path, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, 0, QStringLiteral("cannot read the skin file %1: %2").arg(path, file.errorString()));
    return parse(file.readAll(), error);
}

QPalette SkinData::palette() const {
    QPalette result;
    for (const auto &[role, colourName] : m_roles)
        result.setColor(role, m_colours.value(colourName));
    return result;
}

} // namespace varnook
