#include "sound.h"

#include <QFileInfo>

#ifdef KUVO_HAVE_CANBERRA
#include <canberra.h>
#endif

namespace kuvo {

#ifdef KUVO_HAVE_CANBERRA
namespace {
ca_context* context()
{
    // One context for the whole process; creating it can fail without a sound server.
    static ca_context* ctx = [] {
        ca_context* c = nullptr;
        if (ca_context_create(&c) != CA_SUCCESS)
            return static_cast<ca_context*>(nullptr);
        return c;
    }();
    return ctx;
}
}  // namespace
#endif

void CanberraSoundPlayer::play(const QString& wavPath)
{
    if (!QFileInfo(wavPath).isFile())
        return;
#ifdef KUVO_HAVE_CANBERRA
    if (ca_context* ctx = context()) {
        const QByteArray path = QFileInfo(wavPath).absoluteFilePath().toLocal8Bit();
        ca_context_play(ctx, 0, CA_PROP_MEDIA_FILENAME, path.constData(), nullptr);
    }
#endif
}

}  // namespace kuvo
