// node_stand_ins.js -- replay under Node.js has no browser and so no OpenGL: every drawing call of a
// frame does nothing. The rules read nothing back from them, so the digests are the real ones.
mergeInto(LibraryManager.library, {
  glBindTexture: function() {}, glBlendFunc: function() {}, glDrawArrays: function() {},
  glClear: function() {}, glClearColor: function() {}, glClearDepth: function() {}, glDepthFunc: function() {},
  glEnable: function() {}, glDisable: function() {}, glFlush: function() {}, glGenTextures: function() {},
  glHint: function() {}, glLoadIdentity: function() {}, glMatrixMode: function() {}, glOrtho: function() {},
  glPixelStorei: function() {}, glPushMatrix: function() {}, glPopMatrix: function() {}, glRotatef: function() {},
  glTranslatef: function() {}, glShadeModel: function() {}, glTexCoordPointer: function() {}, glVertexPointer: function() {},
  glEnableClientState: function() {}, glTexImage2D: function() {}, glTexParameteri: function() {}, glViewport: function() {},
});
