// The .kuvo container: records written and read piece by piece.
//
// A record is one piece: N (ciphertext length - 1, 32-bit) and the CBC
// ciphertext of: 32 random filler bytes, a flag byte, the stored name's length
// and bytes, and the compressed block (magic, content length, zlib stream).
// Readers also accept continuation pieces. Nothing else is added to the file:
// containers must stay readable by every program that reads this format.
//
// Work is done in chunks with a yield between them, and no file is held whole
// in memory: the writer keeps at most a few MiB of compressed data, the reader
// decrypts, inflates and writes chunk by chunk.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "crypt/cipher/rijndael.h"
#include "trailer.h"

namespace kuvo::container {

inline constexpr std::uint32_t kMagic = 1234567890; // 0x499602D2
inline constexpr std::size_t kFillerBytes = 32;
inline constexpr std::size_t kHeaderBytes = 34; // filler, flag, name length
inline constexpr std::uint8_t kEmptyFileFlag = 99;
inline constexpr std::uint64_t kContinuationChunk = 2097152;
// Records stay below 2^31 bytes so that readers with signed 32-bit sizes work.
inline constexpr std::uint64_t kMaxRecordBytes = 0x7FFFFFFF;

// The whole-buffer forms of the compressed block (zlib's compress at the
// default level); empty on failure or for empty content.
Bytes CompressBlock(ByteView content);
// nullopt unless the block has the magic and inflates to at most its claimed
// length; the claim alone never decides how much is allocated.
std::optional<Bytes> DecompressBlock(ByteView block);

using YieldFn = std::function<void()>;
using ProgressFn = std::function<void(int permille)>;

// A file written under a hidden temporary name in its target folder and
// renamed into place only when complete, so a failed or cancelled write never
// leaves a truncated file under the real name.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // dirFd is borrowed and must stay open until commit or discard.
    bool create(int dirFd, const QByteArray& finalName, int* error);
    int fd() const { return m_fd; }
    // replace=false never replaces a file that appeared meanwhile (EEXIST).
    bool commit(bool replace, bool durable, int* error);
    void discard();

private:
    int m_dirFd = -1;
    int m_fd = -1;
    QByteArray m_tempName;
    QByteArray m_finalName;
};

struct RecordOutcome {
    enum class Status {
        Stored,
        InputFailed,     // not stored (entry size 0); the run goes on
        InputTooLarge,   // the format's 32-bit sizes cannot hold it
        InputChanged,    // the file changed size while it was read
        ContainerFailed, // the container cannot be written: the run ends
        Cancelled,
    };
    Status status = Status::Stored;
    std::uint32_t entrySize = 0;
    int error = 0; // errno for InputFailed and ContainerFailed
};

class ContainerWriter {
public:
    ContainerWriter() = default;
    ~ContainerWriter(); // an uncommitted container is removed
    ContainerWriter(const ContainerWriter&) = delete;
    ContainerWriter& operator=(const ContainerWriter&) = delete;

    bool create(const QString& path, int* error);
    // The cipher's key must be prepared. A record that fails half-way is cut
    // off again, so the next one starts where this one started.
    RecordOutcome appendRecord(const QString& inputPath, const QByteArray& storedName, CRijndael& cipher,
                               const ProgressFn& progress, const YieldFn& yield, bool noFollow = false);
    bool appendTrailer(std::span<const std::uint32_t> entrySizes, int* error);
    // Flushes to disk and renames over path.
    bool commit(int* error);
    void discard();
    std::uint64_t length() const { return m_end; }

private:
    int m_dirFd = -1;
    OutputFile m_file;
    std::uint64_t m_end = 0;
};

class ContainerReader {
public:
    ~ContainerReader();
    bool open(const QString& path, int* error);
    int fd() const { return m_fd; }
    std::uint64_t length() const { return m_length; }
    Trailer readTrailer(bool* readFailed) const;

private:
    int m_fd = -1;
    std::uint64_t m_length = 0;
};

// One entry decrypted and inflated piece by piece.
class EntryReader {
public:
    enum class Status { Ok, End, Damaged, Cancelled, ReadFailed };
    struct Chunk {
        std::uint64_t offset = 0; // content offset of data
        ByteView data;
    };

    EntryReader(int fd, std::uint64_t offset, std::uint32_t size, CRijndael& cipher, YieldFn yield);
    ~EntryReader();
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    // Decrypts the start of the first piece and checks it before anything is
    // created: a name that fits, then either only zero padding (an empty file,
    // flag 99) or a block with the magic whose start inflates without error.
    Status begin();
    const QByteArray& nameBytes() const { return m_name; }
    std::uint8_t flag() const { return m_flag; }

    // The next piece of content; End when the entry is complete.
    Status next(Chunk& chunk);
    int permille() const;
    int readError() const { return m_errno; }

    // After begin(): the content length the pieces claim (for listing).
    std::optional<std::uint64_t> claimedContentLength();

private:
    enum class Block { None, Header, Inflating, Ended };
    Status step(Chunk& chunk);
    Status readPieceHeader();
    Status decryptMore(std::size_t maxBytes);
    bool readExact(std::uint64_t offset, std::uint8_t* out, std::size_t size);

    int m_fd;
    std::uint64_t m_base;
    std::uint32_t m_size;
    CRijndael& m_cipher;
    YieldFn m_yield;

    std::uint64_t m_entryPos = 0;  // bytes of the entry consumed
    std::uint64_t m_pieceLeft = 0; // ciphertext of the current piece not yet read
    std::uint64_t m_firstPieceLength = 0;
    int m_piece = 0;
    bool m_chainStarted = false;
    Bytes m_cipherBuf;
    Bytes m_plain;
    std::size_t m_plainPos = 0;

    Block m_block = Block::None;
    std::uint8_t m_blockHeader[8] = {};
    int m_blockHeaderHave = 0;
    std::uint64_t m_claimed = 0;
    std::uint64_t m_claimedFirst = 0;
    std::uint64_t m_produced = 0;   // output of the current block
    std::uint64_t m_blockStart = 0; // content offset of the current block
    std::uint64_t m_written = 0;    // content produced overall
    void* m_zs = nullptr;           // z_stream, kept out of this header
    Bytes m_out;

    QByteArray m_name;
    std::uint8_t m_flag = 0;
    bool m_begun = false;
    bool m_pending = false;
    Status m_pendingStatus = Status::Ok;
    Chunk m_pendingChunk;
    int m_errno = 0;
};

// Description of an errno value, as the system gives it.
QString SystemErrorText(int error);

} // namespace kuvo::container
