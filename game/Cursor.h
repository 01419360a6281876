// Cursor.h -- the game's own mouse pointer: seven animated frames that follow the mouse and face the ship.
#pragma once

class AnimatedSprite;
struct Game;

// Frame delay 10, seven frames from "a1/c1.bmp" ... "a1/c7.bmp", 32 x 32 at the origin.
void setUpCursor(AnimatedSprite& cursor);
// Loads the seven frames' pictures, frame 0 first: at set-up, and again after a new OpenGL context.
void loadCursorFrames(AnimatedSprite& cursor);
// Places the cursor at the mouse (picture pixels to world units) and turns its top towards the ship.
void aimCursor(Game& game);
