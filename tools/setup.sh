#!/usr/bin/env bash
# Installs the Debian packages nol needs (when missing) and configures build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config   # the build
  libsdl2-dev                                    # window, events, input, GL context
  libx11-dev                                     # noticing a lost X display connection
  libsdl2-image-dev                              # image files for the texture loaders
  libgl-dev libgl1-mesa-dri                      # OpenGL headers; Mesa (llvmpipe without a GPU)
  zlib1g-dev                                     # compressed .x files
  libmeshoptimizer-dev                           # vertex-cache ordering of meshes
  libfreetype-dev libfontconfig-dev              # glyphs of the text fonts, faces found by name
  libopenal-dev                                  # DirectSound over OpenAL Soft: mixing, 3D, EFX effects
  libfluidsynth-dev timgm6mb-soundfont           # DirectMusic: MIDI synthesiser, General MIDI SoundFont
  fonts-ipafont-gothic                           # a Japanese gothic face in place of "ＭＳ ゴシック"
  libglib2.0-dev                                 # file dialogs: the desktop portal over D-Bus (GDBus)
  zenity                                         # file dialogs where no portal answers
  libgstreamer1.0-dev                            # DirectShow over GStreamer: the core (playbin's bus, threads)
  libgstreamer-plugins-base1.0-dev               # the video overlay interface, missing plug-ins by name
  gstreamer1.0-plugins-base                      # playbin, Ogg, Theora, Vorbis, Opus, conversion and scaling
  gstreamer1.0-plugins-good                      # WebM/Matroska, VP8/VP9, FLAC, WAV, MP3 (mpg123), sound outputs
  gstreamer1.0-alsa                              # ALSA sound output where no sound server runs
  gstreamer1.0-x                                 # ximagesink: the video drawn into its X11 child window
  gstreamer1.0-tools                             # gst-launch-1.0: the build encodes the test clips with it
  libgtest-dev libgmock-dev libbenchmark-dev     # tests and benchmarks
  dbus-daemon                                    # file-dialog tests: a private session bus
  python3-gi                                     # file-dialog tests: the fake portal (tests/fake_portal.py)
  xvfb xauth                                     # a display for headless tests
  xdotool                                        # keys through the X server in the whole-program game test
  ibus ibus-anthy dbus-daemon                    # a real input method (IBus, its Anthy engine, a private session
                                                 # bus) in the text-entry test; dbus-daemon also makes the machine
                                                 # id by which SDL finds IBus's address file
  clang libclang-rt-14-dev                       # the fuzz targets (libFuzzer, sanitizers)
  pulseaudio pulseaudio-utils                    # sound-output loss test: a private sound server with a
                                                 # null sink, recorded from its monitor (parec)
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "nol needs these packages: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi

if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja
fi
