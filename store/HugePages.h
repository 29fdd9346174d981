#pragma once

#include <QByteArray>

#include <cstddef>

class QIODevice;

namespace varnook {

// Memory that a long buffer is about to be written into at once (a data file read whole) asks the
// system for huge pages: faulting 70 MB in 4 KiB pages costs more than reading the file into it.
// Only the 2 MiB blocks that lie wholly inside it are asked for, so nothing around it grows. Where
// the system has no such pages this does nothing.
void adviseHugePages(void *data, size_t size);

// The bytes of a file of size bytes, read from an open device into one buffer that asks for huge
// pages when it is long. A device that holds more (still being written) gives the rest too.
QByteArray readWhole(QIODevice &device, qint64 size);

} // namespace varnook
