// The switchable GL layer: every GL and GLU call of the show goes through the table `glapi`,
// which points at the platform's OpenGL, at the recorder (tests, trace) or at nothing (null).
//
// Code includes this header instead of <GL/gl.h> and still reads `glBegin(GL_LINES)`: each GL
// name below is a macro for the table entry of the same name (`glBegin` -> `glapi.glBegin`).
// A macro does not expand inside its own expansion, so the entry keeps the GL name.
//
// Back ends are chosen at run time and may be switched between frames, never inside a
// glBegin/glEnd batch:
//   gl_use_platform()  the real OpenGL and GLU of the current context (live show, renderer)
//   gl_use_recorder()  a software model of the state the show relies on, logging every batch
//                      (engine/glrecorder.h); no context needed
//   gl_use_null()      does nothing; queries answer as a fresh context would
//   gl_use_es3()       OpenGL ES 3.0 (WebGL 2 in a browser) of the current context, drawing each
//                      batch with shaders over the recorder's state model (engine/gles3.h)
// The table starts on the null back end, so nothing can crash before a back end is chosen.
#ifndef ORDUNE_ENGINE_GL_H
#define ORDUNE_ENGINE_GL_H

#include <GL/gl.h>
#include <GL/glu.h>

// X(return type, name, parameter list): every call the show, the toolkit and the tools make.
#define ORDUNE_GL_CALLS(X)                                                                         \
    X(void, glBegin, (GLenum mode))                                                                \
    X(void, glEnd, ())                                                                             \
    X(void, glVertex2f, (GLfloat x, GLfloat y))                                                    \
    X(void, glVertex3f, (GLfloat x, GLfloat y, GLfloat z))                                         \
    X(void, glVertex3fv, (const GLfloat* v))                                                       \
    X(void, glColor3f, (GLfloat r, GLfloat g, GLfloat b))                                          \
    X(void, glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))                               \
    X(void, glColor3fv, (const GLfloat* v))                                                        \
    X(void, glColor4fv, (const GLfloat* v))                                                        \
    X(void, glTexCoord2f, (GLfloat s, GLfloat t))                                                  \
    X(void, glEnable, (GLenum cap))                                                                \
    X(void, glDisable, (GLenum cap))                                                               \
    X(GLboolean, glIsEnabled, (GLenum cap))                                                        \
    X(void, glBlendFunc, (GLenum sfactor, GLenum dfactor))                                         \
    X(void, glDepthMask, (GLboolean flag))                                                         \
    X(void, glDepthFunc, (GLenum func))                                                            \
    X(void, glLineWidth, (GLfloat width))                                                          \
    X(void, glPointSize, (GLfloat size))                                                           \
    X(void, glHint, (GLenum target, GLenum mode))                                                  \
    X(void, glShadeModel, (GLenum mode))                                                           \
    X(void, glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a))                        \
    X(void, glClear, (GLbitfield mask))                                                            \
    X(void, glViewport, (GLint x, GLint y, GLsizei w, GLsizei h))                                  \
    X(void, glMatrixMode, (GLenum mode))                                                           \
    X(void, glLoadIdentity, ())                                                                    \
    X(void, glLoadMatrixf, (const GLfloat* m))                                                     \
    X(void, glMultMatrixf, (const GLfloat* m))                                                     \
    X(void, glPushMatrix, ())                                                                      \
    X(void, glPopMatrix, ())                                                                       \
    X(void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z))                                       \
    X(void, glRotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z))                           \
    X(void, glScalef, (GLfloat x, GLfloat y, GLfloat z))                                           \
    X(void, glOrtho,                                                                               \
      (GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zn, GLdouble zf))    \
    X(void, glPushAttrib, (GLbitfield mask))                                                       \
    X(void, glPopAttrib, ())                                                                       \
    X(void, glGenTextures, (GLsizei n, GLuint * textures))                                         \
    X(void, glDeleteTextures, (GLsizei n, const GLuint* textures))                                 \
    X(void, glBindTexture, (GLenum target, GLuint texture))                                        \
    X(void, glTexParameteri, (GLenum target, GLenum pname, GLint param))                           \
    X(void, glTexParameterf, (GLenum target, GLenum pname, GLfloat param))                         \
    X(void, glTexImage2D,                                                                          \
      (GLenum target, GLint level, GLint internalformat, GLsizei w, GLsizei h, GLint border,       \
       GLenum format, GLenum type, const GLvoid* pixels))                                          \
    X(void, glCopyTexImage2D,                                                                      \
      (GLenum target, GLint level, GLenum internalformat, GLint x, GLint y, GLsizei w, GLsizei h,  \
       GLint border))                                                                              \
    X(void, glGetFloatv, (GLenum pname, GLfloat * params))                                         \
    X(void, glGetIntegerv, (GLenum pname, GLint * params))                                         \
    X(void, glPixelStorei, (GLenum pname, GLint param))                                            \
    X(void, glReadPixels,                                                                          \
      (GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, GLvoid * pixels))       \
    X(void, glFinish, ())                                                                          \
    X(void, gluPerspective, (GLdouble fovy, GLdouble aspect, GLdouble zn, GLdouble zf))            \
    X(void, gluLookAt,                                                                             \
      (GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux,  \
       GLdouble uy, GLdouble uz))                                                                  \
    X(GLint, gluBuild2DMipmaps,                                                                    \
      (GLenum target, GLint components, GLint w, GLint h, GLenum format, GLenum type,              \
       const void* data))

