#pragma once

class ShaderProgram;

// Built-in stand-ins for a program whose files are missing or do not build: the same
// inputs, drawn flat in magenta so the fault shows. They never replace a working program.
void useFallbackBasicProgram(ShaderProgram& program);
void useFallbackConveyorProgram(ShaderProgram& program);
// The score display's inputs are the basic program's: its stand-in draws the glyphs magenta.
void useFallbackDisplayProgram(ShaderProgram& program);
