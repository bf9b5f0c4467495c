// Where a control host's Form1 shows its items to the survey, at any DPI. The host lays the form out
// from its table at the DPI it sees: the screen's where the system leaves it alone (Windows XP, a
// session without desktop composition, the host declared DPI-aware), 96 where the system scales
// it (DPI virtualisation: the hosts are not DPI-aware, the survey is). Then the system may scale
// the whole window, and what the survey reads of it (its client size, the window at a point) may
// come in the survey's pixels or in the host's own. Either way the form's client size as the survey
// reads it, against the size its table gives, tells the scale the survey reads it at, and each
// item's place follows in the same reading. Portable: no window is needed to decide it.
#pragma once

#include "probes/shell/form_layout.h"

namespace kit::survey {

struct FormScale {
  shell::Dpi layout;  // the DPI the host laid the form out at
  // How the survey reads what the host laid out: seen pixels = laid pixels * seen / laid, per axis.
  int seenX = 1;
  int laidX = 1;
  int seenY = 1;
  int laidY = 1;
  bool operator==(const FormScale& other) const {
    return layout.x == other.layout.x && layout.y == other.layout.y && seenX == other.seenX && laidX == other.laidX &&
           seenY == other.seenY && laidY == other.laidY;
  }
};

// The scale of a form whose client area the survey reads as `seenWidth` x `seenHeight`, `window`
// being the form's record and `survey` the survey's own DPI. A client area may be cut short by the
// screen (the system keeps a new window within it), never made larger: an axis the table
// explains exactly with the other no larger is a form laid out at that DPI and not scaled;
// otherwise the system scaled it from 96, by what the less cut axis shows. A form cut in both axes
// shows no scale of its own: it is taken at the least that explains it (none, then the survey's
// DPI, then that axis's).
FormScale FindFormScale(const shell::ItemRecord& window, shell::Dpi survey, int seenWidth, int seenHeight);

// The item's place as the survey reads it, relative to the client area of its container, which the
// survey reads as `seenClientWidth` x `seenClientHeight` (an aligned item lies along its edge).
shell::PixelRect SeenItemPixels(const FormScale& scale, const shell::ItemRecord& item, int seenClientWidth,
                                int seenClientHeight);

}  // namespace kit::survey
