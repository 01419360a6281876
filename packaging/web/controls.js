// controls.js -- the game's five keys as the page holds them: touch buttons, gamepads, the keyboard
// (never scrolling the page), full screen, and the controls line the device shows. Hands on heldKeys()
// and letGoOfTaps(), which the game calls each frame.
"use strict";
(() => {
  const { $, canvas } = Driftrock.page;

  // The five keys the page holds, one bit a key in the order PlatformWeb reads them.
  const BIT = { Fire: 1, Thrust: 2, Reverse: 4, "Turn right": 8, "Turn left": 16 };
  const buttons = [...document.querySelectorAll("#pad button")];
  const fingers = new Map();  // a touch's identifier -> the control under it
  let tapped = 0;  // pressed since the last frame: a tap shorter than a frame still holds its key for one
  let padSeen = false;

  const bitOf = (button) => BIT[button.getAttribute("aria-label")];
  function touchBits() {
    let bits = 0;
    for (const b of fingers.values()) bits |= bitOf(b);
    return bits;
  }

  // The control under a finger, or none: sliding off a control lets it go, sliding onto one presses it.
  function follow(e) {
    // A finger no longer on the screen (lifted where the page did not hear it) holds nothing.
    const known = new Set([...e.touches, ...e.changedTouches].map((t) => t.identifier));
    for (const id of fingers.keys()) if (!known.has(id)) fingers.delete(id);
    const ours = [...e.changedTouches].filter((t) => e.type === "touchstart" || fingers.has(t.identifier));
    if (!ours.length) return shown();
    if (e.cancelable) e.preventDefault();  // no scrolling, zooming, selecting, long-press menu or imitated mouse
    for (const t of ours) {
      const under = document.elementFromPoint(t.clientX, t.clientY);
      const control = e.type.match(/end|cancel/) ? null : under && under.closest("#pad button");
      if (control && fingers.get(t.identifier) !== control) tapped |= bitOf(control);
      if (control) fingers.set(t.identifier, control);
      else fingers.delete(t.identifier);
    }
    if (e.type === "touchcancel") fingers.clear();  // the browser took the touches: nothing stays held
    shown();
  }
  const shown = () => buttons.forEach((b) => b.classList.toggle("held", [...fingers.values()].includes(b)));
  // The page loses the player (another window, a hidden tab, leaving it): no touch key stays held.
  const letGo = () => (fingers.clear(), shown());
  window.addEventListener("blur", letGo);
  window.addEventListener("pagehide", letGo);
  document.addEventListener("visibilitychange", letGo);
  $("pad").addEventListener("touchstart", follow, { passive: false });
  for (const type of ["touchmove", "touchend", "touchcancel"]) document.addEventListener(type, follow, { passive: false });
  $("pad").addEventListener("contextmenu", (e) => e.preventDefault());

  // The browser's gamepads in their standard mapping: the d-pad or the left stick past its dead zone
  // turns, thrusts and reverses; the bottom face button or the right trigger fires.
  const DEAD_ZONE = 0.4;
  function pads() {  // none where a frame showing the page disallows them (the browser then throws)
    try {
      return (navigator.getGamepads && navigator.getGamepads()) || [];
    } catch (e) {
      return [];
    }
  }
  function padBits() {
    let bits = 0, seen = false;
    for (const pad of pads()) {
      if (!pad || pad.connected === false) continue;
      seen = true;
      const down = (i) => pad.buttons[i] && (pad.buttons[i].pressed || pad.buttons[i].value > 0.5);
      const [x = 0, y = 0] = pad.axes;
      if (down(0) || down(7)) bits |= BIT.Fire;
      if (down(12) || y < -DEAD_ZONE) bits |= BIT.Thrust;
      if (down(13) || y > DEAD_ZONE) bits |= BIT.Reverse;
      if (down(15) || x > DEAD_ZONE) bits |= BIT["Turn right"];
      if (down(14) || x < -DEAD_ZONE) bits |= BIT["Turn left"];
    }
    if (seen !== padSeen) $("pad-line").hidden = !(padSeen = seen);
    return bits;
  }
  window.addEventListener("gamepadconnected", padBits);
  window.addEventListener("gamepaddisconnected", padBits);

  // The keyboard, full screen, and the device's own controls line.
  const touch = navigator.maxTouchPoints > 0 || matchMedia("(any-pointer: coarse)").matches;
  document.body.classList.toggle("touch", touch);
  $("keys-line").hidden = touch;
  $("touch-line").hidden = !touch;

  // The game's keys play the game; they never scroll the page. Space on a focused button (Play again)
  // presses it: the browser's SDL, which would take it for the game's and cancel it, never hears it. In
  // full screen the browser takes the first Escape to leave full screen: that press is not the game's,
  // and only the next one ends it.
  let leftFullScreen = -1e9;
  const buttonSpace = (e) => e.target instanceof HTMLButtonElement && [" ", "Spacebar"].includes(e.key);
  window.addEventListener("keyup", (e) => buttonSpace(e) && e.stopPropagation(), true);
  window.addEventListener("keydown", (e) => {
    if (buttonSpace(e)) return e.stopPropagation();
    if (["ArrowUp", "ArrowDown", "ArrowLeft", "ArrowRight", " ", "Spacebar"].includes(e.key)) e.preventDefault();
    if (e.key === "Escape" && (document.fullscreenElement || performance.now() - leftFullScreen < 500)) e.stopImmediatePropagation();
  }, true);
  // A click gives the game the keyboard back (after the page lost it to another element or window).
  canvas.addEventListener("mousedown", () => canvas.focus());
  // Tab moves the keyboard between the page's controls: the browser's SDL, which would cancel it, never
  // hears it. The picture shows that it has the keyboard where Tab brought it there, not where the page
  // gave it by itself or a pointer did: a ring round a picture every player sees would be noise.
  window.addEventListener("keydown", (e) => e.key === "Tab" && (document.body.classList.add("tabbing"), e.stopPropagation()), true);
  window.addEventListener("pointerdown", () => document.body.classList.remove("tabbing"), true);

  // (Installed as an app, the game opens full screen already: no button then.)
  if (document.fullscreenEnabled && !matchMedia("(display-mode: fullscreen)").matches) {
    $("fullscreen").hidden = false;
    // The keyboard stays the game's: a button that kept the focus would take Space (fire) as a click, and
    // the browser gives the focus back to it when full screen ends.
    $("fullscreen").addEventListener("mousedown", (e) => e.preventDefault());
    $("fullscreen").onclick = () => canvas.focus() || document.documentElement.requestFullscreen().then(() => {
      if (touch && screen.orientation && screen.orientation.lock) screen.orientation.lock("landscape").catch(() => {});
    }, () => {});
    document.addEventListener("fullscreenchange", () => {
      $("fullscreen").hidden = !!document.fullscreenElement;
      if (!document.fullscreenElement) leftFullScreen = performance.now();
      const offered = ["again", "retry"].map($).find((b) => !b.hidden && !$("message").hidden);
      (offered || canvas).focus();
    });
  }

  Driftrock.controls = {
    heldKeys: () => touchBits() | tapped | padBits(),
    letGoOfTaps: () => (tapped = 0),
  };
})();
