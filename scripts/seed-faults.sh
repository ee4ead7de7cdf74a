#!/usr/bin/env bash
# Measures the suite itself: applies each seeded fault below, one at a time, to a scratch
# copy of the project, rebuilds what the fault touches, runs the tests of the groups named
# for it and reports the first test that caught each fault and the faults that no test
# catches. Not part of CI; it takes a while (a first full build, a run of every group the
# faults name on the unchanged copy, then one incremental build and test run per fault:
# about a quarter of an hour for the whole table on two cores).
#
# Usage: scripts/seed-faults.sh [PATTERN]   only the faults whose name matches PATTERN
#                                            (an extended regular expression: "ortho|lookAt")
# The scratch copy goes to $ZORBEL_SEED_DIR (default: a fresh temporary folder); a second
# run in the same folder reuses its build.
#
# One fault a line:  name | file | test groups | text | replacement
# The text must occur exactly once in the file. In text and replacement "\n" stands for a
# line break and "\\" for a backslash.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
only=${1:-}
scratch=${ZORBEL_SEED_DIR:-$(mktemp -d /tmp/zorbel-seed.XXXXXX)}
src=$scratch/src
build=$scratch/build

# Each test group: the targets its tests need, then the ctest name pattern. The end-to-end
# groups run one script each (10 to 20 s); no group runs the install or package scripts.
declare -A targets=(
  [app]="test_app" [input]="test_input" [math]="test_math" [render]="test_render" [io]="test_io"
  [json]="test_json" [collision]="test_collision" [game]="test_game" [sound]="test_game"
  [audio]="test_audio" [diag]="test_diag" [settings]="test_settings"
  [tools]="zorbel-headless test_tools" [loudness]="test_tools"
  [e2e-shell]="zorbel wm_close" [e2e-game]="zorbel wm_close" [e2e-sound]="zorbel wm_close"
  [e2e-settings]="zorbel wm_close" [e2e-cli]="zorbel wm_close cursor_hidden"
)
declare -A tests=(
  [app]='^(MainLoop|GameWindow|GlFunctions|GlStartup|GlDialect|SdlShell|DataDirectory)\.'
  [input]='^(InputDevice|PadSet|GamePads|SdlPads)\.'
  [math]='^(Vec|Mat4|Camera)\.'
  [io]='^InputFile\.'
  [render]='^(Bmp24Reader|BmpReaders|WideningBmpReader|PngReader|PngContainer|ShaderFile|Mesh[A-Za-z]*|ShaderProgram[A-Za-z]*|Sprite[A-Za-z]*|TextLabel[A-Za-z]*|Texture|TextureOnGl|TextureEs2)\.'
  [json]='^Json'
  [collision]='^Collider\.'
  [game]='^(DamagedData|GameDisplay|GameLayout|GameRender|GameRules|GameShutdownTest|GameTest|GoldenImage|LayoutRandom|PadPlay)[./]'
  [sound]='^(GameSound|SoundLevels)\.'
  [audio]='^(MixerTest|WavReader|WavWriter|SdlAudioOutput)\.'
  [diag]='^Diagnostics\.'
  [settings]='^(SettingsText|SettingsFile|SettingsFileOnLinux|SettingsKeeper|SettingsPlace)\.'
  [tools]='^(tools|KeyScript|Loudness)\.'
  [loudness]='^Loudness\.'
  [e2e-shell]='^e2e\.shell_e2e$'
  [e2e-game]='^e2e\.game_e2e$'
  [e2e-sound]='^e2e\.sound_e2e$'
  [e2e-settings]='^e2e\.settings_e2e$'
  [e2e-cli]='^e2e\.command_line_e2e$'
)

