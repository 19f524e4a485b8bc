#include "container.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "common/secure.h"

namespace kuvo::container {

namespace {

constexpr std::size_t kReadChunk = 256 * 1024;   // input read per step
constexpr std::size_t kCipherChunk = 256 * 1024; // plaintext encrypted or decrypted per call
constexpr std::size_t kFirstChunk = 64 * 1024;   // of a first piece, checked before anything is created
constexpr std::size_t kInflateOut = 256 * 1024;  // content produced per step
// Compressed output kept whole so the flag is exact; past it the block is
// streamed and padded with zeros to a fixed flag instead.
constexpr std::size_t kExactLimit = 8 * 1024 * 1024;
constexpr std::uint8_t kStreamedFlag = 0;

void putLe32(std::uint8_t* at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = std::uint8_t(v >> (8 * i));
}

std::uint32_t getLe32(const std::uint8_t* at)
{
    return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 |
           std::uint32_t(at[3]) << 24;
}

std::uint64_t roundUp32(std::uint64_t n)
{
    return (n + 31) / 32 * 32;
}

bool writeAllAt(int fd, const std::uint8_t* data, std::size_t size, std::uint64_t offset, int* error)
{
    const std::uint64_t start = offset;
    const std::size_t total = size;
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, off_t(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        data += n;
        size -= std::size_t(n);
        offset += std::uint64_t(n);
    }
    // Start writing back now, so the one sync before the rename has little left
    // to do and does not stall the window at the end of a large run.
    if (total > 0)
        ::sync_file_range(fd, off_t(start), off_t(total), SYNC_FILE_RANGE_WRITE);
    return true;
}

// Bytes read (fewer only at end of file), or -1 with errno set.
ssize_t readFully(int fd, std::uint8_t* out, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, out + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return ssize_t(done);
}

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QByteArray randomTempName()
{
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uint8_t bytes[12];
    randomBytes(bytes, sizeof bytes);
    QByteArray name(".kuvo-");
    for (std::uint8_t b : bytes)
        name += kAlphabet[b % 36];
    return name + ".part";
}

} // namespace

QString SystemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// --- Compressed block, whole-buffer forms ------------------------------------

Bytes CompressBlock(ByteView content)
{
    if (content.empty())
        return {};
    uLongf room = compressBound(uLong(content.size()));
    Bytes block(8 + room);
    if (compress(block.data() + 8, &room, content.data(), uLong(content.size())) != Z_OK)
        return {};
    putLe32(block.data(), kMagic);
    putLe32(block.data() + 4, std::uint32_t(content.size()));
    block.resize(8 + room);
    return block;
}

std::optional<Bytes> DecompressBlock(ByteView block)
{
    if (block.size() <= 8 || getLe32(block.data()) != kMagic)
        return std::nullopt;
    const std::uint32_t claimed = getLe32(block.data() + 4);
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return std::nullopt;
    zs.next_in = const_cast<Bytef*>(block.data() + 8);
    zs.avail_in = uInt(std::min<std::size_t>(block.size() - 8, 0x7FFFFFFF));
    // Grow with what the stream really yields, never beyond the claim.
    Bytes out;
    Bytes buf(64 * 1024);
    bool ok = false;
    for (;;) {
        zs.next_out = buf.data();
        zs.avail_out = uInt(buf.size());
        const int ret = inflate(&zs, Z_NO_FLUSH);
        const std::size_t produced = buf.size() - zs.avail_out;
        if (out.size() + produced > claimed)
            break;
        out.insert(out.end(), buf.begin(), buf.begin() + std::ptrdiff_t(produced));
        if (ret == Z_STREAM_END) {
            ok = true;
            break;
        }
        if (ret != Z_OK)
            break;
    }
    inflateEnd(&zs);
    secureZero(buf);
    if (!ok) {
        secureZero(out);
        return std::nullopt;
    }
    return out;
}

// --- OutputFile ----------------------------------------------------------------

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::create(int dirFd, const QByteArray& finalName, int* error)
{
    discard();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray temp = randomTempName();
        const int fd =
            ::openat(dirFd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            m_dirFd = dirFd;
            m_fd = fd;
            m_tempName = temp;
            m_finalName = finalName;
            return true;
        }
        if (errno != EEXIST) {
            *error = errno;
            return false;
        }
    }
    *error = EEXIST;
    return false;
}

