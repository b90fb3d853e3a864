#pragma once
// The short sound played after a reading or a payment is saved: a clip of our own shipped in
// the program folder.
#include <QString>

namespace reading {

inline const QString kConfirmationSoundFile = QStringLiteral("sound/confirm.wav");

// The clip's path under the program folder.
QString confirmation_sound_path();

}  // namespace reading
