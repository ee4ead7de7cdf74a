#pragma once

// Which OpenGL the context speaks. Desktop OpenGL (2.1 or later) is what the game is written
// for; OpenGL ES 2.0 (WebGL 1 in a browser) has a narrower shading language (its own shader
// files), no blue-first pixel formats, no border clamping and, for textures whose sides are
// not powers of two, no repeating. The few places that differ ask glDialect().
enum class GlDialect { Desktop, Es2 };

// The dialect of the context that was current at the last detectGlDialect(); Desktop before.
GlDialect glDialect();

// Reads GL_VERSION of the current context and keeps the dialect it names. Start-up calls it
// right after fetching the entry points.
void detectGlDialect();

// Keeps the given dialect instead (tests run the ES paths on a desktop context).
void useGlDialect(GlDialect dialect);

// The dialect a GL_VERSION string names: ES when it starts with "OpenGL ES".
GlDialect glDialectFromVersion(const char* version);
