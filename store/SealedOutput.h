#pragma once

#include "BufferedWriter.h"
#include "PieceSealer.h"
#include "ProtectedForm.h"
#include "SecretBytes.h"

#include <QByteArray>
#include <QByteArrayView>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace varnook {

class FileKey;

// Writes a plain form of a size known beforehand to file in the protected form's version 2 while
// the plain form is being made: its bytes are gathered into pieces of secret memory, a thread of
// its own seals each full piece while the next one is gathered, and the sealed pieces go to file in
// order from the caller's thread (a single piece is sealed there too). So sealing and writing overlap, no plain byte
// ever reaches the file, and no whole copy of the file is ever in memory.
class SealedOutput {
public:
    // Writes the file's signature line and header to file at once.
    SealedOutput(BufferedWriter &file, const FileKey &key, std::uint64_t plainSize,
                 std::size_t pieceSize = ProtectedForm::PieceSize);
    ~SealedOutput();
    SealedOutput(const SealedOutput &) = delete;
    SealedOutput &operator=(const SealedOutput &) = delete;

    // Takes the plain form's next bytes. False once file did not take a piece, or more bytes came
    // than the size given: nothing more is written then.
    bool write(QByteArrayView plain);
    // Seals and writes what is left. False when the plain form was not of the size given or file
    // did not take every piece: the file is then not whole and must not be kept.
    bool finish();

private:
    // A piece in the making: its plain bytes, and once sealed, what the file gets.
    struct Slot {
        SecretBytes plain;
        QByteArray sealed;
    };
    class SlotPool;

    std::size_t lengthOf(std::uint64_t piece) const;
    Slot &slotOf(std::uint64_t piece) { return m_slots[std::size_t(piece % m_slots.size())]; }
    void submit();
    // Writes the pieces sealed so far, once at least count of them are.
    bool writeSealed(std::uint64_t count);
    void sealPieces();
    void stopSealing();

    BufferedWriter &m_file;
    PieceSealer m_sealer; // used by the sealing thread alone once it runs
    std::uint64_t m_plainSize;
    std::vector<Slot> m_slots;

    // The caller's own: the piece being gathered, its bytes so far, all bytes taken, pieces written.
    std::uint64_t m_gathering = 0;
    std::size_t m_filled = 0;
    std::uint64_t m_taken = 0;
    std::uint64_t m_written = 0;
    bool m_failed = false;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Shared with the sealing thread, under m_mutex.
    std::uint64_t m_submitted = 0;
    std::uint64_t m_sealed = 0;
    bool m_sealFailed = false;
    bool m_stop = false;
    std::thread m_thread; // last: it starts once everything above is made; none for a single piece
};

} // namespace varnook
