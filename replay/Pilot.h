// Pilot.h -- an autopilot that plays well enough to split rocks, fill the slots and reach later waves.
#pragma once

#include "game/Game.h"

// The keys to hold in the coming frame: turn towards the biggest rock (the nearest of those), fire
// on every other frame while roughly on target, and thrust now and then to close in. Depends only
// on the game state and the frame number, so a pilot's session replays exactly.
unsigned pilotKeys(const Game& game, long frame);
