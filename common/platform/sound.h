#pragma once

#include "platform.h"

namespace kuvo {

// Asynchronous playback through the desktop's event-sound library.
class CanberraSoundPlayer : public SoundPlayer {
public:
    void play(const QString& wavPath) override;
};

}  // namespace kuvo