bool OutputFile::commit(bool replace, bool durable, int* error)
{
    if (m_fd < 0) {
        *error = EBADF;
        return false;
    }
    if (durable && ::fdatasync(m_fd) != 0) {
        *error = errno;
        return false;
    }
    if (::close(m_fd) != 0) {
        m_fd = -1;
        *error = errno;
        return false;
    }
    m_fd = -1;
    int rc;
    if (replace) {
        rc = ::renameat(m_dirFd, m_tempName.constData(), m_dirFd, m_finalName.constData());
    } else {
        rc = ::renameat2(m_dirFd, m_tempName.constData(), m_dirFd, m_finalName.constData(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // File systems without RENAME_NOREPLACE: a hard link never replaces either.
            rc = ::linkat(m_dirFd, m_tempName.constData(), m_dirFd, m_finalName.constData(), 0);
            if (rc == 0)
                ::unlinkat(m_dirFd, m_tempName.constData(), 0);
        }
    }
    if (rc != 0) {
        *error = errno;
        ::unlinkat(m_dirFd, m_tempName.constData(), 0);
        m_tempName.clear();
        return false;
    }
    m_tempName.clear();
    if (durable)
        ::fsync(m_dirFd);
    return true;
}

void OutputFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.isEmpty()) {
        ::unlinkat(m_dirFd, m_tempName.constData(), 0);
        m_tempName.clear();
    }
}

// --- ContainerWriter -------------------------------------------------------------

ContainerWriter::~ContainerWriter()
{
    discard();
}

bool ContainerWriter::create(const QString& path, int* error)
{
    discard();
    const QByteArray native = QFile::encodeName(path);
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray folder =
        slash < 0 ? QByteArray(".") : (slash == 0 ? QByteArray("/") : native.left(slash));
    const QByteArray name = native.mid(slash + 1);
    if (name.isEmpty()) {
        *error = EISDIR;
        return false;
    }
    m_dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dirFd < 0) {
        *error = errno;
        return false;
    }
    // A folder of that name would only refuse the rename at the very end.
    struct stat st;
    if (::fstatat(m_dirFd, name.constData(), &st, 0) == 0 && S_ISDIR(st.st_mode)) {
        ::close(m_dirFd);
        m_dirFd = -1;
        *error = EISDIR;
        return false;
    }
    if (!m_file.create(m_dirFd, name, error)) {
        ::close(m_dirFd);
        m_dirFd = -1;
        return false;
    }
    m_end = 0;
    return true;
}

