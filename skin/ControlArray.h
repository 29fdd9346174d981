#pragma once

#include <QString>

class QObject;
class QWidget;

namespace varnook {

// Control arrays: every element carries the array's name as object name and its index as "Index",
// so that the design names survive. Only tests look elements up by them; the program holds its
// controls as typed pointers.
QWidget *controlElement(const QWidget *window, const QString &name, int index);
void setControlIndex(QObject *control, const QString &name, int index);
int controlIndex(const QObject *control);

} // namespace varnook
