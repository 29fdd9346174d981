#pragma once

#include <QString>

class QObject;

namespace varnook {

// The type name the skin routines compare ("CommandButton", "TextBox", "ListView", "Label", …):
// one table maps our widget classes to them. A class of ours derived from a listed class takes
// the nearest listed ancestor's name. Empty for anything else, such as plain containers.
QString typeName(const QObject *control);

// Controls of these types hold other controls.
bool isContainerType(const QString &typeName);

} // namespace varnook