faults() {
  cat <<'FAULTS'
frame counter read before init | app/application.h | app |     if (const int failed = startApplication(window, scene, glStartup, fullScreen); failed != 0)\n        return failed;\n    // The counter is read once init has returned, so loading time stays out of the first frame.\n    auto loop = std::make_shared<FrameLoop<Window, Scene>>(window, scene, clock, clock.counter()); |     const int64_t early = clock.counter();\n    if (const int failed = startApplication(window, scene, glStartup, fullScreen); failed != 0)\n        return failed;\n    auto loop = std::make_shared<FrameLoop<Window, Scene>>(window, scene, clock, early);
Escape toggles on key-up too | app/sdl/game_window.cpp | app |         case SDL_KEYDOWN: |         case SDL_KEYUP:\n        case SDL_KEYDOWN:
depth function less | app/gl_startup.cpp | app | glDepthFunc(GL_LEQUAL); | glDepthFunc(GL_LESS);
no face culling | app/gl_startup.cpp | app | glEnable(GL_CULL_FACE); | glDisable(GL_CULL_FACE);
clear colour alpha 0 | app/gl_startup.cpp | app | glClearColor(1.0f, 1.0f, 1.0f, 1.0f); | glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
additive blending | app/gl_startup.cpp | app | glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); | glBlendFunc(GL_SRC_ALPHA, GL_ONE);
texture unit 1 | app/gl_startup.cpp | app | gl.glActiveTexture(GL_TEXTURE0); | gl.glActiveTexture(GL_TEXTURE1);
GL table rows swapped | app/gl_functions.h | app | X(PFNGLUNIFORM3FPROC, glUniform3f, false)                              \\\n    X(PFNGLUNIFORM4FPROC, glUniform4f, false) | X(PFNGLUNIFORM4FPROC, glUniform4f, false)                              \\\n    X(PFNGLUNIFORM3FPROC, glUniform3f, false)
GL table flag changed | app/gl_functions.h | app | X(PFNGLUNIFORM2FPROC, glUniform2f, true) | X(PFNGLUNIFORM2FPROC, glUniform2f, false)
frame floor held once | app/application.h | app |             while (frameTime < kMinimumFrameSeconds) { |             if (frameTime < kMinimumFrameSeconds) {
present only while active | app/application.h | app |         window_.present();\n        lastCounter_ = now; |         if (window_.active())\n            window_.present();\n        lastCounter_ = now;
frame time overflows | app/frame_clock.cpp | app | ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency; | ticks * 1000000 / frequency;
window title | app/sdl/game_window.cpp | e2e-shell | constexpr const char* kTitle = "QUIX 5 Zorbel"; | constexpr const char* kTitle = "QUIX 5";
secondary stick x not set | input/input_device.cpp | input | primary_.x = secondary_.x = pad_.x = x; | primary_.x = pad_.x = x;
Space read from F1 | input/input_device.cpp | input | space_ = down(Key::Space); | space_ = down(Key::F1);
lengthSquared product | math/vec.cpp | math | return x * x + y * y; | return x * x + y * x;
ortho writes 11 | math/camera.cpp | math |     p[14] = -(far + near) / (far - near); |     p[14] = -(far + near) / (far - near);\n    p[11] = 0.0f;
ortho writes 15 | math/camera.cpp | math |     p[14] = -(far + near) / (far - near); |     p[14] = -(far + near) / (far - near);\n    p[15] = 1.0f;
rotationZ sign | math/mat4.cpp | math |     r.m[4] = -s; |     r.m[4] = s;
rotationAxis off-axis sign | math/mat4.cpp | math |     r.m[6] = y * z * t + x * s; |     r.m[6] = y * z * t - x * s;
lookAt up reversed | math/camera.cpp | math | Vec3 u = Vec3::cross(s, f); | Vec3 u = Vec3::cross(f, s);
product written in place | math/mat4.cpp | math |             product[4 * c + r] = sum; |             target.m[4 * c + r] = sum;
bind queries reordered | render/shader_program.cpp | render |     at.finalMatrix = gl.glGetUniformLocation(program_, "finalMatrix");\n    at.texture0 = gl.glGetUniformLocation(program_, "texture0"); |     at.texture0 = gl.glGetUniformLocation(program_, "texture0");\n    at.finalMatrix = gl.glGetUniformLocation(program_, "finalMatrix");
draw disables in enable order | render/mesh_buffers.cpp | render |     gl.glDisableVertexAttribArray(at.inTexCoord);\n    gl.glDisableVertexAttribArray(at.inNormal);\n    gl.glDisableVertexAttribArray(at.inVertex); |     gl.glDisableVertexAttribArray(at.inVertex);\n    gl.glDisableVertexAttribArray(at.inNormal);\n    gl.glDisableVertexAttribArray(at.inTexCoord);
dynamic buffer usage | render/mesh_buffers.cpp | render | GL_STATIC_DRAW); | GL_DYNAMIC_DRAW);
empty compile log deletes the shader | render/shader_program.cpp | render |     if (length <= 0)\n        return; |     if (length <= 0) {\n        gl.glDeleteShader(shader);\n        shader = 0;\n        return;\n    }
buffers released without a context | render/mesh_buffers.cpp | render |     if (hasCurrentGlContext()) { |     if (true) {
program released without a context | render/shader_program.cpp | render |     if (program_ != 0 && hasCurrentGlContext()) { |     if (program_ != 0) {
shader files read fragment first | render/shader_program.cpp | render |     const std::string vertexText = readShaderFile(vertexPath);\n    const std::string fragmentText = readShaderFile(fragmentPath);\n    return loadSources(vertexText, fragmentText); |     const std::string fragmentText = readShaderFile(fragmentPath);\n    const std::string vertexText = readShaderFile(vertexPath);\n    return loadSources(vertexText, fragmentText);
deleted texture keeps its name | render/texture.cpp | render,game |         glDeleteTextures(1, &name);\n    name = 0; |         glDeleteTextures(1, &name);
wrap T repeats | render/texture.cpp | render | glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT); | glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
glyph column | render/text_label.cpp | render | const int column = code % 16; | const int column = code % 15;
sprite anchor axes swapped | render/sprite.cpp | render |     translate(-anchorX_, -anchorY_, 0.0f); |     translate(-anchorY_, -anchorX_, 0.0f);
top-down BMP rows kept in file order | render/image_bmp.cpp | render |     layout.topDown = storedHeight < 0; |     layout.topDown = false;
BMP pixels read right after the headers | render/image_bmp.cpp | render | file.seek(pixelOffset) | file.seek(kFileHeaderBytes + infoBytes)
PNG chunk CRC not checked | render/png_container.cpp | render | if (pngChunkCrc(bytes + at + 4, size_t{length} + 4) != readBigEndian(data + length)) | if (false)
PNG walk ends at the wrong chunk | render/png_container.cpp | render | "IDAT", 4) != 0)) | "IDAT", 4) == 0))
one trailing byte announces animations | render/mesh_load.cpp | render | uint8_t extra[2]; | uint8_t extra[1];
second createBuffers leaks the first | render/mesh_buffers.cpp | render |     deleteBuffers();\n    GLuint names[4] = {}; |     GLuint names[4] = {};
label colour reaches hidden slots | render/text_label.cpp | render | const int32_t vertices = mesh_.colorCount() / 3; | const auto vertices = static_cast<int32_t>(mesh_.colors.size()) / 3;
ES wrap ignores the height | render/texture_es2.cpp | render | if (wanted == GL_CLAMP_TO_BORDER || !isPowerOfTwo(width) || !isPowerOfTwo(height)) | if (wanted == GL_CLAMP_TO_BORDER || !isPowerOfTwo(width))
paused passes keep the last counter | app/application.h | app |         window_.present();\n        lastCounter_ = now; |         window_.present();\n        if (window_.active())\n            lastCounter_ = now;
trees lean only beyond radius 16 | game/game_render.cpp | game | constexpr float kBendRadiusSquared = 225.0f; | constexpr float kBendRadiusSquared = 256.0f;
collider radius read from x | collision/collider.cpp | collision | !read.number(*e, k, "radius", circleRadius_[k]) | !read.number(*e, k, "x", circleRadius_[k])
decimal with its point first read as a number | json/json_reader_detail.h | json | fraction == 0 || at == 8 - m) | fraction == 0)
one tree not drawn | game/game_render.cpp | game |         drawNear(tree, kGroundRadiusSquared); |         if (&tree != &trees_[0])\n            drawNear(tree, kGroundRadiusSquared);
wall texture filtered smoothly | game/scene_textures.h | game | {SceneTexture::Wall, "data/wall.bmp", 2, TextureSetUp::SharpFiltering}, | {SceneTexture::Wall, "data/wall.bmp", 2, TextureSetUp::None},
white pixel uploaded after the grass | game/scene_textures.h | game | "data/grass.bmp", 4, TextureSetUp::None},\n    {SceneTexture::WhitePixel, "data/whitepixel.bmp", 3, | "data/grass.bmp", 3, TextureSetUp::None},\n    {SceneTexture::WhitePixel, "data/whitepixel.bmp", 4,
game-over program fails silently | game/game_scene.cpp | game |             diagErr(vertex + ", " + fragment + ": the program does not build"); |             ;
centre zone bound | game/game_rules.cpp | game | constexpr double kCentreHigh = 0.84; | constexpr double kCentreHigh = 0.85;
spinner follows player y | game/game_rules.cpp | game |     spinner_.x = player.x; |     spinner_.x = player.y;
tiles on the radius drawn | game/game_render.cpp | game | if (x * x + y * y < kGroundRadiusSquared) { | if (x * x + y * y <= kGroundRadiusSquared) {
ground shading dropped | data/shaders/conveyor-map.frag | game | gl_FragColor = vec4(texel.rgb * colour, texel.a); | gl_FragColor = vec4(texel.rgb, texel.a);
help exits 2 | tools/headless/main.cpp | tools |             usage(diagOutLines);\n            return 0; |             usage(diagOutLines);\n            return 2;
help on standard error | tools/headless/main.cpp | tools |             usage(diagOutLines); |             usage(diagErrLines);
key script range end excluded | tools/headless/key_script.cpp | tools | if (frame >= hold.first && frame <= hold.last) | if (frame >= hold.first && frame < hold.last)
a folder opens as a data file | io/input_file.cpp | io,game | if (type == std::filesystem::file_type::directory) { | if (false) {
a file is read in one piece only | io/input_file.cpp | io | while ((got = std::fread(piece, 1, sizeof piece, file_)) > 0) | if ((got = std::fread(piece, 1, sizeof piece, file_)) > 0)
a short read counts as whole | io/input_file.cpp | io,render | return file_ && std::fread(target, 1, count, file_) == count; | return file_ && std::fread(target, 1, count, file_) > 0;
a named pipe opens as a data file | io/input_file.cpp | io,game | if (type != std::filesystem::file_type::regular) { | if (type == std::filesystem::file_type::not_found) {
a moved file is closed twice | io/input_file.cpp | io | : file_(std::exchange(other.file_, nullptr)), size_(std::exchange(other.size_, 0)), | : file_(other.file_), size_(std::exchange(other.size_, 0)),
stick dead zone inclusive | input/pad_reading.cpp | input | pad.stickX < -kStickDeadZone); | pad.stickX <= -kStickDeadZone);
lowest axis value past -1 | input/pad_reading.cpp | input | return axis < -1.0f ? -1.0f : axis; | return axis;
pads keep the last poll | input/game_pads.cpp | input |     pads_ = PadSet();\n    reader_(pads_); |     reader_(pads_);
Start a level, not an edge | input/game_pads.cpp | input,game | const bool wentDown = pads_.start() && !startHeld_; | const bool wentDown = pads_.start();
SDL stick y not flipped | input/sdl/platform_pads.cpp | input | -axisFromInt16(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY)); | axisFromInt16(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
SDL North read from X | input/sdl/platform_pads.cpp | input | pad.north = button(SDL_CONTROLLER_BUTTON_Y); | pad.north = button(SDL_CONTROLLER_BUTTON_X);
SDL pad removal not followed | input/sdl/platform_pads.cpp | input | event->type == SDL_CONTROLLERDEVICEADDED || event->type == SDL_CONTROLLERDEVICEREMOVED | event->type == SDL_CONTROLLERDEVICEADDED
saturation one short at the bottom | audio/mixer.cpp | audio |     if (value <= -32768.0f)\n        return -32768; |     if (value <= -32767.0f)\n        return -32767;
mono right side reads the next frame | audio/mixer.cpp | audio | const uint64_t right = channels - 1; | const uint64_t right = 1;
loop seam interpolates to silence | audio/mixer.cpp | audio | if (index + 1 < frames || state.loop) { | if (index + 1 < frames) {
fade ramps the wrong way | audio/mixer.cpp | audio | state.gainStep = (volume - state.gain) / static_cast<float>(frames); | state.gainStep = (state.gain - volume) / static_cast<float>(frames);
restart cuts a steady voice off | audio/mixer.cpp | audio | (state.gain != 0.0f || state.rampFrames > 0)) | state.rampFrames > 0)
started muted ramps down from full | audio/mixer.cpp | audio | masterGain_ = muted() ? 0.0f : 1.0f; | masterGain_ = 1.0f;
clip rate ignored | audio/mixer.cpp | audio | static_cast<double>(clip.sampleRate) * control.play.pitch / sampleRate_ * kFixedOne; | static_cast<double>(kPreferredSampleRate) * control.play.pitch / sampleRate_ * kFixedOne;
loop silenced when started muted | audio/mixer.cpp | audio,sound | control.silent = muted() && !request.loop; | control.silent = muted();
WAV 8-bit samples read as signed | audio/wav_reader.cpp | audio | static_cast<int16_t>((samples[i] - 128) * 256); | static_cast<int16_t>(samples[i] * 256);
WAV odd chunk's pad byte ignored | audio/wav_reader.cpp | audio | at = bodyAt + chunkSize + (chunkSize & 1); | at = bodyAt + chunkSize;
WAV RIFF size checked against the whole file | audio/wav_reader.cpp | audio | riffSize > size - 8) | riffSize > size)
WAV data checked in samples, not frames | audio/wav_reader.cpp | audio | if (sampleBytes % format.blockAlign != 0) | if (sampleBytes % (format.bitsPerSample / 8u) != 0)
WAV writer's byte rate | audio/wav_writer.cpp | audio | putLe(bytes, 28, rate * frameBytes, 4); | putLe(bytes, 28, rate, 4);
WAV writer ignores a failed close | audio/wav_writer.cpp | audio | const bool closed = std::fclose(file) == 0; | const bool closed = (std::fclose(file), true);
WAV writer's last frame dropped | audio/wav_writer.cpp | audio | const size_t count = frameCount * static_cast<size_t>(channels); | const size_t count = (frameCount - 1) * static_cast<size_t>(channels);
click on every frame Space is held | game/game_sound.cpp | sound | const bool spacePressed = step.spaceDown && !spaceWasDown_; | const bool spacePressed = step.spaceDown;
chime takes the younger voice | game/game_sound.cpp | sound | const int older = chimeStarted_[0] <= chimeStarted_[1] ? 0 : 1; | const int older = chimeStarted_[0] <= chimeStarted_[1] ? 1 : 0;
x2 chimes as x3 | game/game_sound.cpp | sound | case 2: return 1.25f; | case 2: return 1.5f;
pause leaves the movement layer on | game/game_sound.cpp | sound |         mixer_->fade(kMovementVoice, 0.0f, kPauseFadeSeconds);\n        mixer_->play(kTickVoice, {.clip = kPauseClip |         mixer_->play(kTickVoice, {.clip = kPauseClip
M toggles while held | game/game_sound.cpp | sound | const bool pressed = down && !muteWasDown_; | const bool pressed = down;
next gust timed from the start | game/game_sound.cpp | sound | gustEnds_ = clock_ + seconds; | gustEnds_ = seconds;
loudness offset sign | tools/loudness/loudness.cpp | loudness | constexpr double kOffset = -0.691; | constexpr double kOffset = 0.691;
relative gate 20 LU | tools/loudness/loudness.cpp | loudness | constexpr double kRelativeGate = -10.0; | constexpr double kRelativeGate = -20.0;
K-weighting high-pass zero | tools/loudness/loudness.cpp | loudness | return {1.0, -2.0, 1.0, | return {1.0, 2.0, 1.0,
true peak stops at the last sample | tools/loudness/loudness.cpp | loudness | m < static_cast<long>(frames) + kTapsPerPhase; | m < static_cast<long>(frames);
last loudness window dropped | tools/loudness/loudness.cpp | loudness | for (size_t first = 0; length > 0 && first + length <= total; first += stride) | for (size_t first = 0; length > 0 && first + length < total; first += stride)
repeat head energy | tools/loudness/repeat.cpp | loudness | const double head = energy[n - lag]; | const double head = energy[n];
no flush after a line | diag/diagnostics.cpp | diag | std::fputc('\\n', out);\n    std::fflush(out); | std::fputc('\\n', out);
streams swapped | diag/diagnostics.cpp | diag | FILE* out = stream == DiagStream::Out ? stdout : stderr; | FILE* out = stream == DiagStream::Err ? stdout : stderr;
long line keeps its terminator | diag/diagnostics.cpp | diag | : sizeof text - 1; | : sizeof text;
lines split one past the newline | diag/diagnostics.cpp | diag | text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1); | text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
previous hook's user not given back | diag/diagnostics.cpp | diag |         *previousUser = currentUser; |         *previousUser = user;
named data folder taken without the data | app/data_directory.cpp | app | else if (!whyNotData(folder).empty()) | else if (false)
installed tree beside the program | app/data_directory.cpp | app | (beside / ".." / "share" / "zorbel" / kDataFolderName).lexically_normal()); | (beside / "share" / "zorbel" / kDataFolderName).lexically_normal());
a file named shaders passes | app/data_directory.cpp | app | if (!fs::is_directory(place / kMarkerFolder, error)) | if (!fs::exists(place / kMarkerFolder, error))
a place reached twice tried twice | app/data_directory.cpp | app | seen = seen || samePlace(place, candidate); | seen = seen || place == candidate;
trailing separator kept | app/data_directory.cpp | app | if (plain.filename().empty() && plain.has_relative_path()) | if (false)
working folder not changed | app/data_directory.cpp | e2e-cli |         fs::current_path(parent, error);\n        if (error) |         if (error)
settings BOM cut short | settings/player_settings.cpp | settings | text.remove_prefix(3); | text.remove_prefix(2);
settings number read as a choice | settings/player_settings.cpp | settings | if (found->type() == JsonType::Bool) { | if (found->type() == JsonType::Bool || found->type() == JsonType::Number) {
command line's mute kept | settings/settings_keeper.cpp | settings |     if (inForce.muted != inForce_.muted)\n        stored_.muted = inForce.muted; |     stored_.muted = inForce.muted;
failed save said every time | settings/settings_keeper.cpp | settings | if (!written && !saveFailed_) { | if (!written) {
damaged record not moved aside | settings/settings_keeper.cpp | settings |             damaged_ = true;\n            diagErr( |             diagErr(
a record read is written again unchanged | settings/settings_keeper.cpp | settings |     written_ = stored_;\n    return stored_; |     return stored_;
temporary left on a failed write | settings/sdl/atomic_replace.cpp | settings |         ::unlink(name.c_str());\n        problem = |         problem =
temporary never renamed | settings/sdl/atomic_replace.cpp | settings |     temporary = name; |     temporary = beside;
oversized record read cut | settings/desktop/settings_file.cpp | settings | text.resize(kMaxBytes + 1); | text.resize(kMaxBytes);
relative XDG folder taken | settings/sdl/settings_place.cpp | settings | if (value == nullptr || *value == '\\0' || !fs::path(value).is_absolute()) | if (value == nullptr || *value == '\\0')
H acts while held | game/game_rules.cpp | game | if (displayKeyDown && !displayKeyWasDown_) | if (displayKeyDown)
depth test left off after the display | game/game_display.cpp | game |     renderState_.setDepthTest(true);\n |     // The depth test stays off.\n
basic program not bound after the display | game/game_display.cpp | game | be without the display.\n    basicProgram_.bind(); | be without the display.
multiplier over the score | game/game_display.cpp | game | constexpr LabelPlacement kMultiplierPlace{24.0f, 612.0f, | constexpr LabelPlacement kMultiplierPlace{24.0f, 646.0f,
label drawn without its font | render/text_label.cpp | game |     if (font_ != nullptr)\n        font_->bind();\n    mesh_.draw(&matrix); |     mesh_.draw(&matrix);
label scaled on x only | render/text_label.cpp | render,game | Mat4::scaling(scale, scale, 1.0f) | Mat4::scaling(scale, 1.0f, 1.0f)
label turned the other way | render/text_label.cpp | render | Mat4::rotationZ(static_cast<float>(at.rotationDegrees * kDegToRad)) | Mat4::rotationZ(static_cast<float>(-at.rotationDegrees * kDegToRad))
the last of --help and --version answers | main/command_line.cpp | e2e-cli | if (!answered)\n                result.request = | result.request =
--data= without a folder accepted | main/command_line.cpp | e2e-cli | if (value.empty())\n | if (value.empty() && arg == kDataOption)\n
--data reads past the last argument | main/command_line.cpp | e2e-cli | else if (i + 1 < argc) | else if (i < argc)
a mistake exits 1 | main/command_line.cpp | e2e-cli | "An error occurred",\n                2}; | "An error occurred",\n                1};
help said on standard error | main/command_line.cpp | e2e-cli | {usageText(), false, "QUIX 5 Zorbel: help", 0}; | {usageText(), true, "QUIX 5 Zorbel: help", 0};
a stray argument plays | main/command_line.cpp | e2e-cli |         } else {\n            return mistake( |         } else if (arg.starts_with('-')) {\n            return mistake(
M read by its place | input/sdl/platform_keyboard.cpp | e2e-sound |         if (const char letter = letterOf(key))\n            return printing(letter); |         if (const char letter = letterOf(key))\n            return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (letter - 'a'));
letter fallback one key off | input/sdl/platform_keyboard.cpp | e2e-sound | SDL_SCANCODE_A + (letter - 'a')); | SDL_SCANCODE_A + (letter - 'a') + 1);
Left read from Right | input/sdl/platform_keyboard.cpp | e2e-shell | case Key::Left: return SDL_SCANCODE_LEFT; | case Key::Left: return SDL_SCANCODE_RIGHT;
Up read from Down | input/sdl/platform_keyboard.cpp | e2e-game | case Key::Up: return SDL_SCANCODE_UP; | case Key::Up: return SDL_SCANCODE_DOWN;
H read from G | input/key_source.h | e2e-game | {Key::H, 'h'} | {Key::H, 'g'}
FAULTS
}

# The working tree as it is (committed or not), without build folders. Over an earlier copy
# only files whose content differs are copied (so their new times make the build see them)
# and files that are gone are removed.
echo "scratch copy in $scratch"
rm -rf "$scratch/stage"
mkdir -p "$src" "$scratch/stage"
(cd "$repo" && git ls-files -z --cached --others --exclude-standard) |
  (cd "$repo" && tar --null -T - -cf -) | tar -xf - -C "$scratch/stage"
(cd "$scratch/stage" && find . -type f) | while IFS= read -r file; do
  if ! cmp -s "$scratch/stage/$file" "$src/$file"; then
    mkdir -p "$(dirname "$src/$file")"
    cp "$scratch/stage/$file" "$src/$file"
  fi
done
(cd "$src" && find . -type f) | while IFS= read -r file; do
  [ -e "$scratch/stage/$file" ] || rm -f "$src/$file"
done
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DZORBEL_SHARED_DIR="$repo/../shared" >"$scratch/configure.log"
echo "building the unchanged copy"
cmake --build "$build" -j 2 >"$scratch/build.log" 2>&1 || { tail -20 "$scratch/build.log"; exit 1; }

# run_groups GROUPS: builds the groups' targets and runs their tests; 0 when all pass,
# 1 when a test fails, 2 when the build fails.
run_groups() {
  local group pattern="" wanted=()
  for group in ${1//,/ }; do
    wanted+=(${targets[$group]})
    pattern+="${pattern:+|}${tests[$group]}"
  done
  cmake --build "$build" -j 2 --target "${wanted[@]}" >"$scratch/build.log" 2>&1 || return 2
  (cd "$build" && ctest -R "$pattern" -j 2 --timeout 300 >"$scratch/test.log" 2>&1) || return 1
}

# apply FILE TEXT REPLACEMENT: the number of places changed (must be 1).
apply() {
  FROM=$2 TO=$3 perl -0777 -i -pe '
    BEGIN { for my $v ("FROM", "TO") { ($x = $ENV{$v}) =~ s/\\(n|\\)/$1 eq "n" ? "\n" : "\\"/ge; $t{$v} = $x } }
    $n += s/\Q$t{FROM}\E/$t{TO}/g; END { print STDERR $n + 0, "\n" }' "$1" 2>&1 >/dev/null
}

# The faults asked for, and the groups they name.
names=() files=() groups=() froms=() tos=()
declare -A used=()
while IFS= read -r line; do
  [ -z "$line" ] && continue
  name=${line%% | *}; rest=${line#* | }
  file=${rest%% | *}; rest=${rest#* | }
  group=${rest%% | *}; rest=${rest#* | }
  [ -n "$only" ] && ! [[ "$name" =~ $only ]] && continue
  names+=("$name"); files+=("$file"); groups+=("$group")
  froms+=("${rest%% | *}"); tos+=("${rest#* | }")
  for one in ${group//,/ }; do
    [ -n "${tests[$one]:-}" ] || { echo "fault \"$name\" names an unknown group: $one"; exit 1; }
    used[$one]=1
  done
done < <(faults)
[ ${#names[@]} -gt 0 ] || { echo "no fault matches ${only:-anything}"; exit 1; }

echo "checking that the unchanged copy passes the groups of ${#names[@]} faults"
for group in $(printf '%s\n' "${!used[@]}" | sort); do
  run_groups "$group" </dev/null || { echo "the unchanged copy fails group $group:"; tail -20 "$scratch/test.log"; exit 1; }
done

seeded=0
caught=0
missed=()
unusable=()
for i in "${!names[@]}"; do
  name=${names[$i]}; file=${files[$i]}
  cp "$src/$file" "$scratch/original"
  changed=$(apply "$src/$file" "${froms[$i]}" "${tos[$i]}")
  if [ "$changed" != 1 ]; then
    unusable+=("$name (text found $changed times in $file)")
    printf '%-45s %s\n' "$name" "text not found once: skipped"
    cp "$scratch/original" "$src/$file"
    continue
  fi
  status=0
  run_groups "${groups[$i]}" </dev/null || status=$?
  cp "$scratch/original" "$src/$file"
  case $status in
    0) seeded=$((seeded + 1)); missed+=("$name ($file)"); verdict="MISSED" ;;
    1)
      seeded=$((seeded + 1)); caught=$((caught + 1))
      first=$(sed -n '1s/^[0-9]*://p' "$build/Testing/Temporary/LastTestsFailed.log" 2>/dev/null | sed 's/  #.*//')
      verdict="caught by $first" ;;
    *) unusable+=("$name (does not build)"); verdict="does not build: skipped" ;;
  esac
  printf '%-45s %s\n' "$name" "$verdict"
done

echo
echo "caught $caught / seeded $seeded in $((SECONDS / 60)) min $((SECONDS % 60)) s"
for fault in "${missed[@]}"; do echo "missed: $fault"; done
for fault in "${unusable[@]}"; do echo "not counted: $fault"; done
[ ${#missed[@]} -eq 0 ]