#define ORDUNE_GL_FIELD(ret, name, params) ret(*name) params;
struct GlApi {
    ORDUNE_GL_CALLS(ORDUNE_GL_FIELD)
};
#undef ORDUNE_GL_FIELD

// The table in force. Written only by the gl_use_* functions.
extern GlApi glapi;

enum GlBackend { GL_BACKEND_NULL, GL_BACKEND_RECORDER, GL_BACKEND_PLATFORM, GL_BACKEND_ES3 };

void gl_use_platform(); // absent from builds without desktop OpenGL (ORDUNE_GL_NO_PLATFORM)
void gl_use_recorder(); // also clears the recorder's log and state (gl_recorder_reset)
void gl_use_null();
// Needs a current OpenGL ES 3.0 context, which the back end then owns: it sets up its shaders
// and buffers there and starts from a fresh context's state with that context's viewport. On
// failure keeps the back end in force and sets *why to one line naming the cause (valid until
// the next call). Reads, clears and copies see every batch drawn; a frame shown by a buffer swap
// needs gles3_flush() (engine/gles3.h) before it.
bool gl_use_es3(const char** why);
GlBackend gl_backend();

// The tables themselves, for code that wants to call one back end directly.
extern const GlApi gl_platform_api;
extern const GlApi gl_recorder_api;
extern const GlApi gl_null_api;

// Names of GL enums, for logs and traces; a number in hex for anything unknown. Primitive
// modes have their own function, since their values overlap GL_ZERO and GL_ONE.
const char* gl_prim_name(GLenum prim); // "GL_LINES"
const char* gl_enum_name(GLenum e);    // "GL_SRC_ALPHA", "GL_BLEND"

// The redirections. Back-end files define ORDUNE_GL_NO_MACROS to reach the real functions.
#ifndef ORDUNE_GL_NO_MACROS
#define glBegin glapi.glBegin
#define glEnd glapi.glEnd
#define glVertex2f glapi.glVertex2f
#define glVertex3f glapi.glVertex3f
#define glVertex3fv glapi.glVertex3fv
#define glColor3f glapi.glColor3f
#define glColor4f glapi.glColor4f
#define glColor3fv glapi.glColor3fv
#define glColor4fv glapi.glColor4fv
#define glTexCoord2f glapi.glTexCoord2f
#define glEnable glapi.glEnable
#define glDisable glapi.glDisable
#define glIsEnabled glapi.glIsEnabled
#define glBlendFunc glapi.glBlendFunc
#define glDepthMask glapi.glDepthMask
#define glDepthFunc glapi.glDepthFunc
#define glLineWidth glapi.glLineWidth
#define glPointSize glapi.glPointSize
#define glHint glapi.glHint
#define glShadeModel glapi.glShadeModel
#define glClearColor glapi.glClearColor
#define glClear glapi.glClear
#define glViewport glapi.glViewport
#define glMatrixMode glapi.glMatrixMode
#define glLoadIdentity glapi.glLoadIdentity
#define glLoadMatrixf glapi.glLoadMatrixf
#define glMultMatrixf glapi.glMultMatrixf
#define glPushMatrix glapi.glPushMatrix
#define glPopMatrix glapi.glPopMatrix
#define glTranslatef glapi.glTranslatef
#define glRotatef glapi.glRotatef
#define glScalef glapi.glScalef
#define glOrtho glapi.glOrtho
#define glPushAttrib glapi.glPushAttrib
#define glPopAttrib glapi.glPopAttrib
#define glGenTextures glapi.glGenTextures
#define glDeleteTextures glapi.glDeleteTextures
#define glBindTexture glapi.glBindTexture
#define glTexParameteri glapi.glTexParameteri
#define glTexParameterf glapi.glTexParameterf
#define glTexImage2D glapi.glTexImage2D
#define glCopyTexImage2D glapi.glCopyTexImage2D
#define glGetFloatv glapi.glGetFloatv
#define glGetIntegerv glapi.glGetIntegerv
#define glPixelStorei glapi.glPixelStorei
#define glReadPixels glapi.glReadPixels
#define glFinish glapi.glFinish
#define gluPerspective glapi.gluPerspective
#define gluLookAt glapi.gluLookAt
#define gluBuild2DMipmaps glapi.gluBuild2DMipmaps
#endif

#endif
