// PortGuard.h — the one way a helper draws in a port that is not its own:
// the guard keeps the current port and device and puts them back when it
// goes, and, asked to, also keeps the drawing state (pen, colours, text,
// clip region) of the port it draws in, so nothing the helper sets leaks
// into its caller's drawing.
#pragma once

#include <optional>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Region.h"

namespace platform::kit {

enum class Keep {
    port,            // the current port and device
    drawing_state,   // those and the pen, colours, text and clip of the port drawn in
};

class PortGuard {
public:
    // Keeps the current port and device.
    PortGuard();
    // Keeps the current port and device (and with Keep::drawing_state,
    // `use`'s drawing state), then makes `use` current; nil, or a port that
    // is not live, leaves the current port as it is and keeps no drawing
    // state.
    PortGuard(GrafPtr use, Keep keep);
    ~PortGuard();
    PortGuard(const PortGuard&) = delete;
    PortGuard& operator=(const PortGuard&) = delete;

private:
    struct DrawingState {
        GrafPtr port;
        PenState pen;
        RGBColor fore, back;
        quickdraw::TextState text;
        quickdraw::Region clip;
    };

    GrafPtr port_;   // as set: nil for the desktop port
    GDHandle device_;
    std::optional<DrawingState> drawing_;
};

}  // namespace platform::kit
