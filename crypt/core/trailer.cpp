#include "trailer.h"

#include <algorithm>
#include <cstring>

namespace kuvo::container {

namespace {

constexpr std::uint8_t kClose = 0xFF;
constexpr std::uint64_t kMax32 = 0xFFFFFFFFull;

void appendDigits(TrailerBytes& out, std::uint64_t value)
{
    while (value > 0) {
        out.push_back(std::uint8_t(value % 255));
        value /= 255;
    }
}

// Base-255 value of digits stored least significant first; false when it
// exceeds 32 bits (high zero digits are harmless).
bool digitsValue(const std::uint8_t* digits, std::size_t count, std::uint64_t& value)
{
    value = 0;
    for (std::size_t i = count; i-- > 0;) {
        value = value * 255 + digits[i];
        if (value > kMax32)
            return false;
    }
    return true;
}

} // namespace

TrailerBytes EncodeTrailer(std::span<const std::uint32_t> entrySizes)
{
    TrailerBytes out;
    out.reserve(entrySizes.size() * 5 + 8);
    for (std::uint32_t size : entrySizes) {
        appendDigits(out, size);
        out.push_back(kClose);
    }
    appendDigits(out, out.size());
    return out;
}

std::vector<std::uint64_t> Trailer::entryOffsets() const
{
    std::vector<std::uint64_t> offsets;
    offsets.reserve(entrySizes.size());
    std::uint64_t at = 0;
    for (std::uint32_t size : entrySizes) {
        offsets.push_back(at);
        at += size;
    }
    return offsets;
}

Trailer DecodeTrailer(std::uint64_t fileLength, const ReadAt& read, bool* readFailed)
{
    Trailer result;
    if (readFailed)
        *readFailed = false;
    if (fileLength < 4) {
        result.status = TrailerStatus::TooShort;
        return result;
    }
    const std::uint64_t t = fileLength > 100 ? 100 : fileLength - 4;
    std::vector<std::uint8_t> window(std::size_t(t + 1));
    if (!read(fileLength - window.size(), window.data(), window.size())) {
        if (readFailed)
            *readFailed = true;
        result.status = TrailerStatus::NoMarker;
        return result;
    }
    std::size_t marker = 0; // index in window; 0 means none (the first byte never counts)
    for (std::size_t i = window.size(); i-- > 1;) {
        if (window[i] == kClose) {
            marker = i;
            break;
        }
    }
    if (marker == 0) {
        result.status = TrailerStatus::NoMarker;
        return result;
    }
    const std::size_t digitCount = window.size() - marker - 1;
    std::uint64_t listLength = 0;
    if (!digitsValue(window.data() + marker + 1, digitCount, listLength)) {
        result.status = TrailerStatus::Overflow;
        return result;
    }
    // The list ends with the marker byte, which lies listLength - 1 bytes after its start.
    const std::uint64_t listEnd = fileLength - digitCount; // one past the marker
    if (listLength == 0 || listLength > listEnd) {
        result.status = TrailerStatus::Damaged;
        return result;
    }
    std::vector<std::uint8_t> list(static_cast<std::size_t>(listLength));
    if (!read(listEnd - listLength, list.data(), list.size())) {
        if (readFailed)
            *readFailed = true;
        result.status = TrailerStatus::NoMarker;
        return result;
    }
    std::uint64_t total = 0;
    std::size_t partStart = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] != kClose)
            continue;
        std::uint64_t size = 0;
        if (!digitsValue(list.data() + partStart, i - partStart, size)) {
            result.status = TrailerStatus::Overflow;
            result.entrySizes.clear();
            return result;
        }
        result.entrySizes.push_back(std::uint32_t(size));
        total += size;
        partStart = i + 1;
    }
    result.recordsLength = listEnd - listLength;
    // Every entry's bytes must lie before the entry list.
    if (total > result.recordsLength) {
        result.status = TrailerStatus::Damaged;
        result.entrySizes.clear();
        return result;
    }
    result.status = TrailerStatus::Ok;
    return result;
}

Trailer DecodeTrailer(std::span<const std::uint8_t> container)
{
    return DecodeTrailer(container.size(), [&](std::uint64_t offset, std::uint8_t* out, std::size_t size) {
        if (offset + size > container.size())
            return false;
        std::memcpy(out, container.data() + offset, size);
        return true;
    });
}

} // namespace kuvo::container
