#include "ProtectedFormChecks.h"

#include "DataFileFormat.h"
#include "DataLoader.h"
#include "FileKey.h"
#include "KdfCost.h"
#include "PropertyCheck.h"
#include "ProtectedForm.h"

#include <QCryptographicHash>
#include <QtGlobal>

#include <memory>

namespace varnook {

namespace {

using fuzzing::Broken;
using fuzzing::check;
using Outcome = ProtectedForm::Opened::Outcome;

constexpr qsizetype HeaderEnd = ProtectedForm::Signature.size() + ProtectedForm::HeaderSize;

const std::shared_ptr<const FileKey> &fuzzKey() {
    // Derived once: deriving is the slow part, and it is not what is fuzzed.
    static const std::shared_ptr<const FileKey> key = [] {
        FileKey::Salt salt{};
        for (std::size_t i = 0; i < salt.size(); ++i)
            salt[i] = uchar(i);
        std::optional<FileKey> derived =
            FileKey::derive("fuzz password", KdfCost::cheapest(), salt, ProtectedForm::NewestVersion);
        if (!derived)
            qFatal("The fuzzing key could not be derived");
        return std::make_shared<const FileKey>(std::move(*derived));
    }();
    return key;
}

ProtectedForm::Nonce fixedNonce() {
    ProtectedForm::Nonce nonce{};
    for (std::size_t i = 0; i < nonce.size(); ++i)
        nonce[i] = uchar(0xA0 + i);
    return nonce;
}

void checkReported(const ProtectedForm::Opened &opened) {
    if (opened.outcome == Outcome::Damaged) {
        check(!opened.problem.isEmpty(), "a damaged file says why");
        check(opened.plain.isEmpty(), "a damaged file gives no plain form");
    }
}

// The bytes as a data file that is read: the loader and the protected form's reader agree.
void readAsFile(QByteArrayView bytes) {
    const QByteArray file = bytes.toByteArray();
    LoadResult loaded = DataLoader::fromBytes(file);
    const bool isProtected = ProtectedForm::isProtected(bytes);
    const ProtectedForm::Opened opened = ProtectedForm::open(bytes, *fuzzKey());
    checkReported(opened);
    if (!isProtected) {
        check(loaded.state == LoadResult::State::HasMasterPassword ||
                  loaded.state == LoadResult::State::NeedsMasterPassword,
              "bytes without the signature line are a plain file");
        check(opened.outcome == Outcome::Damaged, "the protected reader refuses a plain file");
        return;
    }
    const bool headerRead = std::holds_alternative<ProtectedForm::Header>(ProtectedForm::readHeader(bytes));
    if (loaded.state == LoadResult::State::Damaged) {
        check(!headerRead, "only a header that cannot be read makes a file damaged before it is opened");
        check(!loaded.reason.isEmpty(), "a damaged file says why");
        check(opened.outcome == Outcome::Damaged, "a header that cannot be read is damaged for the reader too");
        return;
    }
    check(loaded.state == LoadResult::State::Protected, "a protected file asks for its key");
    check(headerRead, "a protected file has a header");
    check(bytes.size() >= HeaderEnd, "a header that was read is whole");

    const bool unsealed = DataLoader::unseal(loaded, fuzzKey());
    check(unsealed == (opened.outcome != Outcome::WrongPassword), "the loader and the reader agree on the key");
    if (!unsealed) {
        check(loaded.state == LoadResult::State::Protected, "a wrong key leaves the result as it was");
        return;
    }
    if (loaded.state == LoadResult::State::Damaged) {
        check(!loaded.reason.isEmpty(), "a damaged body says why");
        return;
    }
    check(opened.outcome == Outcome::Plain, "a file the loader opens, the reader opens");
    check(loaded.state == LoadResult::State::HasMasterPassword, "an opened file has its master password");
    check(loaded.plain == opened.plain, "the loader keeps the plain form as opened");
    check(loaded.key == fuzzKey(), "an opened file keeps its key");
    const auto header = std::get<ProtectedForm::Header>(ProtectedForm::readHeader(bytes));
    check(quint64(bytes.size()) == ProtectedForm::fileSize(header), "an opened file has the size its header gives");
    check(quint64(opened.plain.size()) == header.bodySize, "an opened body has the size its header gives");
    // The body that opened is exactly what was sealed: sealed again with the same nonce, it gives the
    // very bytes of the file. (Pieces are sealed with a stream header made afresh: never the same bytes.)
    if (header.version == ProtectedForm::OnePieceVersion)
        check(ProtectedForm::seal(opened.plain, *fuzzKey(), header.nonce) == bytes,
              "an opened body seals again to the same file");
}

// The bytes as a plain form sealed in pieces, small ones so that short inputs make several: it opens
// to the same bytes, and a sealed file changed or cut at a place the input chooses never opens.
void sealInPiecesAsPlain(QByteArrayView bytes, quint32 choice) {
    constexpr std::size_t SmallPieces = 64;
    const QByteArray sealed = ProtectedForm::sealInPieces(bytes, *fuzzKey(), SmallPieces);
    check(quint64(sealed.size()) ==
              quint64(HeaderEnd + bytes.size()) +
                  ProtectedForm::pieceCount(quint64(bytes.size()), SmallPieces) * ProtectedForm::PieceTagSize,
          "a file sealed in pieces has its size");
    const ProtectedForm::Opened opened = ProtectedForm::open(sealed, *fuzzKey(), SmallPieces);
    check(opened.outcome == Outcome::Plain && opened.plain == bytes, "a file sealed in pieces opens to its bytes");
    check(ProtectedForm::open(ProtectedForm::sealInPieces(bytes, *fuzzKey()), *fuzzKey()).plain == bytes,
          "a file sealed in the format's pieces opens to its bytes");

    const qsizetype at = qsizetype(choice % quint32(sealed.size()));
    QByteArray changed = sealed;
    changed[at] = char(changed[at] ^ (1 << (choice >> 24) % 8));
    const ProtectedForm::Opened changedOpened = ProtectedForm::open(changed, *fuzzKey(), SmallPieces);
    checkReported(changedOpened);
    check(changedOpened.outcome != Outcome::Plain, "a changed byte in a piece file never opens");
    if (at >= HeaderEnd)
        check(changedOpened.outcome == Outcome::Damaged, "a changed piece is damage, not a wrong key");
    const ProtectedForm::Opened cutOpened = ProtectedForm::open(sealed.first(at), *fuzzKey(), SmallPieces);
    checkReported(cutOpened);
    check(cutOpened.outcome == Outcome::Damaged, "a cut piece file is damaged");
}

// The bytes as a plain form that is sealed: it opens to the same bytes, and a sealed file changed
// or cut at a place the input chooses never opens.
void sealAsPlain(QByteArrayView bytes) {
    const QByteArray sealed = sealedForFuzzing(bytes);
    check(sealed.size() == HeaderEnd + bytes.size() + ProtectedForm::TagSize, "a sealed file has its size");
    const ProtectedForm::Opened opened = ProtectedForm::open(sealed, *fuzzKey());
    check(opened.outcome == Outcome::Plain, "a sealed file opens");
    check(opened.plain == bytes, "a sealed file opens to the very bytes sealed");

    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    const quint32 choice = quint32(uchar(digest[0])) | quint32(uchar(digest[1])) << 8 | quint32(uchar(digest[2])) << 16;
    const qsizetype at = qsizetype(choice % quint32(sealed.size()));

    QByteArray changed = sealed;
    changed[at] = char(changed[at] ^ (1 << (uchar(digest[3]) % 8)));
    const ProtectedForm::Opened changedOpened = ProtectedForm::open(changed, *fuzzKey());
    checkReported(changedOpened);
    check(changedOpened.outcome != Outcome::Plain, "a changed byte never opens");
    if (at >= HeaderEnd)
        check(changedOpened.outcome == Outcome::Damaged, "a changed byte of the body is damage, not a wrong key");

    sealInPiecesAsPlain(bytes, choice ^ quint32(uchar(digest[4])) << 24);

    const QByteArray cut = sealed.first(at);
    const ProtectedForm::Opened cutOpened = ProtectedForm::open(cut, *fuzzKey());
    checkReported(cutOpened);
    // A cut leaves the header check whole or no header at all: it is never taken for a wrong key.
    check(cutOpened.outcome == Outcome::Damaged, "a cut file is damaged");

    // The same through the loader: a plain form with a master password opens to its very bytes.
    LoadResult loaded = DataLoader::fromBytes(sealed);
    check(loaded.state == LoadResult::State::Protected, "a sealed file is protected");
    check(DataLoader::unseal(loaded, fuzzKey()), "the key of a sealed file is its key");
    // The body is read as the plain form whatever it holds, even bytes that begin as a protected file.
    const QString masterPassword = DataFileFormat::readMasterLine(bytes).masterPassword;
    if (!masterPassword.isEmpty()) {
        check(loaded.state == LoadResult::State::HasMasterPassword, "a sealed plain file opens");
        check(loaded.plain == bytes, "a sealed plain file keeps its bytes");
        check(loaded.masterPassword == masterPassword, "a sealed plain file keeps its master password");
    } else {
        check(loaded.state == LoadResult::State::Damaged && !loaded.reason.isEmpty(),
              "a sealed file without a master password is refused, saying why");
    }
}

} // namespace

QByteArray sealedForFuzzing(QByteArrayView plain) {
    return ProtectedForm::seal(plain, *fuzzKey(), fixedNonce());
}

QByteArray sealedInPiecesForFuzzing(QByteArrayView plain) {
    return ProtectedForm::sealInPieces(plain, *fuzzKey());
}

QByteArray openedForFuzzing(QByteArrayView file) {
    return ProtectedForm::open(file, *fuzzKey()).plain;
}

QString protectedFormFault(QByteArrayView bytes) {
    try {
        readAsFile(bytes);
        sealAsPlain(bytes);
    } catch (const Broken &broken) {
        return QString::fromLatin1(broken.what);
    }
    return {};
}

} // namespace varnook
