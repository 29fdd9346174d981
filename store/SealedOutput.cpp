#include "SealedOutput.h"

#include <algorithm>
#include <cstring>

namespace varnook {

namespace {

// Enough pieces in flight for one to be gathered, one sealed and one written at the same time.
constexpr std::uint64_t SlotCount = 3;

} // namespace

// The slots of the last save, kept for the next: a piece's secret memory (pages of its own, guard
// pages, locked in memory) and the sealed piece's buffer cost about as much to make and touch as
// sealing a short file does. A slot's plain bytes are wiped before it is kept.
class SealedOutput::SlotPool {
public:
    static SlotPool &instance() {
        static SlotPool pool;
        return pool;
    }

    Slot take(std::size_t length) {
        const std::lock_guard lock(m_mutex);
        while (!m_kept.empty()) {
            Slot slot = std::move(m_kept.back());
            m_kept.pop_back();
            if (slot.plain.size() >= length)
                return slot;
        }
        Slot slot;
        slot.plain = SecretBytes(length);
        return slot;
    }

    void give(Slot slot) {
        wipe(slot.plain.data(), slot.plain.size());
        const std::lock_guard lock(m_mutex);
        if (m_kept.size() < SlotCount)
            m_kept.push_back(std::move(slot));
    }

private:
    std::mutex m_mutex;
    std::vector<Slot> m_kept;
};

SealedOutput::SealedOutput(BufferedWriter &file, const FileKey &key, std::uint64_t plainSize, std::size_t pieceSize)
    : m_file(file)
    , m_sealer(key, plainSize, pieceSize)
    , m_plainSize(plainSize) {
    // A short plain form takes no more memory than its own size.
    const std::size_t longest = std::size_t(std::min<std::uint64_t>(pieceSize, plainSize));
    for (std::uint64_t i = 0; i < std::min(SlotCount, m_sealer.pieceCount()); ++i) {
        m_slots.push_back(SlotPool::instance().take(longest));
        m_slots.back().sealed.resize(qsizetype(longest + ProtectedForm::PieceTagSize));
    }
    m_file.write(m_sealer.fileStart());
    // One piece leaves nothing to overlap: it is sealed on the caller's thread.
    if (m_sealer.pieceCount() > 1)
        m_thread = std::thread([this] { sealPieces(); });
}

SealedOutput::~SealedOutput() {
    stopSealing();
    for (Slot &slot : m_slots)
        SlotPool::instance().give(std::move(slot));
}

void SealedOutput::stopSealing() {
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

std::size_t SealedOutput::lengthOf(std::uint64_t piece) const {
    const std::uint64_t done = piece * m_sealer.pieceSize();
    return std::size_t(std::min<std::uint64_t>(m_sealer.pieceSize(), m_plainSize - done));
}

bool SealedOutput::write(QByteArrayView plain) {
    if (m_failed || std::uint64_t(plain.size()) > m_plainSize - m_taken) {
        m_failed = true;
        return false;
    }
    m_taken += std::uint64_t(plain.size());
    while (!plain.isEmpty()) {
        // A slot is free again once the piece it held before is in the file.
        if (m_filled == 0 && m_gathering >= m_slots.size() && !writeSealed(m_gathering - m_slots.size() + 1))
            return false;
        const std::size_t n = std::min(lengthOf(m_gathering) - m_filled, std::size_t(plain.size()));
        std::memcpy(slotOf(m_gathering).plain.data() + m_filled, plain.data(), n);
        m_filled += n;
        plain = plain.sliced(qsizetype(n));
        if (m_filled == lengthOf(m_gathering))
            submit();
    }
    // What is sealed meanwhile goes out now, so that the disk takes it while the next piece is sealed.
    return writeSealed(0);
}

void SealedOutput::submit() {
    if (!m_thread.joinable()) {
        Slot &slot = slotOf(m_gathering);
        const bool sealed = m_sealer.seal(slot.plain.data(), lengthOf(m_gathering),
                                          reinterpret_cast<unsigned char *>(slot.sealed.data()));
        const std::lock_guard lock(m_mutex);
        m_submitted = m_gathering + 1;
        m_sealFailed = !sealed;
        m_sealed += sealed ? 1 : 0;
        ++m_gathering;
        m_filled = 0;
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_submitted = m_gathering + 1;
    }
    m_changed.notify_all();
    ++m_gathering;
    m_filled = 0;
}

bool SealedOutput::writeSealed(std::uint64_t count) {
    std::uint64_t sealed = 0;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_sealed >= count || m_sealFailed; });
        m_failed = m_failed || m_sealFailed;
        sealed = m_sealed;
    }
    for (; !m_failed && m_written < sealed; ++m_written) {
        const Slot &slot = slotOf(m_written);
        m_file.write(QByteArrayView(slot.sealed).first(qsizetype(lengthOf(m_written) + ProtectedForm::PieceTagSize)));
        m_failed = m_file.failed();
    }
    return !m_failed;
}

void SealedOutput::sealPieces() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || m_sealed < m_submitted; });
        if (m_sealed == m_submitted)
            return; // stopped, with nothing left to seal
        const std::uint64_t piece = m_sealed;
        lock.unlock();
        Slot &slot = slotOf(piece);
        const bool sealed =
            m_sealer.seal(slot.plain.data(), lengthOf(piece), reinterpret_cast<unsigned char *>(slot.sealed.data()));
        lock.lock();
        if (!sealed) {
            m_sealFailed = true;
            m_changed.notify_all();
            return;
        }
        ++m_sealed;
        m_changed.notify_all();
    }
}

bool SealedOutput::finish() {
    // An empty plain form is one empty piece, which no write handed over.
    if (!m_failed && m_taken == m_plainSize && m_gathering < m_sealer.pieceCount())
        submit();
    const bool whole = !m_failed && m_taken == m_plainSize && writeSealed(m_sealer.pieceCount());
    stopSealing();
    return whole && m_written == m_sealer.pieceCount() && !m_file.failed();
}

} // namespace varnook
