#pragma once

#include <QByteArrayView>
#include <QString>

namespace varnook {

// What a save must hold to for any data file, checked on one: the user sees the same master password
// and the same entries after a save that changed nothing else (the file saved as loaded, a new master
// password under an empty first line, another entry added or one deleted), and saving again what was
// read back gives the same bytes. The file read a block at a time (as the command-line companion
// reads it), at every block size from 1 to 64 bytes, gives the lines and entries the whole-file
// reading gives, and its lines written as the import writes them read back the same.
//
// Returns the property the input breaks, or an empty text.
QString untouchedSaveFault(QByteArrayView bytes);

} // namespace varnook
