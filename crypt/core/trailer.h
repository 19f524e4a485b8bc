// The container's trailer: the list of entry sizes and its length, written as
// base-255 digits (least significant first) so that 0xFF can close each entry.
// Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace kuvo::container {

using TrailerBytes = std::vector<std::uint8_t>;

// Entry list (each size's digits, none for 0, then 0xFF) followed by the
// length field (the entry list's length in digits).
TrailerBytes EncodeTrailer(std::span<const std::uint32_t> entrySizes);

enum class TrailerStatus {
    Ok,
    TooShort, // fewer than 4 bytes: no usable content
    NoMarker, // no 0xFF where the length field must end
    Overflow, // an entry size or the list length does not fit 32 bits
    Damaged,  // the sizes do not fit in the file
};

struct Trailer {
    TrailerStatus status = TrailerStatus::TooShort;
    std::vector<std::uint32_t> entrySizes;
    std::uint64_t recordsLength = 0; // bytes before the entry list
    // Byte offset (from 0) of each entry's first byte.
    std::vector<std::uint64_t> entryOffsets() const;
};

// Reads `size` bytes at `offset` into `out`; false on a read failure.
using ReadAt = std::function<bool(std::uint64_t offset, std::uint8_t* out, std::size_t size)>;

// Decodes the trailer of a container of `fileLength` bytes. The length field
// is looked for in the last 100 bytes (fewer in a short file, never the
// window's first byte); the entry list is then read whole, however long.
// A read failure gives NoMarker with *readFailed set.
Trailer DecodeTrailer(std::uint64_t fileLength, const ReadAt& read, bool* readFailed = nullptr);

// The same over a container held in memory.
Trailer DecodeTrailer(std::span<const std::uint8_t> container);

} // namespace kuvo::container
