// What the driver offers: the capability record the probe fills at start-up,
// and the entry-point tables every GL extension is called through. Each
// table is declared, fetched and cleared by the one mechanism below, from a
// single list per table, so adding a function is one line.
#pragma once

#include "render/opengl.h"

// Looks an OpenGL entry point up by name; nullptr when the driver lacks it.
using GlProcLookup = void* (*)(const char* name);

#define PLEMOX_DECLARE_ENTRY_POINT(type, name) type name = GlStandIn<type>::call;
#define PLEMOX_FETCH_ENTRY_POINT(type, name)                                             \
    {                                                                                    \
        void* address = lookup ? lookup(#name) : nullptr;                                \
        table.name = address ? reinterpret_cast<type>(address) : GlStandIn<type>::call;  \
        allFound = allFound && address != nullptr;                                       \
    }

// Declares the record Table with one member per entry of LIST (a do-nothing
// stand-in until fetched), fetchEntryPoints(table, lookup), which fetches
// every entry in list order and tells whether all were found (a missing one
// keeps its stand-in), and clearEntryPoints(table).
#define PLEMOX_ENTRY_POINT_TABLE(Table, LIST)                                  \
    struct Table {                                                             \
        LIST(PLEMOX_DECLARE_ENTRY_POINT)                                       \
    };                                                                         \
    inline bool fetchEntryPoints(Table& table, GlProcLookup lookup)            \
    {                                                                          \
        bool allFound = true;                                                  \
        LIST(PLEMOX_FETCH_ENTRY_POINT)                                         \
        return allFound;                                                       \
    }                                                                          \
    inline void clearEntryPoints(Table& table)                                 \
    {                                                                          \
        table = Table();                                                       \
    }

// ---- Multitexturing: every drawing module selects units through these ------

typedef void(APIENTRY* CompressedTexImage2DProc)(GLenum, GLint, GLenum, GLsizei, GLsizei, GLint,
                                                 GLsizei, const void*);
typedef void(APIENTRY* ActiveTextureProc)(GLenum);
typedef void(APIENTRY* MultiTexCoord2fProc)(GLenum, GLfloat, GLfloat);

#define MULTITEXTURE_ENTRY_POINTS(X)                       \
    X(CompressedTexImage2DProc, glCompressedTexImage2DARB) \
    X(ActiveTextureProc, glActiveTexture)                  \
    X(MultiTexCoord2fProc, glMultiTexCoord2f)

PLEMOX_ENTRY_POINT_TABLE(MultitextureEntryPoints, MULTITEXTURE_ENTRY_POINTS)

extern MultitextureEntryPoints multitexture;

// ---- Occlusion queries: the occlusion test where the HP test is missing -----

typedef void(APIENTRY* GenQueriesProc)(GLsizei, GLuint*);
typedef void(APIENTRY* DeleteQueriesProc)(GLsizei, const GLuint*);
typedef void(APIENTRY* BeginQueryProc)(GLenum, GLuint);
typedef void(APIENTRY* EndQueryProc)(GLenum);
typedef void(APIENTRY* GetQueryObjectuivProc)(GLuint, GLenum, GLuint*);

#define OCCLUSION_QUERY_ENTRY_POINTS(X)      \
    X(GenQueriesProc, glGenQueriesARB)       \
    X(DeleteQueriesProc, glDeleteQueriesARB) \
    X(BeginQueryProc, glBeginQueryARB)       \
    X(EndQueryProc, glEndQueryARB)           \
    X(GetQueryObjectuivProc, glGetQueryObjectuivARB)

PLEMOX_ENTRY_POINT_TABLE(OcclusionQueryEntryPoints, OCCLUSION_QUERY_ENTRY_POINTS)

// ---- Program status: whether a program the engine builds for itself linked ---

typedef void(APIENTRY* GetObjectParameterivProc)(GLhandleARB, GLenum, GLint*);

#define PROGRAM_STATUS_ENTRY_POINTS(X) X(GetObjectParameterivProc, glGetObjectParameterivARB)

PLEMOX_ENTRY_POINT_TABLE(ProgramStatusEntryPoints, PROGRAM_STATUS_ENTRY_POINTS)

// ---- The capability record ----------------------------------------------------

// Process-wide, zero before the probe; the start-up question may clear
// floatTexturesEnabled again.
struct GlCapabilities {
    float glVersion = 0.0f;                // leading number of GL_VERSION
    bool generateMipmapSupported = false;  // the driver builds mipmaps (SGIS/SGIX)
    bool floatTexturesEnabled = false;     // GL_ARB_texture_float, and the user did not decline
    float textureAnisotropy = 1.0f;        // set on material textures when above 1; 1 is trilinear
};

extern GlCapabilities glCaps;

// The GL extension string of the current context, or nullptr.
const char* glExtensionString();
