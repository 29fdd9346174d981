#pragma once

#include <QByteArrayView>
#include <QString>

namespace varnook {

// What the data file's reader and writer must hold to for any input, checked on one input.
//
// As a file: the lines, the master password line and the entries come out as a plain,
// character-by-character reading of the same bytes gives them, and every entry that reads back as
// written survives a save and a new reading unchanged.
// As texts (the same bytes taken as UTF-16, parted by U+FFFF into a master password and fields):
// a master password that the creation takes and entries that read back as written are saved and
// read again, and come back unchanged.
//
// Returns the property the input breaks, or an empty text.
QString dataFileFault(QByteArrayView bytes);

} // namespace varnook
