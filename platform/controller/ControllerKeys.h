// ControllerKeys.h — the keys the controller answers to, without the
// Command key (those belong to the menus):
//
//   Space          play / pause
//   Left, Right    step one frame back / forward
//   Shift-Left, Shift-Right   extend the selection by a frame
//   Up, Down       volume up / down by an eighth of full volume
#pragma once

#include <optional>

#include "platform/Events.h"

namespace platform::controller {

enum class KeyCommand { PlayPause, StepBack, StepForward, ExtendBack, ExtendForward, VolumeUp, VolumeDown };

std::optional<KeyCommand> key_command(UInt8 character, EventModifiers modifiers);

inline constexpr SInt16 kVolumeKeyStep = 32;

}  // namespace platform::controller
