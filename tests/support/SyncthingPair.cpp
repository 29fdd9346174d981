#include "SyncthingPair.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTcpServer>
#include <QTest>

#include <vector>

namespace varnook::test {

// Syncthing syncs every file in a folder unless told otherwise. The folder lock, and the marks a
// copy opened anyway leaves beside it, belong to the computer whose program made them: synced, they
// would land in the other computer's folder, over its own lock, and the program and varnook-cli
// there would find the folder held by another computer, though each computer has a folder of its
// own and their saves merge. A save's temporary file is complete only once it is renamed over
// data.enc, and data.enc is what the other computer must get.
const QByteArray SyncthingPair::IgnoreFile =
    "// Varnook's folder lock and marks: each computer's program keeps its own.\n"
    "data.enc.lock*\n"
    "// A save's temporary file, renamed over data.enc once it is complete.\n"
    ".data.enc.varnook-save-*\n";

namespace {

// Generous: a start takes a second or two, a connection as long again, on a loaded machine more.
constexpr int StartMs = 30000;

// Ports on 127.0.0.1 that nothing listens on now, all different. They are fixed in the
// configurations from then on; a port taken meanwhile fails the start, with Syncthing's log.
std::vector<quint16> freeLocalPorts(int count) {
    std::vector<std::unique_ptr<QTcpServer>> held;
    std::vector<quint16> ports;
    for (int i = 0; i < count; ++i) {
        held.push_back(std::make_unique<QTcpServer>());
        held.back()->listen(QHostAddress::LocalHost, 0);
        ports.push_back(held.back()->serverPort());
    }
    return ports;
}

bool answers(const SyncthingInstance &instance) {
    return instance.get(QStringLiteral("/rest/system/ping")).value(QStringLiteral("ping")).toString() ==
           QStringLiteral("pong");
}

bool connectedTo(const SyncthingInstance &instance, const SyncthingInstance &peer) {
    const QJsonObject connections =
        instance.get(QStringLiteral("/rest/system/connections")).value(QStringLiteral("connections")).toObject();
    return connections.value(peer.deviceId()).toObject().value(QStringLiteral("connected")).toBool();
}

QString folderQuery(const QString &endpoint) {
    return endpoint + QStringLiteral("?folder=") + QLatin1String(SyncthingPair::FolderId);
}

QJsonObject folderStatus(const SyncthingInstance &instance) {
    return instance.get(folderQuery(QStringLiteral("/rest/db/status")));
}

// How much of this side's folder the peer has, as this side knows it.
QJsonObject peerCompletion(const SyncthingInstance &instance, const SyncthingInstance &peer) {
    return instance.get(folderQuery(QStringLiteral("/rest/db/completion")) + QStringLiteral("&device=") +
                        peer.deviceId());
}

bool sideIdle(const SyncthingInstance &instance, const SyncthingInstance &peer) {
    const QJsonObject status = folderStatus(instance);
    if (status.value(QStringLiteral("state")).toString() != QStringLiteral("idle") ||
        status.value(QStringLiteral("needTotalItems")).toInt(-1) != 0 ||
        status.value(QStringLiteral("pullErrors")).toInt(-1) != 0)
        return false;
    const QJsonObject completion = peerCompletion(instance, peer);
    return completion.value(QStringLiteral("completion")).toDouble() == 100.0 &&
           completion.value(QStringLiteral("needItems")).toInt(-1) == 0 &&
           completion.value(QStringLiteral("needDeletes")).toInt(-1) == 0;
}

QString sideState(const SyncthingInstance &instance, const SyncthingInstance &peer) {
    const QJsonObject status = folderStatus(instance);
    const QJsonObject completion = peerCompletion(instance, peer);
    return QStringLiteral("%1 is %2, needs %3 items, has %4 pull errors; %5 has %6% of it")
        .arg(instance.name(), status.value(QStringLiteral("state")).toString(QStringLiteral("(no answer)")))
        .arg(status.value(QStringLiteral("needTotalItems")).toInt(-1))
        .arg(status.value(QStringLiteral("pullErrors")).toInt(-1))
        .arg(peer.name())
        .arg(completion.value(QStringLiteral("completion")).toDouble(-1));
}

} // namespace

SyncthingPair::SyncthingPair() {
    const std::vector<quint16> ports = freeLocalPorts(4);
    m_a = std::make_unique<SyncthingInstance>(QStringLiteral("A"), SyncthingInstance::Ports{ports[0], ports[1]});
    m_b = std::make_unique<SyncthingInstance>(QStringLiteral("B"), SyncthingInstance::Ports{ports[2], ports[3]});
}

SyncthingPair::~SyncthingPair() {
    if (QTest::currentTestFailed()) {
        for (const SyncthingInstance *instance : {m_a.get(), m_b.get()})
            qInfo().noquote() << "Syncthing" << instance->name() << "logged last:\n" << instance->logTail(30);
    }
}

bool SyncthingPair::fail(const QString &reason) {
    m_error = reason;
    return false;
}

bool SyncthingPair::start(const QString &folderA, const QString &folderB) {
    m_folders = {folderA, folderB};
    for (const QString &folder : m_folders) {
        QFile ignore(folder + QStringLiteral("/.stignore"));
        if (!ignore.open(QIODevice::WriteOnly | QIODevice::Truncate) || ignore.write(IgnoreFile) != IgnoreFile.size())
            return fail(QStringLiteral("no .stignore in ") + folder + QStringLiteral(": ") + ignore.errorString());
        // The marker Syncthing looks for before it touches a folder.
        if (!QDir(folder).mkpath(QStringLiteral(".stfolder")))
            return fail(QStringLiteral("no .stfolder in ") + folder);
    }
    if (!m_a->generate() || !m_b->generate())
        return fail(m_a->error() + m_b->error());
    if (!m_a->configure(QLatin1String(FolderId), folderA, *m_b) ||
        !m_b->configure(QLatin1String(FolderId), folderB, *m_a))
        return fail(m_a->error() + m_b->error());
    // One after the other: B's first call then finds A listening. Two calls crossing at the same
    // moment may each wait out the other's greeting, 20 seconds.
    for (SyncthingInstance *instance : {m_a.get(), m_b.get()}) {
        if (!instance->start())
            return fail(instance->error());
        if (!QTest::qWaitFor([instance] { return !instance->isRunning() || answers(*instance); }, StartMs) ||
            !instance->isRunning())
            return fail(QStringLiteral("Syncthing %1 did not start; it logged:\n%2")
                            .arg(instance->name(), instance->logTail(20)));
    }
    if (!QTest::qWaitFor([this] { return connected(); }, StartMs))
        return fail(QStringLiteral("the two instances did not connect:\nA logged:\n%1\nB logged:\n%2")
                        .arg(m_a->logTail(20), m_b->logTail(20)));
    return true;
}

bool SyncthingPair::connected() const {
    return connectedTo(*m_a, *m_b) && connectedTo(*m_b, *m_a);
}

bool SyncthingPair::idle() const {
    return sideIdle(*m_a, *m_b) && sideIdle(*m_b, *m_a);
}

QStringList SyncthingPair::conflictCopies() const {
    QStringList copies;
    for (const QString &folder : m_folders) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.sync-conflict-*")}, QDir::Files | QDir::Hidden))
            copies << dir.filePath(name);
    }
    return copies;
}

QString SyncthingPair::describe() const {
    return sideState(*m_a, *m_b) + QStringLiteral("; ") + sideState(*m_b, *m_a);
}

} // namespace varnook::test
