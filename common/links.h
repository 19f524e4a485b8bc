// The maker's web addresses, in one place for every window that links to them.
#pragma once

#include <QString>

namespace kuvo {

inline constexpr const char* kMakerSite = "https://www.kuvo.example";
// The online version of Crypt's text encryption.
inline constexpr const char* kCryptOnlinePath = "/crypt/crypt.php";

inline QString makerSiteUrl() { return QString::fromLatin1(kMakerSite); }
inline QString cryptOnlineUrl() { return QString::fromLatin1(kMakerSite) + QLatin1String(kCryptOnlinePath); }

}  // namespace kuvo
