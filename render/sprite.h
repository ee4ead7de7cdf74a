#pragma once

#include "math/mat4.h"
#include "math/vec.h"

class Camera;
class Collider;
class Mesh;
class Texture;

// The placed part of a drawable: a position, a rotation about z and a working model-view
// matrix, with the links to the shared mesh, texture and camera. Plain: no virtual
// operations. The links are non-owning; the scene owns what they point to and outlives
// every sprite.
class SpriteBase {
public:
    // World position. The game writes these directly between frames and between two draws
    // of the same sprite.
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    void setRotation(float degrees) { rotation_ = degrees; }
    float rotation() const { return rotation_; }

    Mesh* mesh() const { return mesh_; }
    Texture* texture() const { return texture_; }
    Camera* camera() const { return camera_; }
    const Mat4& matrix() const { return matrix_; }

    // Operations on the working matrix M; every step is a post-multiplication M := M * X.
    void loadMatrix(const float* values);
    void translate(float tx, float ty, float tz);
    void rotateZ(float radians);
    void applyScale(float sx, float sy, float sz);
    // The axis must be a unit vector.
    void rotateAxis(float radians, float ax, float ay, float az);
    // M := a * b; a or b may be this sprite's own matrix.
    void multiplyMatrix(const Mat4& a, const Mat4& b);

protected:
    Mat4 matrix_;
    Mesh* mesh_ = nullptr;
    Texture* texture_ = nullptr;
    Camera* camera_ = nullptr;
    float rotation_ = 0.0f;
};

// An instance of a shared mesh placed by position, rotation about z, scale and anchor, seen
// through a shared camera. The anchor is the mesh point placed at the position and about
// which the sprite turns and scales.
class Sprite : public SpriteBase {
public:
    // Position, links, rotation 0, anchor (0, 0) and scale (0, 0, 0): a sprite must be given
    // a scale before it shows anything.
    void init(float px, float py, float pz, Mesh* mesh, Texture* texture, Camera* camera);
    void setScale(float sx, float sy, float sz);
    void setAnchor(float ax, float ay);
    void setCollider(Collider* collider) { collider_ = collider; }

    float anchorX() const { return anchorX_; }
    float anchorY() const { return anchorY_; }
    float scaleX() const { return scaleX_; }
    float scaleY() const { return scaleY_; }
    float scaleZ() const { return scaleZ_; }
    Collider* collider() const { return collider_; }
    Vec2 previousPosition() const { return Vec2(previousX_, previousY_); }

    // Rebuilds M as view * T(position) * Rz(rotation) * S(scale) * T(-anchor). When the bound
    // program has no "mvMat", the projection is folded in; otherwise M goes to "mvMat" and the
    // projection is the caller's. Then binds the texture and draws the mesh with M.
    // A sprite without a mesh or a camera draws nothing; one without a texture draws with
    // whatever texture is bound.
    void draw();

    // The world point, in the xy plane, of a point given in mesh coordinates; the caller
    // passes the sine and cosine of the rotation.
    Vec2 worldPoint(float localX, float localY, float sine, float cosine) const;

    // Keeps the current x and y as the previous position.
    void rememberPosition();

private:
    float anchorX_ = 0.0f;
    float anchorY_ = 0.0f;
    float scaleX_ = 0.0f;
    float scaleY_ = 0.0f;
    float scaleZ_ = 0.0f;
    float previousX_ = 0.0f;
    float previousY_ = 0.0f;
    Collider* collider_ = nullptr;
};
