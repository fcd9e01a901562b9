#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the keyboard means to the contest beside keyboard play: the wave
// keys, the operator letters, and the help text that names the keys.
namespace ContestKeys
{
// The wave size a wave key asks for: ten times a number key 1-9, one for
// 'e', a horde for 'h'; none for any other key.
std::optional<uint32_t> WaveOf(unsigned char key);
// A letter of the operator keys, which keyboard play suspends: its letters
// are the players' then.
bool IsOperatorLetter(unsigned char key);
// The lines shown while the game waits for its start: how to start, the
// pads' buttons, and the keys of keyboard play when it is on; a replay
// shows no Tab line, as its keys are its viewer's.
std::vector<std::string> HelpLines(bool keyboardPlay, bool padsSwapped, bool replayed);
} // namespace ContestKeys
