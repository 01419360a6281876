// BusyGame.h -- the benchmarks' game states: idle after start-up, and the busiest the rules allow.
#pragma once

#include "game/Game.h"

// A wave of 100 full-size rocks over the world, all ten bullets and all twenty exhaust balls in flight,
// the ship thrusting and turning (Up and Right held). Needs setUpGame first.
void makeBusy(Game& game);
// Holds the keys of the busy state (Up, Right) or none.
void holdBusyKeys(bool busy);
