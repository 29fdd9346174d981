#pragma once

#include <QByteArrayView>
#include <QString>

namespace varnook {

// What the RTF reader must hold to for any input, checked on one input: it reads the bytes into a
// document without failing, shows no more characters than it was given bytes, and leaves a
// document that lays out at the Help window's width and reads back as plain text; read in small
// steps it shows the same text. Needs a QGuiApplication.
//
// Returns the property the input breaks, or an empty text.
QString rtfReaderFault(QByteArrayView bytes);

} // namespace varnook
