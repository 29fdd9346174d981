#include "RtfLoader.h"

#include <QElapsedTimer>

namespace varnook {

RtfLoader::RtfLoader(QByteArray bytes, QTextDocument *document)
    : m_bytes(std::move(bytes))
    , m_reader(std::make_unique<RtfReader>(m_bytes, document)) {
    m_timer.setInterval(0); // the next slice once the events waiting meanwhile are handled
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { readSlice(); });
    if (!m_reader->readStep(FirstStepBytes))
        m_timer.start();
}

RtfLoader::~RtfLoader() = default;

void RtfLoader::readSlice() {
    QElapsedTimer clock;
    clock.start();
    while (!m_reader->readStep(StepBytes)) {
        if (clock.elapsed() >= SliceMilliseconds)
            return;
    }
    m_timer.stop();
}

} // namespace varnook
