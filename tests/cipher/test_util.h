#pragma once

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cipher_test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes fromHex(std::string_view hex)
{
    if (hex.size() % 2)
        throw std::invalid_argument("odd hex length");
    Bytes out;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        out.push_back(std::uint8_t(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}

inline std::string toHex(const Bytes& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (auto b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

// Deterministic, so a failure reproduces.
inline Bytes randomBytes(std::mt19937& rng, std::size_t n)
{
    Bytes out(n);
    for (auto& b : out)
        b = std::uint8_t(rng());
    return out;
}

inline Bytes concat(const Bytes& a, const Bytes& b)
{
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

} // namespace cipher_test