RecordOutcome ContainerWriter::appendRecord(const QString& inputPath, const QByteArray& storedName,
                                            CRijndael& cipher, const ProgressFn& progress,
                                            const YieldFn& yield, bool noFollow)
{
    using S = RecordOutcome::Status;
    RecordOutcome outcome;
    const std::uint64_t recordStart = m_end;
    const int out = m_file.fd();

    Fd input;
    // O_NONBLOCK: opening a FIFO must not hang; only regular files are read.
    input.fd = ::open(QFile::encodeName(inputPath).constData(),
                      O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (noFollow ? O_NOFOLLOW : 0));
    struct stat st;
    if (input.fd < 0 || ::fstat(input.fd, &st) != 0) {
        outcome.status = S::InputFailed;
        outcome.error = errno;
        return outcome;
    }
    if (!S_ISREG(st.st_mode)) {
        outcome.status = S::InputFailed;
        outcome.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return outcome;
    }
    ::fcntl(input.fd, F_SETFL, ::fcntl(input.fd, F_GETFL) & ~O_NONBLOCK);
    const std::uint64_t contentLength = std::uint64_t(st.st_size);
    const std::size_t L = std::size_t(storedName.size());
    const std::uint64_t bound =
        4 + roundUp32(kHeaderBytes + L + 8 + compressBound(uLong(contentLength)) + 31);
    if (L == 0 || L > 255 || bound > kMaxRecordBytes) {
        outcome.status = S::InputTooLarge;
        return outcome;
    }
    if (progress)
        progress(0);

    // The first piece's plaintext collects here; past kExactLimit it is
    // encrypted and written as it grows.
    Bytes pending(kHeaderBytes + L);
    randomBytes(pending.data(), kFillerBytes);
    pending[33] = std::uint8_t(L);
    std::memcpy(pending.data() + kHeaderBytes, storedName.constData(), L);

    std::uint64_t cipherWritten = 0;
    bool streamed = false;
    bool failed = false;
    int containerError = 0;

    // Encrypts the whole 32-byte blocks of pending (all of it when final) and writes them.
    const auto flush = [&](bool final) -> bool {
        std::size_t usable = final ? pending.size() : pending.size() / 32 * 32;
        std::size_t at = 0;
        while (at < usable) {
            const std::size_t n = std::min(kCipherChunk, usable - at);
            const auto ct = cipher.EncryptDo(ByteView(pending.data() + at, n), cipherWritten > 0);
            if (!ct)
                return false;
            if (!writeAllAt(out, ct->data(), ct->size(), recordStart + 4 + cipherWritten, &containerError)) {
                failed = true;
                return false;
            }
            cipherWritten += ct->size();
            at += n;
        }
        if (at > 0) {
            secureZero(pending.data(), at);
            pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(at));
        }
        return true;
    };
    const auto cutBack = [&]() -> bool {
        if (::ftruncate(out, off_t(recordStart)) != 0) {
            containerError = errno;
            return false;
        }
        return true;
    };
    const auto finishFailed = [&](RecordOutcome result) {
        secureZero(pending);
        if (!cutBack()) {
            result.status = S::ContainerFailed;
            result.error = containerError;
        }
        result.entrySize = 0;
        return result;
    };

    std::uint64_t readTotal = 0;
    Bytes readBuf(kReadChunk);
    if (contentLength == 0) {
        pending[32] = kEmptyFileFlag;
        const ssize_t n = readFully(input.fd, readBuf.data(), 1);
        if (n != 0) {
            RecordOutcome r;
            r.status = n < 0 ? S::InputFailed : S::InputChanged;
            r.error = errno;
            return finishFailed(r);
        }
    } else {
        const std::size_t blockStart = pending.size();
        pending.resize(blockStart + 8);
        putLe32(pending.data() + blockStart, kMagic);
        putLe32(pending.data() + blockStart + 4, std::uint32_t(contentLength));
        std::uint64_t blockLength = 8; // of the compressed block written so far

        z_stream zs{};
        if (deflateInit(&zs, Z_DEFAULT_COMPRESSION) != Z_OK) {
            RecordOutcome r;
            r.status = S::InputFailed;
            r.error = ENOMEM;
            return finishFailed(r);
        }
        bool inputDone = false;
        int ret = Z_OK;
        while (ret != Z_STREAM_END) {
            if (!inputDone && zs.avail_in == 0) {
                // One byte more than expected tells a file that grew.
                const std::size_t want =
                    std::size_t(std::min<std::uint64_t>(kReadChunk, contentLength + 1 - readTotal));
                const ssize_t n = readFully(input.fd, readBuf.data(), want);
                if (n < 0) {
                    const int e = errno;
                    deflateEnd(&zs);
                    secureZero(readBuf);
                    RecordOutcome r;
                    r.status = S::InputFailed;
                    r.error = e;
                    return finishFailed(r);
                }
                readTotal += std::uint64_t(n);
                // A read that ended exactly at the expected length has not seen the end yet.
                std::uint8_t probe;
                const bool grew = readTotal == contentLength && std::size_t(n) == want &&
                                  readFully(input.fd, &probe, 1) != 0;
                if (readTotal > contentLength || grew ||
                    (std::size_t(n) < want && readTotal != contentLength)) {
                    deflateEnd(&zs);
                    secureZero(readBuf);
                    RecordOutcome r;
                    r.status = S::InputChanged;
                    return finishFailed(r);
                }
                inputDone = readTotal == contentLength;
                zs.next_in = readBuf.data();
                zs.avail_in = uInt(n);
                if (progress)
                    progress(int(readTotal * 1000 / contentLength));
                if (yield)
                    yield();
                if (cipher.isCancelled()) {
                    deflateEnd(&zs);
                    secureZero(readBuf);
                    RecordOutcome r;
                    r.status = S::Cancelled;
                    return finishFailed(r);
                }
            }
            const std::size_t have = pending.size();
            pending.resize(have + kReadChunk);
            zs.next_out = pending.data() + have;
            zs.avail_out = uInt(kReadChunk);
            ret = deflate(&zs, inputDone ? Z_FINISH : Z_NO_FLUSH);
            const std::size_t produced = kReadChunk - zs.avail_out;
            pending.resize(have + produced);
            blockLength += produced;
            if (ret == Z_STREAM_ERROR) {
                deflateEnd(&zs);
                secureZero(readBuf);
                RecordOutcome r;
                r.status = S::InputFailed;
                r.error = ENOMEM;
                return finishFailed(r);
            }
            if (!streamed && pending.size() > kExactLimit) {
                streamed = true;
                pending[32] = kStreamedFlag;
            }
            if (streamed && pending.size() >= kCipherChunk && !flush(false)) {
                deflateEnd(&zs);
                secureZero(readBuf);
                RecordOutcome r;
                r.status = failed ? S::ContainerFailed : S::Cancelled;
                r.error = containerError;
                return finishFailed(r);
            }
        }
        deflateEnd(&zs);
        secureZero(readBuf);
        if (streamed) {
            // Zeros behind the zlib stream are ignored by every reader; they
            // make the block's length fit the flag that was already encrypted.
            const std::size_t fill = std::size_t((32 - blockLength % 32) % 32);
            pending.insert(pending.end(), fill, 0);
        } else {
            pending[32] = std::uint8_t(blockLength % 32);
        }
    }

    if (!flush(true)) {
        RecordOutcome r;
        r.status = failed ? S::ContainerFailed : S::Cancelled;
        r.error = containerError;
        return finishFailed(r);
    }
    std::uint8_t n[4];
    putLe32(n, std::uint32_t(cipherWritten - 1));
    if (!writeAllAt(out, n, 4, recordStart, &containerError)) {
        RecordOutcome r;
        r.status = S::ContainerFailed;
        r.error = containerError;
        return finishFailed(r);
    }
    m_end = recordStart + 4 + cipherWritten;
    if (progress)
        progress(1000);
    outcome.status = S::Stored;
    outcome.entrySize = std::uint32_t(4 + cipherWritten);
    return outcome;
}

