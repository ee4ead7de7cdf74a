#include "app/gl_functions.h"
#include "math/mat4.h"
#include "render/shader_locations.h"
#include "render/mesh.h"
#include "tests/render/mesh_counts.h"
#include "tests/render/render_test_support.h"
#include "tests/support/gl_call_log.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Two quads side by side in clip space: the left one covers x -1..0, the right one 0..1.
Mesh twoQuads()
{
    return quads({{-1, -1, 0, 1}, {0, -1, 1, 1}});
}

class MeshBuffers : public RenderTest {
protected:
    void prepare() override
    {
        buildProgram(program_, dir_, shaders::kVertexPlain, shaders::kFragmentColour);
        program_.bind();
    }

    int redAfterDrawing(const Mesh& mesh)
    {
        const Mat4 identity = Mat4::identity();
        return drawn([&] { mesh.draw(&identity); }).countRed();
    }

    ShaderProgram program_;
};

} // namespace

TEST(MeshEditing, BuildingAQuadCountsEveryArrayAndSetCountsStaysInsideThem)
{
    Mesh mesh;
    for (int i = 0; i < 4; ++i) {
        mesh.addPosition(1.0f * i, 2, 3);
        mesh.addColor(0.5f, 0.25f, 1);
        mesh.addTexCoord(0, 0.5f * i);
    }
    mesh.addTriangle(0, 1, 2);
    mesh.addTriangle(2, 1, 3);
    EXPECT_EQ(countsOf(mesh), (MeshCounts{0, 0, 0, 0}));
    mesh.updateCounts();
    EXPECT_EQ(countsOf(mesh), (MeshCounts{12, 12, 6, 8}));
    EXPECT_EQ(mesh.colorCount(), 12);
    EXPECT_EQ(mesh.indices, (std::vector<uint16_t>{0, 1, 2, 2, 1, 3}));

    mesh.setColor(3, 9, 8, 7);
    mesh.setTexCoord(2, 6, 5);
    EXPECT_EQ(std::vector<float>(mesh.colors.begin() + 9, mesh.colors.end()),
              (std::vector<float>{9, 8, 7}));
    EXPECT_EQ(mesh.uvs[4], 6);
    EXPECT_EQ(mesh.uvs[5], 5);
    // Vertices that do not exist are left alone.
    mesh.setColor(4, 1, 1, 1);
    mesh.setTexCoord(4, 1, 1);
    EXPECT_EQ(mesh.colors.size(), 12u);
    EXPECT_EQ(mesh.uvs.size(), 8u);

    mesh.setCounts(3, 6, 3, 4);
    EXPECT_EQ(countsOf(mesh), (MeshCounts{3, 6, 3, 4}));
    mesh.setCounts(100, -1, 7, 8);
    EXPECT_EQ(countsOf(mesh), (MeshCounts{12, 0, 6, 8}));
}

TEST_F(MeshBuffers, CreateAndUploadPutTheArraysUpToTheCountsIntoTheFourBuffers)
{
    Mesh mesh = twoQuads();
    GlCallLog log;
    mesh.createBuffers();
    mesh.uploadBuffers();
    // Every upload, the first and the later ones, asks for static storage.
    ASSERT_EQ(log.callsTo("glBufferData").size(), 8u);
    for (const std::string& call : log.callsTo("glBufferData"))
        EXPECT_EQ(call.substr(call.rfind(' ') + 1), std::to_string(GL_STATIC_DRAW)) << call;
    ASSERT_NE(mesh.positionBuffer, 0u);
    EXPECT_EQ(bufferFloats(mesh.positionBuffer), mesh.positions);
    EXPECT_EQ(bufferFloats(mesh.colorBuffer), mesh.colors);
    EXPECT_EQ(bufferShorts(mesh.indexBuffer), mesh.indices);
    EXPECT_EQ(bufferFloats(mesh.uvBuffer), mesh.uvs);

    // Edits reach the same buffers on the next upload; the names do not change.
    const GLuint names[4] = {mesh.positionBuffer, mesh.colorBuffer, mesh.indexBuffer,
                             mesh.uvBuffer};
    mesh.setColor(5, 0.75f, 0.5f, 0.25f);
    mesh.setTexCoord(7, 0.125f, 0.875f);
    mesh.uploadBuffers();
    EXPECT_EQ(bufferFloats(mesh.colorBuffer), mesh.colors);
    EXPECT_EQ(bufferFloats(mesh.uvBuffer)[15], 0.875f);
    const GLuint after[4] = {mesh.positionBuffer, mesh.colorBuffer, mesh.indexBuffer,
                             mesh.uvBuffer};
    EXPECT_TRUE(std::equal(names, names + 4, after));

    // Smaller counts upload only the leading part of each array.
    mesh.setCounts(12, 12, 6, 8);
    mesh.uploadBuffers();
    EXPECT_EQ(bufferFloats(mesh.positionBuffer),
              std::vector<float>(mesh.positions.begin(), mesh.positions.begin() + 12));
    EXPECT_EQ(bufferShorts(mesh.indexBuffer).size(), 6u);
    EXPECT_EQ(bufferFloats(mesh.uvBuffer).size(), 8u);

    // Counts written straight into the fields never upload past the arrays.
    mesh.indexCount = 1000;
    mesh.positionFloatCount = -5;
    mesh.uploadBuffers();
    EXPECT_EQ(bufferShorts(mesh.indexBuffer), mesh.indices);
    EXPECT_TRUE(bufferFloats(mesh.positionBuffer).empty());
}

