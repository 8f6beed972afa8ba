// The localisation library carries the resources of the programs that load it, under their
// numbers; each program's share lives in its own file.
#pragma once

#include <ombrin/resources.h>

namespace qv10loc {

extern const OmbrinStringResource kAppletStrings[];
extern const UINT kAppletStringCount;
extern const OmbrinIconResource kAppletIcons[];
extern const UINT kAppletIconCount;

}  // namespace qv10loc
