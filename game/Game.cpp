// Game.cpp -- start-up of the objects, the order of one frame's steps, and presenting the frame.
#include "game/Game.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "game/Cursor.h"
#include "game/Exhaust.h"
#include "game/Firing.h"
#include "game/RockPass.h"
#include "game/Video.h"
#include "platform/Platform.h"

static const char* const STARFIELD = "starfield.bmp";

// Textured and blended draws, stacked by draw order alone: set once the objects exist, and again with
// each new OpenGL context.
static void drawingState()
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
}

// A new OpenGL context knows none of the textures: each object loads its picture again, from the file
// it loaded at start-up. Each old name is cleared first, for a picture that fails now must not show
// whatever the new context gives that name.
static void reloadPictures(Game& game)
{
    auto reload = [](Sprite& sprite, const char* file) {
        sprite.texture = 0;
        sprite.load(file);
    };
    for (Ball& ball : game.balls) reload(ball, Ball::IMAGE);
    for (Bullet& bullet : game.bullets) reload(bullet, Bullet::IMAGE);
    for (Rock& rock : game.rocks) reload(rock, Rock::IMAGE);
    reload(game.ship, Ship::IMAGE);
    reload(game.starfield, STARFIELD);
    for (int i = 0; i < game.cursor.frameCount; i++) game.cursor.textures[i] = 0;
    loadCursorFrames(game.cursor);
}

// F11 (the habit on Linux) or Alt+Enter (on Windows), where the game itself goes full screen.
static bool switchesScreen(const SDL_keysym& key)
{
    return platformSwitchesScreen() && (key.sym == SDLK_F11 || (key.sym == SDLK_RETURN && (key.mod & KMOD_ALT)));
}

void setUpGame(Game& game)
{
    for (Ball& ball : game.balls) ball.init();
    for (Bullet& bullet : game.bullets) bullet.init();
    for (Rock& rock : game.rocks) rock.init();
    game.ship.init();

    // The square backdrop covers the whole world and reaches 256 units below it.
    game.starfield.load(STARFIELD);
    game.starfield.x = 640;
    game.starfield.y = 640;
    game.starfield.angle = 0;
    game.starfield.w = 1280;
    game.starfield.h = 1280;

    setUpCursor(game.cursor);

    game.nextBall = 0;
    game.wave = 1;
    game.ballToggle = true;
    game.shipHit = false;
    game.spacebar = false;

    drawingState();

    game.mouseX = 0;
    game.mouseY = 0;
}

void runFrame(Game& game)
{
    // Drain every event; a quit still lets this frame run to its end. SDL sees the keyboard alone.
    game.pad.releaseKeys(SDL_GetKeyState(nullptr));
    bool switching = false;
    while (SDL_PollEvent(&game.event)) {
        if (game.event.type == SDL_QUIT) game.done = 1;
        if (game.event.type == SDL_KEYDOWN && game.event.key.keysym.sym == SDLK_ESCAPE) game.done = 1;
        if (game.event.type == SDL_KEYDOWN && switchesScreen(game.event.key.keysym)) switching = !switching;
    }
    // Full screen or back before this frame draws; nothing the game plays with changes. Classic SDL
    // lets go of every key as the focus moves with the switch: a key held before it is held after it,
    // until the player lets go of it.
    if (switching) {
        int count = 0;
        Uint8* keys = SDL_GetKeyState(&count);
        std::vector<Uint8> held(keys, keys + count);
        if (switchScreen()) reloadPictures(game);
        std::copy(held.begin(), held.end(), keys);
        drawingState();
    }
    game.keys = SDL_GetKeyState(nullptr);
    game.pad.holdKeys(game.keys);

    // These three see the ship as it stood before its update.
    emitExhaust(game);
    fireBullet(game);
    releaseFire(game);
    game.ship.update(game.keys);

    // Back to front: starfield, ship, balls, bullets, rocks, cursor. A picture nobody will see is not
    // drawn, but every object still steps and the cursor still animates.
    beginPicture(platformPictureSeen());
    game.starfield.draw();
    game.ship.draw();

    for (Ball& ball : game.balls) {
        ball.update();
        if (ball.alive) ball.draw();
    }
    for (Bullet& bullet : game.bullets) {
        bullet.update();
        if (bullet.alive) bullet.draw();
    }

    rockPass(game);

    aimCursor(game);
    game.cursor.draw();
}

void presentFrame()
{
    glFlush();
    SDL_Delay(10);  // the game's pace: one simulation step per frame
    SDL_GL_SwapBuffers();
}
