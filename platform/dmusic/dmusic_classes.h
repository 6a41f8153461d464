// The DirectMusic classes, as CoCreateInstance makes them.
#pragma once

#include "com/class_registry.h"
#include "dmusic/dmusici.h"

namespace nol::dmusic {

HRESULT CreateDirectMusicLoader(REFIID iid, void** object);
HRESULT CreateDirectMusicPerformance(REFIID iid, void** object);
HRESULT CreateDirectMusicSegment(REFIID iid, void** object);

}  // namespace nol::dmusic
