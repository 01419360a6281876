// node_pictures.js -- replay under Node.js, ahead of the game's script: no browser shows its pictures,
// so every other step is played undrawn, as a page plays the steps between its animation frames; the
// golden traces hold either way.
Module.pictureSeen = (() => {
  let seen = false;
  return () => (seen = !seen);
})();
