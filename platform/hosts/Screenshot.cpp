// Screenshots with the cursor (Screenshot.h).
#include "platform/hosts/Screenshot.h"

#include <cstring>
#include <vector>

#include "platform/events/EventsInternal.h"
#include "platform/hosts/PngWriter.h"
#include "platform/quickdraw/Cursor.h"

namespace platform::host {

Result<void> save_screenshot_with_cursor(const std::string& path, const UInt8* pixels, int width, int height,
                                         size_t rowBytes) {
    const size_t row = size_t(width) * 4;
    std::vector<UInt8> copy(row * size_t(height));
    for (int y = 0; y < height; ++y) std::memcpy(&copy[size_t(y) * row], pixels + size_t(y) * rowBytes, row);
    quickdraw::draw_cursor(copy.data(), width, height, SInt32(row), events::mouse_position());
    return write_png_xrgb(path, copy.data(), width, height, row);
}

}  // namespace platform::host
