#pragma once

#include <QByteArrayView>

#include <cstddef>

namespace varnook {

// A fixed number of secret bytes (a key, a password's codes) in memory of their own: kept out of
// swap where the system allows, fenced by guard pages, and wiped when freed.
class SecretBytes {
public:
    SecretBytes() = default;
    explicit SecretBytes(std::size_t size);
    explicit SecretBytes(QByteArrayView bytes);
    ~SecretBytes();
    SecretBytes(SecretBytes &&other) noexcept;
    SecretBytes &operator=(SecretBytes &&other) noexcept;
    SecretBytes(const SecretBytes &) = delete;
    SecretBytes &operator=(const SecretBytes &) = delete;

    unsigned char *data() { return m_data; }
    const unsigned char *data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }

private:
    void release();

    unsigned char *m_data = nullptr;
    std::size_t m_size = 0;
};

// Overwrites bytes so that no copy of a secret stays behind in memory that lives on.
void wipe(void *data, std::size_t size);

} // namespace varnook
