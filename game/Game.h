// Game.h -- everything one run plays with, and the driver's three entry points: set-up, a frame, presenting it.
#pragma once

#include <SDL.h>

#include "objects/Ball.h"
#include "objects/Bullet.h"
#include "objects/Rock.h"
#include "objects/Ship.h"
#include "game/Pad.h"
#include "sprite/AnimatedSprite.h"
#include "sprite/Sprite.h"

struct Game {
    Ball balls[20];
    Bullet bullets[10];
    Rock rocks[100];
    Ship ship;
    Sprite starfield;
    AnimatedSprite cursor;
    SDL_Event event;
    Pad pad;                   // gamepads, holding the same keys as the keyboard
    int mouseX = 0, mouseY = 0;  // pointer, window pixels

    int done = 0;              // 1 ends the loop after the frame in hand
    Uint8* keys = nullptr;     // SDL's key-state array, fetched once a frame
    int nextBall = 0;          // exhaust slot used last, 0 ... 19
    bool ballToggle = true;    // flips on every Up frame; a ball leaves when it turns true
    bool spacebar = false;     // fire latch: set by a handled press, released when Space is up
    bool shipHit = false;      // a rock touched the ship in the previous rock pass
    int wave = 1;              // rocks the next wave brings (at most 100 are placed)
};

// Creates every object in order (balls, bullets, rocks, ship, starfield, cursor), sets the driver
// variables, turns on texturing and blending and turns off the depth test. Needs the video mode set.
void setUpGame(Game& game);
// One simulation step, drawn: events, keys (the keyboard's and the pads'), exhaust, firing, ship,
// backdrop, balls, bullets, rocks, cursor. Without an OpenGL context the drawing does nothing and the
// simulation still runs.
void runFrame(Game& game);
// Flush, the fixed 10 ms pause, swap.
void presentFrame();
