// Pad.cpp -- the pads' keys in and out of SDL's key state, and the pads opened, watched and closed.
#include "game/Pad.h"

#include "platform/Platform.h"

// The key a bit holds: padKeys's order.
static const SDLKey SYMS[5] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE};

// SDL 1.2 knows no layout. The first two axes are the first stick on every pad, and the first hat its
// d-pad (on Windows and the SDL2-based library; classic SDL on Linux may give it as axes 6 and 7). Any
// button fires: the face buttons come first on some pads and the triggers are buttons on others, and
// firing is all a button can do.
unsigned padKeys(int x, int y, Uint8 hat, bool button)
{
    unsigned keys = 0;
    if (y < -PAD_DEAD_ZONE || (hat & SDL_HAT_UP)) keys |= 1;
    if (y > PAD_DEAD_ZONE || (hat & SDL_HAT_DOWN)) keys |= 2;
    if (x < -PAD_DEAD_ZONE || (hat & SDL_HAT_LEFT)) keys |= 4;
    if (x > PAD_DEAD_ZONE || (hat & SDL_HAT_RIGHT)) keys |= 8;
    if (button) keys |= 16;
    return keys;
}

void Pad::releaseKeys(Uint8* keys)
{
    for (int i = 0; i < 5; i++)
        if (added & (1u << i)) keys[SYMS[i]] = 0;
    added = 0;
}

void Pad::holdKeys(Uint8* keys)
{
    if (!on) return;
    // SDL says nothing when a pad arrives or goes: now and then a look for pads while none plays, or a
    // check that those that play are still there.
    if ((Sint32)(SDL_GetTicks() - nextLook) >= 0) {
        if (count == 0) look();
        else if (!platformPadsPresent()) close();
        nextLook = SDL_GetTicks() + (count == 0 ? PAD_LOOK_MS : PAD_CHECK_MS);
    }
    if (count == 0) return;
    SDL_JoystickUpdate();
    unsigned held = 0;
    for (int p = 0; p < count; p++) {
        SDL_Joystick* stick = sticks[p];
        bool button = false;
        for (int b = 0; b < SDL_JoystickNumButtons(stick); b++) button = button || SDL_JoystickGetButton(stick, b);
        // A stick counts once it has been seen at rest: pedals, or a device whose stick rests off
        // centre, would otherwise hold a key for ever, which the keyboard could never let go of.
        int axis[2] = {};
        for (int a = 0; a < 2 && a < SDL_JoystickNumAxes(stick); a++) {
            axis[a] = SDL_JoystickGetAxis(stick, a);
            rested[p][a] = rested[p][a] || (axis[a] >= -PAD_DEAD_ZONE && axis[a] <= PAD_DEAD_ZONE);
            if (!rested[p][a]) axis[a] = 0;
        }
        held |= padKeys(axis[0], axis[1], SDL_JoystickNumHats(stick) > 0 ? SDL_JoystickGetHat(stick, 0) : SDL_HAT_CENTERED,
                        button);
    }
    hold(keys, held);
}

void Pad::hold(Uint8* keys, unsigned held)
{
    for (int i = 0; i < 5; i++) {
        if ((held & (1u << i)) && !keys[SYMS[i]]) {
            keys[SYMS[i]] = 1;
            added |= 1u << i;
        }
    }
}

// SDL 1.2 finds its pads as its joystick part starts, so it starts anew for each look; between frames it
// runs only while pads play. (The SDL2-based runtime counts its starts: a stop too many would stop its
// events with it, the keyboard's and the mouse's.) A joystick with no buttons is a sensor (a laptop's
// tilt), not a pad. Failures are quiet: the keyboard still plays.
void Pad::look()
{
    if (!platformBeginPadLook() || SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
    SDL_JoystickEventState(SDL_IGNORE);  // read here, once a frame; no events pile up
    for (int i = 0; i < SDL_NumJoysticks() && count < 4; i++) {
        SDL_Joystick* stick = SDL_JoystickOpen(i);
        if (stick && SDL_JoystickNumButtons(stick) > 0) {
            rested[count][0] = rested[count][1] = false;
            sticks[count++] = stick;
        }
        else if (stick) SDL_JoystickClose(stick);
    }
    if (count == 0 || !platformPadsPresent()) close();
}

void Pad::close()
{
    for (int p = 0; p < count; p++) SDL_JoystickClose(sticks[p]);
    count = 0;
    if (SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}
