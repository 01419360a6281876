// graphics.js -- WebGL: whether the browser offers it where the game draws, and the picture lost when a
// phone takes the graphics back. Hands on hasWebGL().
"use strict";
(() => {
  const { canvas, say } = Driftrock.page;

  // Whether the browser offers WebGL where the game draws: on the page's own thread, in the game's own
  // canvas. The trial is the game's context, asked for as the browser's SDL asks for it (no alpha, no
  // antialiasing, a depth buffer, no stencil): the game then finds it made, and a slow phone makes one
  // context, not two. A page's first context is slow to make on a phone, so a worker's OffscreenCanvas
  // first readies the graphics off the page's thread; its answer decides nothing, since a browser may
  // offer WebGL in one and not the other (WebKit's workers have none, and a browser with WebGL turned
  // off may still have it in workers). A worker that never answers is given up on after WARM_UP ms.
  const WARM_UP = 1500;
  function hasWebGL() {
    const here = () => {
      try {
        return !!canvas.getContext("webgl", { alpha: false, antialias: false, depth: true, stencil: false });
      } catch (e) {
        return false;
      }
    };
    if (typeof OffscreenCanvas !== "function" || typeof Worker !== "function") return Promise.resolve(here());
    return new Promise((answer) => {
      let worker = null;
      const done = () => {
        clearTimeout(late);
        if (worker) worker.terminate();
        answer(here());
      };
      const late = setTimeout(done, WARM_UP);
      try {
        const ask = "try { new OffscreenCanvas(1, 1).getContext('webgl'); } finally { postMessage(0); }";
        worker = new Worker(URL.createObjectURL(new Blob([ask], { type: "text/javascript" })));
        worker.onmessage = worker.onerror = done;
      } catch (e) {
        done();
      }
    });
  }

  // A phone takes the graphics back from pages in the background: the picture cannot come back, so
  // the game waits and the page offers a fresh start instead of a frozen picture.
  canvas.addEventListener("webglcontextlost", (e) => {
    e.preventDefault();
    Module.halted = true;
    say("The game's picture was lost: the browser took its graphics back, as it may from a page in the background.", "again");
  });

  Driftrock.graphics = { hasWebGL };
})();
