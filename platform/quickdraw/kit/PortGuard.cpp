// The port guard (PortGuard.h).
#include "platform/quickdraw/kit/PortGuard.h"

namespace platform::kit {

using quickdraw::GrafPort;

PortGuard::PortGuard() : port_(quickdraw::current_port_as_set()), device_(quickdraw::current_device()) {}

PortGuard::PortGuard(GrafPtr use, Keep keep) : PortGuard() {
    GrafPort* port = quickdraw::port_from(use);
    if (!port) return;
    if (keep == Keep::drawing_state)
        drawing_.emplace(DrawingState{port, port->pen, port->fore, port->back, port->text, port->clip_region()});
    quickdraw::set_current_port(port);
}

// The port drawn in may have gone while the guard was up (a window closed
// by the helper): its state is then dropped, and a current port that went
// becomes the desktop port.
PortGuard::~PortGuard() {
    if (drawing_) {
        if (GrafPort* p = quickdraw::port_from(drawing_->port)) {
            p->pen = drawing_->pen;
            p->fore = drawing_->fore;
            p->back = drawing_->back;
            p->text = drawing_->text;
            p->set_clip_region(std::move(drawing_->clip));
        }
    }
    quickdraw::set_current_port(quickdraw::port_from(port_));
    quickdraw::set_current_device(device_);
}

}  // namespace platform::kit
