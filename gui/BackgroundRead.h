#pragma once

#include "DataFile.h"
#include "DataLoader.h"

#include <future>
#include <thread>

namespace varnook {

// The data file read and decoded on a thread of its own, from the start of the program (or of a
// lock's login), so that the password box is up while a long list is decoded: the user types for
// seconds anyway. The bytes it holds are the ones read then; what the box asks is decided by them.
// Its calls are made from one thread, the one that made it.
class BackgroundRead {
public:
    // Starts at once: makes a missing file and reads its bytes (DataLoader::read). Decoding them
    // waits for startDecoding() or take().
    explicit BackgroundRead(DataFile file);
    // Waits for the thread: a result nobody took goes with it.
    ~BackgroundRead();
    BackgroundRead(const BackgroundRead &) = delete;
    BackgroundRead &operator=(const BackgroundRead &) = delete;

    // Whether the bytes are the plain form with a master password, the login box's case: known as
    // soon as they are read, before their entries are decoded. Waits for that.
    bool holdsMasterPassword();
    // The entries are decoded from now on, on as many threads as a long file takes: once the window
    // the user waits for is up, so that its start does not share the processor with them.
    void startDecoding();
    // What the read found, once it is over. Once only.
    LoadResult take();

private:
    std::promise<bool> m_holdsMasterPasswordSet;
    std::shared_future<bool> m_holdsMasterPassword;
    std::promise<void> m_decodingAllowed;
    bool m_decodingStarted = false;
    std::future<LoadResult> m_result;
    std::thread m_thread;
};

} // namespace varnook
