#pragma once
// The animate pass over the objects on the map that no player lists: the
// map's resource sites and decorations.  The players' pass animates the
// listed ones with their production, so each object moves on once per
// simulation step.  Main thread only.

#include <cstdint>

class CMapObjectAnimation
{
public:
    // Calls Animate(ticks) once on every such object standing on the map.
    // Objects taken down during the pass are not animated afterwards.
    static void AnimateUnlisted(int32_t ticks);
};