bool ContainerWriter::appendTrailer(std::span<const std::uint32_t> entrySizes, int* error)
{
    const TrailerBytes bytes = EncodeTrailer(entrySizes);
    if (!writeAllAt(m_file.fd(), bytes.data(), bytes.size(), m_end, error))
        return false;
    m_end += bytes.size();
    return true;
}

bool ContainerWriter::commit(int* error)
{
    const bool ok = m_file.commit(true, true, error);
    if (m_dirFd >= 0) {
        ::close(m_dirFd);
        m_dirFd = -1;
    }
    return ok;
}

void ContainerWriter::discard()
{
    m_file.discard();
    if (m_dirFd >= 0) {
        ::close(m_dirFd);
        m_dirFd = -1;
    }
}

// --- ContainerReader ---------------------------------------------------------------

ContainerReader::~ContainerReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ContainerReader::open(const QString& path, int* error)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
        *error = errno;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    m_length = std::uint64_t(st.st_size);
    return true;
}

Trailer ContainerReader::readTrailer(bool* readFailed) const
{
    const int fd = m_fd;
    return DecodeTrailer(
        m_length,
        [fd](std::uint64_t offset, std::uint8_t* out, std::size_t size) {
            std::size_t done = 0;
            while (done < size) {
                const ssize_t n = ::pread(fd, out + done, size - done, off_t(offset + done));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    return false;
                done += std::size_t(n);
            }
            return true;
        },
        readFailed);
}

// --- EntryReader -------------------------------------------------------------------

namespace {
z_stream* zsOf(void* p)
{
    return static_cast<z_stream*>(p);
}
} // namespace

EntryReader::EntryReader(int fd, std::uint64_t offset, std::uint32_t size, CRijndael& cipher, YieldFn yield)
    : m_fd(fd), m_base(offset), m_size(size), m_cipher(cipher), m_yield(std::move(yield))
{
}

EntryReader::~EntryReader()
{
    if (m_zs) {
        inflateEnd(zsOf(m_zs));
        delete zsOf(m_zs);
    }
    secureZero(m_plain);
    secureZero(m_out);
}

