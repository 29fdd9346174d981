#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace varnook {

// What the protected form's reader must hold to for any input, checked on one input with one fixed
// key (a fixed password and salt at the least cost, derived once for the whole run).
//
// As a file: DataLoader::fromBytes and ProtectedForm::open agree on what the bytes are; every
// failure is reported (a damaged file has a reason); a body that opens is exactly what was sealed
// (for version 1: sealed again with the file's own nonce, it gives the very bytes back).
// As a plain form, sealed in one piece and in pieces: the bytes sealed open to the very bytes, and a
// changed byte or a cut anywhere in the sealed file (at a place the input chooses) never opens.
//
// Returns the property the input breaks, or an empty text.
QString protectedFormFault(QByteArrayView bytes);

// plain sealed under the fixed key with a fixed nonce: the seeds are made so.
QByteArray sealedForFuzzing(QByteArrayView plain);
// plain sealed in pieces under the fixed key (the stream's header is random); and the plain form a
// file opens to under that key, empty when it does not open.
QByteArray sealedInPiecesForFuzzing(QByteArrayView plain);
QByteArray openedForFuzzing(QByteArrayView file);

} // namespace varnook
