// InPort.h — keeps the current port while the controller works in its own.
#pragma once

#include "platform/QuickDraw.h"

namespace platform::controller {

class InPort {
public:
    explicit InPort(CGrafPtr port) {
        GetPort(&saved_);
        if (port) SetPort(port);
    }
    ~InPort() { SetPort(saved_); }
    InPort(const InPort&) = delete;
    InPort& operator=(const InPort&) = delete;

private:
    GrafPtr saved_ = nullptr;
};

}  // namespace platform::controller
