/* NodeStandIns.c -- replay under Node.js has no browser and so no OpenGL: the drawing calls of a frame
   do nothing. The rules never read anything back from them, so the digests are the real ones. */
#include <GL/gl.h>

void glBegin(GLenum mode) { (void)mode; }
void glEnd(void) {}
void glBindTexture(GLenum target, GLuint texture) { (void)target, (void)texture; }
void glBlendFunc(GLenum s, GLenum d) { (void)s, (void)d; }
void glClear(GLbitfield mask) { (void)mask; }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { (void)r, (void)g, (void)b, (void)a; }
void glClearDepth(GLclampd depth) { (void)depth; }
void glDepthFunc(GLenum func) { (void)func; }
void glEnable(GLenum cap) { (void)cap; }
void glDisable(GLenum cap) { (void)cap; }
void glFlush(void) {}
void glGenTextures(GLsizei n, GLuint* textures) { while (n-- > 0) textures[n] = 0; }
void glHint(GLenum target, GLenum mode) { (void)target, (void)mode; }
void glLoadIdentity(void) {}
void glMatrixMode(GLenum mode) { (void)mode; }
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) { (void)l, (void)r, (void)b, (void)t, (void)n, (void)f; }
void glPixelStorei(GLenum name, GLint param) { (void)name, (void)param; }
void glPushMatrix(void) {}
void glPopMatrix(void) {}
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) { (void)a, (void)x, (void)y, (void)z; }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { (void)x, (void)y, (void)z; }
void glShadeModel(GLenum mode) { (void)mode; }
void glTexCoord2f(GLfloat s, GLfloat t) { (void)s, (void)t; }
void glTexCoord2i(GLint s, GLint t) { (void)s, (void)t; }
void glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border, GLenum format,
                  GLenum type, const GLvoid* pixels)
{
    (void)target, (void)level, (void)internal, (void)w, (void)h, (void)border, (void)format, (void)type, (void)pixels;
}
void glTexParameteri(GLenum target, GLenum name, GLint param) { (void)target, (void)name, (void)param; }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { (void)x, (void)y, (void)z; }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { (void)x, (void)y, (void)w, (void)h; }
