// The web build's stand-in for libepoxy's header: Emscripten's GL headers, whose desktop names
// (enumerants of the fixed pipeline among them) the sources share with the desktop build, and
// libepoxy's three queries answered for the WebGL 1 context. Only what WebGL 1 offers links: an entry
// point beyond GL ES 2.0 is an undefined symbol at link time, not a call that fails later.
#pragma once
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

// A WebGL 1 context is GL ES 2.0; libepoxy gives an ES context's version as 10 x its ES version.
inline int epoxy_gl_version() { return 20; }
inline bool epoxy_is_desktop_gl() { return false; }
// Emscripten lists WebGL's extensions with the "GL_" prefix, as GL does.
inline bool epoxy_has_gl_extension(const char* name) {
  const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  const size_t length = std::strlen(name);
  for (const char* at = list; at != nullptr && (at = std::strstr(at, name)) != nullptr; at += length) {
    const bool starts = at == list || at[-1] == ' ';
    if (starts && (at[length] == ' ' || at[length] == '\0')) return true;
  }
  return false;
}