bool EntryReader::readExact(std::uint64_t offset, std::uint8_t* out, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd, out + done, size - done, off_t(m_base + offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_errno = errno;
            return false;
        }
        if (n == 0) {
            m_errno = 0; // the file ends early: damage, not an I/O failure
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

EntryReader::Status EntryReader::readPieceHeader()
{
    if (m_entryPos + 4 > m_size)
        return Status::Damaged;
    std::uint8_t n[4];
    if (!readExact(m_entryPos, n, 4))
        return m_errno ? Status::ReadFailed : Status::Damaged;
    const std::uint64_t length = std::uint64_t(getLe32(n)) + 1;
    if (length % 32 != 0 || m_entryPos + 4 + length > m_size)
        return Status::Damaged;
    m_entryPos += 4;
    m_pieceLeft = length;
    ++m_piece;
    return Status::Ok;
}

EntryReader::Status EntryReader::decryptMore(std::size_t maxBytes)
{
    const std::size_t n = std::size_t(std::min<std::uint64_t>(m_pieceLeft, maxBytes));
    m_cipherBuf.resize(n);
    if (!readExact(m_entryPos, m_cipherBuf.data(), n))
        return m_errno ? Status::ReadFailed : Status::Damaged;
    if (m_yield)
        m_yield();
    auto plain = m_cipher.DecryptDo(m_cipherBuf, m_chainStarted);
    if (!plain)
        return Status::Cancelled; // the length is whole blocks, so only a cancel gets here
    m_chainStarted = true;
    secureZero(m_plain);
    m_plain = std::move(*plain);
    m_plainPos = 0;
    m_pieceLeft -= n;
    m_entryPos += n;
    return Status::Ok;
}

int EntryReader::permille() const
{
    return m_size == 0 ? 1000 : int(m_entryPos * 1000 / m_size);
}

EntryReader::Status EntryReader::begin()
{
    m_begun = true;
    if (Status s = readPieceHeader(); s != Status::Ok)
        return s;
    m_firstPieceLength = m_pieceLeft;
    if (m_pieceLeft < 64) // 34 header bytes need two blocks
        return Status::Damaged;
    if (Status s = decryptMore(kFirstChunk); s != Status::Ok)
        return s;
    m_flag = m_plain[32];
    const std::size_t L = m_plain[33];
    if (L == 0 || kHeaderBytes + L > m_plain.size())
        return Status::Damaged;
    m_name = QByteArray(reinterpret_cast<const char*>(m_plain.data() + kHeaderBytes), qsizetype(L));
    m_plainPos = kHeaderBytes + L;
    const bool onlyZeros = std::all_of(m_plain.begin() + std::ptrdiff_t(m_plainPos), m_plain.end(),
                                       [](std::uint8_t b) { return b == 0; });
    if (m_pieceLeft == 0 && onlyZeros) {
        // An empty file: no block, and the flag every writer gives it.
        if (m_flag != kEmptyFileFlag)
            return Status::Damaged;
        m_block = Block::None;
        m_plainPos = m_plain.size();
    } else {
        m_block = Block::Header;
        m_blockStart = 0;
    }
    // Run the first step now: a wrong passphrase or damage shows here.
    m_pendingStatus = step(m_pendingChunk);
    m_pending = true;
    if (m_pendingStatus == Status::Damaged || m_pendingStatus == Status::ReadFailed ||
        m_pendingStatus == Status::Cancelled)
        return m_pendingStatus;
    return Status::Ok;
}

EntryReader::Status EntryReader::next(Chunk& chunk)
{
    if (!m_begun)
        return Status::Damaged;
    if (m_pending) {
        m_pending = false;
        chunk = m_pendingChunk;
        return m_pendingStatus;
    }
    return step(chunk);
}

EntryReader::Status EntryReader::step(Chunk& chunk)
{
    for (;;) {
        const bool plainLeft = m_plainPos < m_plain.size();
        if (m_block == Block::Header) {
            if (!plainLeft) {
                if (m_pieceLeft == 0)
                    return Status::Damaged; // the piece ends inside the block header
                if (Status s = decryptMore(kCipherChunk); s != Status::Ok)
                    return s;
                continue;
            }
            while (m_blockHeaderHave < 8 && m_plainPos < m_plain.size())
                m_blockHeader[m_blockHeaderHave++] = m_plain[m_plainPos++];
            if (m_blockHeaderHave < 8)
                continue;
            if (getLe32(m_blockHeader) != kMagic)
                return Status::Damaged;
            m_claimed = getLe32(m_blockHeader + 4);
            if (m_piece == 1)
                m_claimedFirst = m_claimed;
            m_produced = 0;
            if (!m_zs) {
                m_zs = new z_stream{};
                if (inflateInit(zsOf(m_zs)) != Z_OK) {
                    delete zsOf(m_zs);
                    m_zs = nullptr;
                    return Status::Damaged;
                }
            } else if (inflateReset(zsOf(m_zs)) != Z_OK) {
                return Status::Damaged;
            }
            m_block = Block::Inflating;
            continue;
        }
        if (m_block == Block::Inflating) {
            if (!plainLeft) {
                if (m_pieceLeft == 0)
                    return Status::Damaged; // the stream is cut short
                if (Status s = decryptMore(kCipherChunk); s != Status::Ok)
                    return s;
                continue;
            }
            z_stream* zs = zsOf(m_zs);
            m_out.resize(kInflateOut);
            zs->next_in = m_plain.data() + m_plainPos;
            zs->avail_in = uInt(m_plain.size() - m_plainPos);
            zs->next_out = m_out.data();
            zs->avail_out = uInt(m_out.size());
            const int ret = inflate(zs, Z_NO_FLUSH);
            const std::size_t consumed = m_plain.size() - m_plainPos - zs->avail_in;
            m_plainPos += consumed;
            const std::size_t produced = m_out.size() - zs->avail_out;
            if (ret != Z_OK && ret != Z_STREAM_END && !(ret == Z_BUF_ERROR && (consumed || produced)))
                return Status::Damaged;
            m_produced += produced;
            // More content than the block claims is damage, never a reason to go on.
            if (m_produced > m_claimed)
                return Status::Damaged;
            if (ret == Z_STREAM_END) {
                m_block = Block::Ended;
                m_plainPos = m_plain.size(); // the rest is padding
            }
            if (produced > 0) {
                chunk.offset = m_blockStart + m_produced - produced;
                chunk.data = ByteView(m_out.data(), produced);
                m_written = chunk.offset + produced;
                return Status::Ok;
            }
            continue;
        }
        // No block, or its stream has ended: the rest of the piece is padding,
        // decrypted all the same since the next piece continues its chain.
        if (plainLeft)
            m_plainPos = m_plain.size();
        if (m_pieceLeft > 0) {
            if (Status s = decryptMore(kCipherChunk); s != Status::Ok)
                return s;
            m_plainPos = m_plain.size();
            continue;
        }
        if (m_entryPos == m_size)
            return Status::End;
        if (Status s = readPieceHeader(); s != Status::Ok)
            return s;
        // Piece k carries content from (k - 1) * 2 MiB - 34 - L on, right
        // behind what the pieces before it gave.
        const std::uint64_t offset =
            std::uint64_t(m_piece - 1) * kContinuationChunk - kHeaderBytes - std::uint64_t(m_name.size());
        if (offset != m_written)
            return Status::Damaged;
        m_blockStart = offset;
        m_blockHeaderHave = 0;
        m_block = Block::Header;
    }
}

std::optional<std::uint64_t> EntryReader::claimedContentLength()
{
    std::uint64_t total = m_claimedFirst;
    // Each later piece's first block decrypts from its own ciphertext and the
    // block in front of its length field (the previous piece's last).
    std::uint64_t pos = 4 + m_firstPieceLength;
    while (pos < m_size) {
        std::uint8_t n[4];
        std::uint8_t blocks[64];
        if (pos + 4 + 32 > m_size || !readExact(pos, n, 4) || !readExact(pos - 32, blocks, 32) ||
            !readExact(pos + 4, blocks + 32, 32))
            return std::nullopt;
        const std::uint64_t length = std::uint64_t(getLe32(n)) + 1;
        const auto plain = m_cipher.DecryptDo(ByteView(blocks, 64), false);
        if (!plain || length % 32 != 0 || pos + 4 + length > m_size || getLe32(plain->data() + 32) != kMagic)
            return std::nullopt;
        total += getLe32(plain->data() + 36);
        pos += 4 + length;
    }
    return total;
}

} // namespace kuvo::container
