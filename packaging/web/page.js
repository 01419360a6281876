// page.js -- the page's side of Driftrock, first of its scripts (index.html loads them in order): what
// the page says over the picture (a sentence, and the one button that follows from it), and whatever
// goes wrong that nothing else answers. controls.js holds the five keys, download.js fetches and keeps
// the game, graphics.js asks for WebGL, start.js starts it. Each script keeps its own names in a scope
// of its own and hands the next ones only what they use, through the one name `Driftrock`; the game's
// script (Emscripten's) sees `Module` alone.
"use strict";
window.Driftrock = {};
(() => {
  const $ = (id) => document.getElementById(id);
  const canvas = $("canvas");

  // The browser's SDL listens for the page's unload, to turn it into a quit; the game has nothing to
  // keep, and an unload listener would keep the page out of the browser's back/forward cache.
  const listen = window.addEventListener;
  window.addEventListener = function (type, ...rest) {
    if (type !== "unload") listen.call(this, type, ...rest);
  };
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
  $("again").addEventListener("click", () => location.reload());

  // What the page says over the picture, with the one button that follows from it, if any.
  function say(text, button) {
    $("loading").hidden = true;
    $("message-text").textContent = text;
    for (const b of ["again", "retry"]) $(b).hidden = b !== button;
    $("message").hidden = false;
    if (button) $(button).focus();
  }

  // A host whose security policy forbids what the game needs (its script, unpacked into a blob, or
  // compiling WebAssembly): where the game then cannot start, the page says what the host has to allow.
  // (A browser may report the refusal and let the game run all the same: then it plays, and says nothing.)
  let forbidden = false;
  const POLICY = "The site showing Driftrock forbids what the game needs: its Content-Security-Policy has to " +
                 "allow scripts from blob: and 'wasm-unsafe-eval' in script-src.";
  document.addEventListener("securitypolicyviolation", (e) => {
    forbidden = forbidden || (/^(script-src|default-src)/.test(e.effectiveDirective) && /^(blob|wasm-eval)/.test(e.blockedURI));
    if (forbidden && window.Module && Module.halted) say(POLICY);  // heard after the game stopped
  });

  // Whatever goes wrong that nothing else answers, while the game starts or plays (the game's script
  // throwing where the browser's graphics refused it, say): a sentence and a fresh start, never a
  // "Loading" that stays or a picture that freezes without a word. A sentence already shown stands.
  function stopped(what) {
    console.error("Driftrock stopped:", what);
    if (window.Module) Module.halted = true;
    if (!$("message").hidden) return;
    if (forbidden) say(POLICY);
    else say("Driftrock stopped with an error it cannot recover from.", "again");
  }
  window.addEventListener("error", (e) => e instanceof ErrorEvent && stopped(e.message));
  window.addEventListener("unhandledrejection", (e) => stopped(e.reason));

  Driftrock.page = { $, canvas, say, stopped };
})();
