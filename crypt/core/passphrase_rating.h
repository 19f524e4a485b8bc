// The passphrase strength gauge: what the lights, keys and verdict show for a
// passphrase. Advice only; nothing else reads it.
#pragma once

#include <string_view>

namespace kuvo {

struct PassphraseRating {
    int score = 0; // 0 .. 100
    bool red = false;
    bool yellow = false;
    bool green = false;
    int keys = 0;      // solid keys shown, 0 .. 5
    int verdictId = 0; // German catalogue id of the verdict, 124 .. 128
};

// Characters are classed by their Windows-1252 code: capitals, small letters
// (and the space), digits and signs (codes 33-64), and all others. Characters
// that Windows-1252 cannot represent count as others; such a passphrase is
// refused where it would become a key.
PassphraseRating RatePassphrase(std::u16string_view passphrase);

} // namespace kuvo
