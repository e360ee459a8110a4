// Headless GL and GLES 3 through EGL. GPU devices are tried first so that a machine with a driver
// renders on it; Mesa lists its software rasteriser as a device too, and that one is reached
// through the surfaceless platform instead, which works on machines with no render node at all.
#define ORDUNE_GL_NO_MACROS
#include "tools/egl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>

static EGLDisplay display = EGL_NO_DISPLAY;
static EGLContext context = EGL_NO_CONTEXT;
static EGLSurface surface = EGL_NO_SURFACE;

static bool has_extension(const char* list, const char* name) {
    if (!list)
        return false;
    size_t n = strlen(name);
    for (const char* p = list; (p = strstr(p, name)) != nullptr; p += n)
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0'))
            return true;
    return false;
}

static void release_display() {
    if (display == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface != EGL_NO_SURFACE)
        eglDestroySurface(display, surface);
    if (context != EGL_NO_CONTEXT)
        eglDestroyContext(display, context);
    eglTerminate(display);
    display = EGL_NO_DISPLAY;
    context = EGL_NO_CONTEXT;
    surface = EGL_NO_SURFACE;
}

// What differs between a desktop OpenGL and an OpenGL ES 3 context.
struct ContextKind {
    EGLenum api;
    EGLint renderable;
    const EGLint* context_attribs;
    const char* no_api;     // why, when EGL does not offer the API
    const char* no_context; // why, when the context cannot be made
};

static const EGLint desktop_attribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                         EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
static const ContextKind desktop = {EGL_OPENGL_API, EGL_OPENGL_BIT, desktop_attribs,
                                    "EGL offers no desktop OpenGL",
                                    "EGL cannot create an OpenGL compatibility-profile context"};
static const EGLint es3_attribs[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0,
                                     EGL_NONE};
static const ContextKind es3 = {EGL_OPENGL_ES_API, EGL_OPENGL_ES3_BIT, es3_attribs,
                                "EGL offers no OpenGL ES",
                                "EGL cannot create an OpenGL ES 3.0 context"};

// Builds context and pbuffer on an initialised display; releases it again on failure.
static bool open_on(EGLDisplay d, const ContextKind& kind, int w, int h, std::string* why) {
    display = d;
    if (!eglBindAPI(kind.api)) {
        *why = kind.no_api;
        release_display();
        return false;
    }
    const EGLint config_attribs[] = {EGL_SURFACE_TYPE,
                                     EGL_PBUFFER_BIT,
                                     EGL_RENDERABLE_TYPE,
                                     kind.renderable,
                                     EGL_RED_SIZE,
                                     8,
                                     EGL_GREEN_SIZE,
                                     8,
                                     EGL_BLUE_SIZE,
                                     8,
                                     EGL_ALPHA_SIZE,
                                     8,
                                     EGL_DEPTH_SIZE,
                                     24,
                                     EGL_NONE};
    EGLConfig config;
    EGLint configs = 0;
    if (!eglChooseConfig(d, config_attribs, &config, 1, &configs) || configs < 1) {
        *why = "EGL has no RGBA8 pbuffer configuration with a depth buffer";
        release_display();
        return false;
    }
    context = eglCreateContext(d, config, EGL_NO_CONTEXT, kind.context_attribs);
    if (context == EGL_NO_CONTEXT) {
        *why = kind.no_context;
        release_display();
        return false;
    }
    const EGLint surface_attribs[] = {EGL_WIDTH, w, EGL_HEIGHT, h, EGL_NONE};
    surface = eglCreatePbufferSurface(d, config, surface_attribs);
    if (surface == EGL_NO_SURFACE) {
        *why = "EGL cannot create a " + std::to_string(w) + "x" + std::to_string(h) + " pbuffer";
        release_display();
        return false;
    }
    if (!eglMakeCurrent(d, surface, surface, context)) {
        *why = "EGL cannot make the context current";
        release_display();
        return false;
    }
    return true;
}

static bool initialise(EGLDisplay d) {
    EGLint major, minor;
    return d != EGL_NO_DISPLAY && eglInitialize(d, &major, &minor);
}

static bool open_on_device(const ContextKind& kind, int w, int h) {
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!has_extension(client, "EGL_EXT_platform_device") ||
        !has_extension(client, "EGL_EXT_device_enumeration"))
        return false;
    auto query_devices = (PFNEGLQUERYDEVICESEXTPROC)eglGetProcAddress("eglQueryDevicesEXT");
    auto query_string =
        (PFNEGLQUERYDEVICESTRINGEXTPROC)eglGetProcAddress("eglQueryDeviceStringEXT");
    if (!query_devices || !query_string)
        return false;
    enum { MAX_DEVICES = 16 };
    EGLDeviceEXT devices[MAX_DEVICES];
    EGLint n = 0;
    if (!query_devices(MAX_DEVICES, devices, &n))
        return false;
    for (EGLint i = 0; i < n; i++) {
        if (has_extension(query_string(devices[i], EGL_EXTENSIONS), "EGL_MESA_device_software"))
            continue;
        EGLDisplay d = eglGetPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
        std::string ignored;
        if (initialise(d) && open_on(d, kind, w, h, &ignored))
            return true;
    }
    return false;
}

static bool open_kind(const ContextKind& kind, int w, int h, std::string* why) {
    if (open_on_device(kind, w, h))
        return true;
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!has_extension(client, "EGL_MESA_platform_surfaceless")) {
        *why = "no EGL device with OpenGL and no Mesa surfaceless platform (is libegl-mesa0 "
               "installed?)";
        return false;
    }
    EGLDisplay d =
        eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (!initialise(d)) {
        *why = "EGL cannot initialise Mesa's surfaceless platform";
        return false;
    }
    return open_on(d, kind, w, h, why);
}

bool egl_open(int w, int h, std::string* why) {
    return open_kind(desktop, w, h, why);
}

bool egl_open_es3(int w, int h, std::string* why) {
    return open_kind(es3, w, h, why);
}

std::string egl_renderer() {
    const char* renderer = (const char*)glGetString(GL_RENDERER);
    const char* version = (const char*)glGetString(GL_VERSION);
    // An ES context's version string names the API itself: "OpenGL ES 3.2 Mesa 22.3.6".
    std::string v = version ? version : "?";
    return std::string(renderer ? renderer : "?") + ", " +
           (v.compare(0, 6, "OpenGL") == 0 ? v : "OpenGL " + v);
}

void egl_close() {
    release_display();
}
