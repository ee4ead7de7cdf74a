#pragma once

// True while a GL context is current on this thread. Objects that own GL names check it
// before releasing them, so nothing is released without a context.
bool hasCurrentGlContext();
