// Exhaust.h -- emitting exhaust balls behind the thrusting ship.
#pragma once

struct Game;

// While Up is held: every second Up frame (counted over the whole run) the next slot in turn gets a
// ball leaving backwards at 10 units a frame with an integer jitter of -3 ... 3 on each axis. Four draws.
void emitExhaust(Game& game);
