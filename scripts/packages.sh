# The Debian 12 packages each task needs, as lists for scripts/deps.sh. Sourced by the scripts.

# Building the game and running it (the GL drivers included; EGL serves SDL's offscreen
# driver, which renders the play-through on machines without a display; Xlib tells whether a
# window manager can grant full screen).
PLAY_PACKAGES=(
  g++ cmake ninja-build pkg-config
  libsdl2-dev libpng-dev zlib1g-dev libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libx11-dev
)

# Packaging: dpkg-shlibdeps finds what the .deb depends on, and dpkg-parsechangelog the date
# the packages carry.
PACKAGE_PACKAGES=(dpkg-dev)

# The tests on top of building: the second compiler and its sanitizer and fuzzer runtimes,
# GoogleTest, an X server to drive the real game in (and a window manager, which grants full
# screen; setxkbmap, which gives it another keyboard layout), the tools that read its pictures
# and its sound, and lintian, which holds the .deb to Debian's rules.
TEST_PACKAGES=(
  clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xfonts-base xdotool x11-xkb-utils x11-utils imagemagick sox locales clang-format
  openbox lintian
  "${PACKAGE_PACKAGES[@]}"
)

# The benchmarks and the peer libraries they measure against.
BENCH_PACKAGES=(libbenchmark-dev nlohmann-json3-dev rapidjson-dev)

# The browser build: Debian's Emscripten, whose optimiser runs on node with Debian's acorn.
WEB_PACKAGES=(cmake ninja-build emscripten node-acorn)

# The browser tests and benchmark: the system's Chromium (the npm tools never download one).
WEB_TEST_PACKAGES=(chromium)

# The Windows build: the mingw-w64 cross compiler (the POSIX thread model, which the build
# uses), and zip for the package.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix zip)

# The Windows tests: icoutils and unzip to read the zip and the exe's resources; GoogleTest's
# sources for the cross compiler; Wine (64-bit only) with the system's GL drivers and the X
# extensions its display driver loads; a C compiler and the X headers for wm_close; the X
# server and picture tools of the end-to-end test; ALSA's library, whose file plugin is the
# sound device Wine plays into, and sox to read what it captured.
WINDOWS_TEST_PACKAGES=(
  icoutils unzip googletest wine wine64 libgl1 libgl1-mesa-dri
  libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxxf86vm1 libxfixes3
  gcc libx11-dev xvfb xauth xfonts-base xdotool x11-utils imagemagick libasound2 sox
)
