#include "SecretBytes.h"

#include <sodium.h>

#include <cstring>
#include <new>
#include <utility>

namespace varnook {

SecretBytes::SecretBytes(std::size_t size) {
    if (size == 0)
        return;
    if (sodium_init() < 0)
        throw std::bad_alloc();
    m_data = static_cast<unsigned char *>(sodium_malloc(size));
    if (!m_data)
        throw std::bad_alloc();
    m_size = size;
}

SecretBytes::SecretBytes(QByteArrayView bytes)
    : SecretBytes(std::size_t(bytes.size())) {
    if (m_size)
        std::memcpy(m_data, bytes.data(), m_size);
}

SecretBytes::~SecretBytes() {
    release();
}

SecretBytes::SecretBytes(SecretBytes &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0)) {}

SecretBytes &SecretBytes::operator=(SecretBytes &&other) noexcept {
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void SecretBytes::release() {
    // sodium_free wipes the bytes before it gives the pages back.
    if (m_data)
        sodium_free(m_data);
    m_data = nullptr;
    m_size = 0;
}

void wipe(void *data, std::size_t size) {
    if (data && size)
        sodium_memzero(data, size);
}

} // namespace varnook
