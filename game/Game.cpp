// Game.cpp -- start-up of the objects, the order of one frame's steps, and presenting the frame.
#include "game/Game.h"

#include <GL/gl.h>

#include "game/Cursor.h"
#include "game/Exhaust.h"
#include "game/Firing.h"
#include "game/RockPass.h"
#include "platform/Platform.h"

void setUpGame(Game& game)
{
    for (Ball& ball : game.balls) ball.init();
    for (Bullet& bullet : game.bullets) bullet.init();
    for (Rock& rock : game.rocks) rock.init();
    game.ship.init();

    // The square backdrop covers the whole world and reaches 256 units below it.
    game.starfield.load("starfield.bmp");
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

    // From here on every draw is textured and blended, and draw order alone stacks the picture.
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    game.mouseX = 0;
    game.mouseY = 0;
}

void runFrame(Game& game)
{
    // Drain every event; a quit still lets this frame run to its end. SDL sees the keyboard alone.
    game.pad.releaseKeys(SDL_GetKeyState(nullptr));
    while (SDL_PollEvent(&game.event)) {
        if (game.event.type == SDL_QUIT) game.done = 1;
        if (game.event.type == SDL_KEYDOWN && game.event.key.keysym.sym == SDLK_ESCAPE) game.done = 1;
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
