// Cursor.cpp -- preparing the cursor, and placing and turning it every frame.
#include "game/Cursor.h"

#include <cmath>

#include "game/Game.h"
#include "game/Video.h"
#include "objects/World.h"

void loadCursorFrames(AnimatedSprite& cursor)
{
    static const char* const frames[7] = {"a1/c1.bmp", "a1/c2.bmp", "a1/c3.bmp", "a1/c4.bmp",
                                          "a1/c5.bmp", "a1/c6.bmp", "a1/c7.bmp"};
    for (int i = 0; i < 7; i++) cursor.loadFrame(frames[i], i);
}

void setUpCursor(AnimatedSprite& cursor)
{
    cursor.delay = 10;  // each frame shows for 11 game frames
    cursor.setup(7);
    loadCursorFrames(cursor);
    cursor.x = 0;
    cursor.y = 0;
    cursor.w = 32;
    cursor.h = 32;
    cursor.angle = 0;
}

void aimCursor(Game& game)
{
    SDL_GetMouseState(&game.mouseX, &game.mouseY);
    pointerOnPicture(game.mouseX, game.mouseY);  // full screen: back onto the picture
    // 1024 x 768 picture pixels onto the 1280 x 1024 world; 1.33333 is the factor, not 4/3.
    game.cursor.x = game.mouseX * 1.25;
    game.cursor.y = game.mouseY * 1.33333;

    float dx = game.cursor.x - game.ship.x;
    float dy = game.cursor.y - game.ship.y;
    game.cursor.angle = std::atan2((double)dy, (double)dx) / DEG_TO_RAD - 90;
}
