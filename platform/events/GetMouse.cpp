// GetMouse answers in the current port's local coordinates, so it needs
// QuickDraw's GlobalToLocal; kept on its own so that programs which never
// call it do not pull QuickDraw in.
#include "platform/Events.h"
#include "platform/events/EventManager.h"

void GetMouse(Point* mouseLoc) {
    if (!mouseLoc) return;
    *mouseLoc = platform::events::EventManager::instance().mouse();
    GlobalToLocal(mouseLoc);
}
