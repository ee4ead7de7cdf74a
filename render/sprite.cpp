#include "render/sprite.h"

#include "app/gl_functions.h"
#include "math/camera.h"
#include "render/mesh.h"
#include "render/shader_locations.h"
#include "render/texture.h"

#include <cmath>

void SpriteBase::loadMatrix(const float* values)
{
    for (int i = 0; i < 16; ++i)
        matrix_.m[i] = values[i];
}

void SpriteBase::translate(float tx, float ty, float tz)
{
    Mat4::multiply(matrix_, matrix_, Mat4::translation(tx, ty, tz));
}

void SpriteBase::rotateZ(float radians)
{
    Mat4::multiply(matrix_, matrix_, Mat4::rotationZ(radians));
}

void SpriteBase::applyScale(float sx, float sy, float sz)
{
    Mat4::multiply(matrix_, matrix_, Mat4::scaling(sx, sy, sz));
}

void SpriteBase::rotateAxis(float radians, float ax, float ay, float az)
{
    Mat4::multiply(matrix_, matrix_, Mat4::rotationAxis(radians, ax, ay, az));
}

void SpriteBase::multiplyMatrix(const Mat4& a, const Mat4& b)
{
    Mat4::multiply(matrix_, a, b);
}

void Sprite::init(float px, float py, float pz, Mesh* mesh, Texture* texture, Camera* camera)
{
    x = px;
    y = py;
    z = pz;
    mesh_ = mesh;
    texture_ = texture;
    camera_ = camera;
    rotation_ = 0.0f;
    anchorX_ = anchorY_ = 0.0f;
    scaleX_ = scaleY_ = scaleZ_ = 0.0f;
}

void Sprite::setScale(float sx, float sy, float sz)
{
    scaleX_ = sx;
    scaleY_ = sy;
    scaleZ_ = sz;
}

void Sprite::setAnchor(float ax, float ay)
{
    anchorX_ = ax;
    anchorY_ = ay;
}

void Sprite::draw()
{
    if (mesh_ == nullptr || camera_ == nullptr)
        return;
    loadMatrix(camera_->viewMatrix());
    translate(x, y, z);
    rotateZ(static_cast<float>(rotation_ * kDegToRad));
    applyScale(scaleX_, scaleY_, scaleZ_);
    translate(-anchorX_, -anchorY_, 0.0f);
    if (currentShaderLocations.mvMat == -1)
        multiplyMatrix(camera_->projection(), matrix_);
    else
        gl.glUniformMatrix4fv(currentShaderLocations.mvMat, 1, GL_FALSE, matrix_.m);
    if (texture_ != nullptr)
        texture_->bind();
    mesh_->draw(&matrix_);
}

Vec2 Sprite::worldPoint(float localX, float localY, float sine, float cosine) const
{
    if (std::fabs(anchorX_ - localX) < 1e-7 && std::fabs(anchorY_ - localY) < 1e-7)
        return Vec2(x, y);
    const float dx = localX * scaleX_ - scaleX_ * anchorX_;
    const float dy = localY * scaleY_ - scaleY_ * anchorY_;
    return Vec2(dx * cosine - dy * sine + x, dx * sine + dy * cosine + y);
}

void Sprite::rememberPosition()
{
    previousX_ = x;
    previousY_ = y;
}
