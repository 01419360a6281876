// RockPass.h -- the rules between objects: rocks against the ship and the bullets, splitting, and waves.
#pragma once

class Rock;
class Ship;
struct Game;

// Moves and draws every live rock in slot order; bounces the ship off the first rock that touches it
// in a contact episode; lets live bullets shrink, split or destroy rocks; brings the next wave when
// no rock was alive at its turn.
void rockPass(Game& game);
// Sends ship and rock apart along the line joining their centres at the bounce speed, and sets the
// ship spinning by -19 ... 19 degrees a frame. Two draws.
void bounce(Ship& ship, Rock& rock);
