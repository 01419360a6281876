// Firing.h -- the space bar: one bullet per press, and the fire latch.
#pragma once

struct Game;

// On a press of Space with the latch released: latch it and fire the free bullet with the lowest
// index from the ship. All ten in play: nothing leaves, the latch is set all the same.
void fireBullet(Game& game);
// Space up: release the latch.
void releaseFire(Game& game);
