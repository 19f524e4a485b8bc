#include "secure.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/random.h>

namespace kuvo {

void secureZero(void* data, std::size_t size)
{
    if (data && size)
        explicit_bzero(data, size);
}

void randomBytes(void* data, std::size_t size)
{
    auto* p = static_cast<unsigned char*>(data);
    while (size > 0) {
        ssize_t n = getrandom(p, size, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "getrandom failed: %s\n", std::strerror(errno));
            std::abort();
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

}  // namespace kuvo
