#pragma once
// The program's one sound-file player. The Signaller makes it on first need, once per run;
// the Signaller's clean-up, or the recorder dialog when it closes, destroys it, after which
// the run has none.
class SoundPlayer;

namespace SharedSoundPlayer {

// The player; null before it was made and after it was destroyed.
SoundPlayer* Get();
// Makes the player when none was made yet in this run; the player, or null when it was
// made and destroyed already.
SoundPlayer* GetOrCreate();
void Destroy();

}  // namespace SharedSoundPlayer
