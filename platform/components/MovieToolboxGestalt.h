// MovieToolboxGestalt.h — the movie toolbox's Gestalt selectors.
//
// EnterMovies calls register_movie_toolbox_gestalt(); from then on
//   'qtim'  the movie toolbox version, 0x02080000: the high 16 bits are the
//           version in nibbles, major, minor, third level. Feature tests
//           read "at least 0x0209" as full-screen support and "at least
//           0x0300" as video effects and wired sprites, none of which this
//           toolbox has, so it reports the version just below them.
//   'qtrs'  the feature bits: bit 0, the toolbox library is present.
#pragma once

#include "platform/Types.h"

namespace platform::components {

inline constexpr SInt32 kMovieToolboxVersion = 0x02080000;
inline constexpr SInt32 kMovieToolboxFeatures = 1 << 0;

// Registers 'qtim' and 'qtrs' (again: harmless).
void register_movie_toolbox_gestalt();

}  // namespace platform::components
