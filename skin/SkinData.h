#pragma once

#include <QColor>
#include <QList>
#include <QMap>
#include <QPalette>
#include <QString>

#include <optional>

namespace varnook {

// One skin as read from a skin file: its name, its named colours, the palette every skinned
// window starts from, and a style sheet for the parts a palette cannot dress.
//
// A skin file is UTF-8 text in sections:
//   [skin]     name = <the skin's name>
//   [colours]  <name> = #RRGGBB        (face, text and picture must be among them)
//   [palette]  <palette role> = <colour name>, e.g. Window = window
//   [style]    a Qt style sheet up to the end of the file; @name stands for a named colour
// Outside [style], empty lines and lines starting with ';' are ignored.
class SkinData {
public:
    // Nothing when the text is not a complete skin; error then says why, with the line number.
    static std::optional<SkinData> parse(const QByteArray &text, QString *error = nullptr);
    static std::optional<SkinData> load(const QString &path, QString *error = nullptr);

    QString name() const { return m_name; }
    QStringList colourNames() const { return m_colours.keys(); }
    // The named colour, or an invalid colour when the skin has no colour of that name.
    QColor colour(const QString &name) const { return m_colours.value(name); }
    // The palette roles the skin sets, each with the name of its colour.
    const QList<QPair<QPalette::ColorRole, QString>> &paletteRoles() const { return m_roles; }
    QPalette palette() const;
    // The style sheet with every @name replaced by its colour.
    QString styleSheet() const { return m_styleSheet; }

private:
    QString m_name;
    QMap<QString, QColor> m_colours;
    QList<QPair<QPalette::ColorRole, QString>> m_roles;
    QString m_styleSheet;
};

} // namespace varnook
