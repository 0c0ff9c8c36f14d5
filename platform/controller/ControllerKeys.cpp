#include "platform/controller/ControllerKeys.h"

namespace platform::controller {

std::optional<KeyCommand> key_command(UInt8 c, EventModifiers m) {
    if (m & cmdKey) return std::nullopt;
    const bool shift = (m & shiftKey) != 0;
    switch (c) {
    case kSpaceCharCode: return KeyCommand::PlayPause;
    case kLeftArrowCharCode: return shift ? KeyCommand::ExtendBack : KeyCommand::StepBack;
    case kRightArrowCharCode: return shift ? KeyCommand::ExtendForward : KeyCommand::StepForward;
    case kUpArrowCharCode: return KeyCommand::VolumeUp;
    case kDownArrowCharCode: return KeyCommand::VolumeDown;
    default: return std::nullopt;
    }
}

}  // namespace platform::controller
