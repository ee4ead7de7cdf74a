#include "render/mesh.h"

#include "app/gl_context.h"
#include "app/gl_functions.h"
#include "math/mat4.h"
#include "render/shader_locations.h"

#include <algorithm>

namespace {

// The counts are public and may be written directly: never upload past the array.
template <typename Value>
GLsizeiptr uploadSize(int32_t count, const std::vector<Value>& data)
{
    const size_t values = count <= 0 ? 0 : std::min(static_cast<size_t>(count), data.size());
    return static_cast<GLsizeiptr>(values * sizeof(Value));
}

template <typename Value>
void fillBuffer(GLenum target, GLuint buffer, int32_t count, const std::vector<Value>& data)
{
    gl.glBindBuffer(target, buffer);
    gl.glBufferData(target, uploadSize(count, data), data.empty() ? nullptr : data.data(),
                    GL_STATIC_DRAW);
}

} // namespace

void Mesh::createBuffers()
{
    deleteBuffers();
    GLuint names[4] = {};
    gl.glGenBuffers(4, names);
    positionBuffer = names[0];
    colorBuffer = names[1];
    indexBuffer = names[2];
    uvBuffer = names[3];
    uploadBuffers();
}

void Mesh::uploadBuffers()
{
    if (positionBuffer == 0)
        return;
    fillBuffer(GL_ARRAY_BUFFER, positionBuffer, positionFloatCount, positions);
    fillBuffer(GL_ARRAY_BUFFER, colorBuffer, colorFloatCount, colors);
    fillBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer, indexCount, indices);
    fillBuffer(GL_ARRAY_BUFFER, uvBuffer, uvFloatCount, uvs);
}

void Mesh::deleteBuffers()
{
    if (positionBuffer == 0 && colorBuffer == 0 && indexBuffer == 0 && uvBuffer == 0)
        return;
    // Without a context the names are gone with it; there is nothing left to delete.
    if (hasCurrentGlContext()) {
        const GLuint names[4] = {positionBuffer, colorBuffer, indexBuffer, uvBuffer};
        gl.glDeleteBuffers(4, names);
    }
    positionBuffer = colorBuffer = indexBuffer = uvBuffer = 0;
}

void Mesh::draw(const Mat4* matrix) const
{
    // Without buffers, offset 0 would name client memory at address 0: draw nothing.
    if (indexBuffer == 0 || matrix == nullptr)
        return;
    const CurrentShaderLocations& at = currentShaderLocations;
    gl.glUniformMatrix4fv(at.finalMatrix, 1, GL_FALSE, matrix->m);
    gl.glUniform1i(at.texture0, 0);
    gl.glEnableVertexAttribArray(at.inVertex);
    gl.glEnableVertexAttribArray(at.inNormal);
    gl.glEnableVertexAttribArray(at.inTexCoord);
    gl.glBindBuffer(GL_ARRAY_BUFFER, positionBuffer);
    gl.glVertexAttribPointer(at.inVertex, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    gl.glBindBuffer(GL_ARRAY_BUFFER, colorBuffer);
    gl.glVertexAttribPointer(at.inNormal, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    gl.glBindBuffer(GL_ARRAY_BUFFER, uvBuffer);
    gl.glVertexAttribPointer(at.inTexCoord, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_SHORT, nullptr);
    gl.glDisableVertexAttribArray(at.inTexCoord);
    gl.glDisableVertexAttribArray(at.inNormal);
    gl.glDisableVertexAttribArray(at.inVertex);
}
