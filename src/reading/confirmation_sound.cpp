#include "reading/confirmation_sound.h"

#include "platform/files.h"

namespace reading {

QString confirmation_sound_path() { return platform::app_path(kConfirmationSoundFile); }

}  // namespace reading
