#include "platform/components/MovieToolboxGestalt.h"

#include "platform/Gestalt.h"
#include "platform/core/GestaltRegistry.h"

namespace platform::components {

void register_movie_toolbox_gestalt() {
    gestalt::set_value(gestaltQuickTimeVersion, kMovieToolboxVersion);
    gestalt::set_value(gestaltQuickTimeFeatures, kMovieToolboxFeatures);
}

}  // namespace platform::components
