// SPDX-License-Identifier: MIT
// Where the page shows the picture and which picture pixel the pointer is
// over: the presentation's own geometry, the same as the desktop's, called by
// library_rallex.js (RW.fit, RW.place), which only applies the numbers. Both
// count device pixels of the page's stage.
#include <emscripten.h>

#include <cstdint>

#include "presentation/geometry.h"

namespace {

using platform::presentation::Scaling;

// The scalings by their numbers in protocol.def.
constexpr Scaling kScalings[] = {
#define RALLEX_WEB_FIELD(name)
#define RALLEX_WEB_EVENT(name, code)
#define RALLEX_WEB_SCALING(name, scaling) Scaling::scaling,
#include "backend/web/protocol.def"
#undef RALLEX_WEB_FIELD
#undef RALLEX_WEB_EVENT
#undef RALLEX_WEB_SCALING
};

}  // namespace

extern "C" {

// The picture's rectangle for a frame of frameW x frameH in an area of
// areaW x areaH: x, y, width and height into out[0..3].
EMSCRIPTEN_KEEPALIVE void rallex_web_picture_rect(int scaling, int frameW, int frameH, int areaW, int areaH,
                                                  int32_t* out) {
  int count = static_cast<int>(sizeof kScalings / sizeof kScalings[0]);
  Scaling chosen = scaling >= 0 && scaling < count ? kScalings[scaling] : Scaling::Aspect;
  platform::presentation::Rect r = platform::presentation::PictureRect(chosen, frameW, frameH, areaW, areaH);
  out[0] = r.x;
  out[1] = r.y;
  out[2] = r.w;
  out[3] = r.h;
}

// The picture pixel shown at (x, y) of the area, the picture being at the
// rectangle shownX, shownY, shownW x shownH: into out[0..1].
EMSCRIPTEN_KEEPALIVE void rallex_web_to_picture(int shownX, int shownY, int shownW, int shownH, int frameW,
                                                int frameH, int x, int y, int32_t* out) {
  int px = 0, py = 0;
  platform::presentation::ToPicture({shownX, shownY, shownW, shownH}, frameW, frameH, x, y, px, py);
  out[0] = px;
  out[1] = py;
}

}  // extern "C"