TEST_F(MeshBuffers, DrawShowsIndexCountIndicesAndAnEmptyMeshShowsNothing)
{
    Mesh mesh = twoQuads();
    mesh.createBuffers();
    const Mat4 identity = Mat4::identity();
    EXPECT_TRUE(drawn([&] { mesh.draw(&identity); }).redExactlyIn({{0, 0, kSide, kSide}}));

    // Six of twelve indices: the left quad only.
    mesh.setCounts(24, 24, 6, 16);
    const Pixels pixels = drawn([&] { mesh.draw(&identity); });
    EXPECT_TRUE(pixels.redExactlyIn({{0, 0, kSide / 2, kSide}}));

    // The colour attribute reaches the shader: corner 3 of the left quad (top right) is
    // (1, 0.375, 0), so green rises from left to right and bottom to top.
    EXPECT_LT(pixels.at(1, 1)[1], pixels.at(30, 62)[1]);

    Mesh empty;
    empty.createBuffers();
    EXPECT_NE(empty.indexBuffer, 0u);
    EXPECT_TRUE(bufferFloats(empty.positionBuffer).empty());
    EXPECT_TRUE(bufferShorts(empty.indexBuffer).empty());
    EXPECT_EQ(redAfterDrawing(empty), 0);

    // A mesh whose buffers were never made draws nothing instead of reading address 0.
    const Mesh unbuffered = twoQuads();
    EXPECT_EQ(redAfterDrawing(unbuffered), 0);
}

TEST_F(MeshBuffers, DrawEnablesTheThreeArraysInOrderAndDisablesThemInReverse)
{
    // A program in which all three attributes are active.
    ShaderProgram textured;
    buildProgram(textured, dir_, shaders::kVertexPlain, shaders::kFragmentTextured);
    textured.bind();
    Mesh mesh = twoQuads();
    mesh.createBuffers();
    GlCallLog log;
    redAfterDrawing(mesh);
    const CurrentShaderLocations& at = currentShaderLocations;
    auto each = [](const char* call, std::initializer_list<GLint> locations) {
        std::vector<std::string> calls;
        for (GLint location : locations)
            calls.push_back(std::string(call) + " " + std::to_string(location));
        return calls;
    };
    EXPECT_EQ(log.callsTo("glEnableVertexAttribArray"),
              each("glEnableVertexAttribArray", {at.inVertex, at.inNormal, at.inTexCoord}));
    EXPECT_EQ(log.callsTo("glDisableVertexAttribArray"),
              each("glDisableVertexAttribArray", {at.inTexCoord, at.inNormal, at.inVertex}));
    for (GLint location : {at.inVertex, at.inNormal, at.inTexCoord}) {
        ASSERT_GE(location, 0);
        GLint enabled = -1;
        glEntry<PFNGLGETVERTEXATTRIBIVPROC>("glGetVertexAttribiv")(
            static_cast<GLuint>(location), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        EXPECT_EQ(enabled, GL_FALSE) << location;
    }
}

TEST_F(MeshBuffers, BuffersAreReleasedOnceByTheirOwnerOnlyAndOnlyWithTheirContext)
{
    GLuint first = 0;
    {
        Mesh mesh = twoQuads();
        mesh.createBuffers();
        first = mesh.positionBuffer;
        EXPECT_TRUE(isBuffer(first));
        mesh.deleteBuffers();
        EXPECT_EQ(mesh.positionBuffer, 0u);
        EXPECT_FALSE(isBuffer(first));
        mesh.deleteBuffers();
    }

    // Moving hands the buffers over; the moved-from mesh releases nothing.
    Mesh owner;
    {
        Mesh source = twoQuads();
        source.createBuffers();
        owner = std::move(source);
        EXPECT_EQ(source.positionBuffer, 0u);
        EXPECT_TRUE(source.positions.empty());
    }
    EXPECT_TRUE(isBuffer(owner.positionBuffer));
    EXPECT_TRUE(isBuffer(owner.indexBuffer));
    EXPECT_EQ(bufferShorts(owner.indexBuffer), owner.indices);
    EXPECT_EQ(redAfterDrawing(owner), kSide * kSide);

    // A second createBuffers replaces the first set instead of leaking it.
    // (GL may hand the freed names out again.)
    const GLuint old[4] = {owner.positionBuffer, owner.colorBuffer, owner.indexBuffer,
                           owner.uvBuffer};
    owner.createBuffers();
    const GLuint renewed[4] = {owner.positionBuffer, owner.colorBuffer, owner.indexBuffer,
                               owner.uvBuffer};
    for (GLuint name : old)
        EXPECT_TRUE(!isBuffer(name) || std::find(renewed, renewed + 4, name) != renewed + 4)
            << name;

    // The four go in one call, and only while their context is current: the driver would
    // ignore calls without one, so only the record shows there are none.
    GlCallLog log;
    {
        Mesh released = twoQuads();
        released.createBuffers();
        log.clear();
    }
    EXPECT_EQ(log.callsTo("glDeleteBuffers"), std::vector<std::string>{"glDeleteBuffers 4 *"});
    log.clear();
    context_.reset();
    owner.deleteBuffers();
    EXPECT_EQ(log.calls(), std::vector<std::string>{});
    EXPECT_EQ(owner.positionBuffer, 0u);
    EXPECT_EQ(owner.uvBuffer, 0u);
}
