#include "passphrase_rating.h"

#include <cmath>
#include <cstddef>

#include "common/cp1252.h"

namespace kuvo {

namespace {

// Nearest whole number, halves to even.
int roundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

PassphraseRating RatePassphrase(std::u16string_view passphrase)
{
    std::size_t capitals = 0, smalls = 0, signs = 0, others = 0;
    for (char16_t ch : passphrase) {
        const auto code = cp1252::encodeChar(ch);
        if (!code)
            ++others;
        else if (*code >= 65 && *code <= 90)
            ++capitals;
        else if ((*code >= 97 && *code <= 122) || *code == 32)
            ++smalls;
        else if (*code >= 33 && *code <= 64)
            ++signs;
        else
            ++others;
    }

    const std::size_t n = passphrase.size() > 32 ? 32 : passphrase.size();
    int score = roundEven(double(n) * 100.0 / 32.0);
    if (capitals == 0)
        score = roundEven(score * 0.65);
    else if (smalls == 0)
        score = roundEven(score * 0.65);
    else if (signs == 0)
        score = roundEven(score * 0.75);
    else if (others == 0)
        score = roundEven(score * 0.75);
    if (score > 100)
        score = 100;
    if (signs == 0 && others == 0 && score > 70)
        score = 71;
    if (signs + others < 3 && score > 80)
        score = 81;

    PassphraseRating r;
    r.score = score;
    if (score < 10) {
        r.red = true;
        r.keys = score > 5 ? 1 : 0;
        r.verdictId = 124;
    } else if (score < 25) {
        r.red = r.yellow = true;
        r.keys = 2;
        r.verdictId = 125;
    } else if (score < 50) {
        r.yellow = true;
        r.keys = 3;
        r.verdictId = 126;
    } else if (score < 95) {
        r.yellow = r.green = true;
        r.keys = 4;
        r.verdictId = 127;
    } else {
        r.green = true;
        r.keys = 5;
        r.verdictId = 128;
    }
    return r;
}

} // namespace kuvo
