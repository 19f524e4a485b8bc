#include "qtplatform.h"

namespace kuvo {

quint16 LinuxSystemInfo::keyboardLayoutId()
{
    return langIdFromEnvironment();
}

}  // namespace kuvo
