// AnimatedSprite.cpp -- frame table set-up, frame loading and the draw-counted animation.
#include "sprite/AnimatedSprite.h"

#include "sprite/Sprite.h"

void AnimatedSprite::setup(int count)
{
    frameCount = count;
    countdown = delay;
    frame = 0;
    step = 1;
    textures = new GLuint[count]();
    start();
    animating = true;
}

void AnimatedSprite::start()
{
    animating = true;
    step = 1;
}

void AnimatedSprite::loadFrame(const char* file, int index)
{
    loadTexture(file, image, surface, textures[index]);
}

void AnimatedSprite::draw()
{
    if (animating) {
        countdown = countdown - 1;
        if (countdown < 0) {
            countdown = delay;
            frame = frame + step;
            // Not a remainder: past the end goes to 0, below 0 to the last frame, whatever the step.
            if (frame >= frameCount) frame = 0;
            if (frame < 0) frame = frameCount - 1;
        }
    }
    drawTexturedQuad(x, y, angle, w, h, textures[frame]);
}
