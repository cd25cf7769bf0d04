# The Windows program with a sound device but without an MP3 decoder: Wine
# decodes MPEG audio with GStreamer's "good" plugins, so this session hides
# them (a plugin folder of every other plugin of the system). The game
# tells the player once, with a "Warning", that the music cannot be played,
# and plays on.
TEST_NAME=no_mp3_decoder
WINE_AUDIO=alsa
. "$(dirname "$0")/common.bash"

case $WINE_ARCH in
  i686) debian_arch=i386 ;;
  *) debian_arch=amd64 ;;
esac
system_plugins=/usr/lib/$(dpkg-architecture -a "$debian_arch" -qDEB_HOST_MULTIARCH 2>/dev/null)/gstreamer-1.0
[ -d "$system_plugins" ] || fail "no GStreamer plugins in $system_plugins"
plugins=$ARTIFACTS/gstreamer-plugins
mkdir -p "$plugins"
good=$(dpkg -L "gstreamer1.0-plugins-good:$debian_arch" 2>/dev/null | grep '\.so$' || true)
for plugin in "$system_plugins"/*.so; do
  grep -qxF "$plugin" <<<"$good" || ln -s "$plugin" "$plugins/"
done
export GST_PLUGIN_SYSTEM_PATH_1_0=$plugins GST_REGISTRY_1_0=$ARTIFACTS/gstreamer-registry.bin
echo "$(ls "$plugins" | wc -l) GStreamer plugins, $(grep -c . <<<"$good") of the good set hidden" >&2

# A sound device that records into a file: nothing may reach it.
export HOME=$ARTIFACTS/home
mkdir -p "$HOME"
cat >"$HOME/.asoundrc" <<ALSA
pcm.!default {
  type file
  slave.pcm "null"
  file "$ARTIFACTS/played.wav"
  format "wav"
}
ALSA

make_game_copy
write_config 400 300 32
start_game
answer_dialog "Information" n fullscreen_question
answer_dialog "Information" n postprocessing_question
answer_dialog "Warning" Return music_warning
window=$(wait_window "^FPS = [0-9]+\$" 120) || fail "the game did not go on after the warning"
sleep 3
[ -z "$(xdotool search --onlyvisible --name '^Warning$' 2>/dev/null)" ] || fail "a second warning"
screenshot menu
bright menu 30 110 140 40 60 || fail "no menu after the warning"
xdotool windowfocus "$window"
sleep 0.3
xdotool key alt+F4
wait_exit 0
[ "$(box_count "Cannot play music Data/Audio/mirelto.mp3")" = 1 ] ||
  fail "not one music warning: $(grep msgbox "$ARTIFACTS/game.log")"
[ "$(box_count "Cannot init fmod")" = 0 ] || fail "the sound device was not found"
[ ! -s "$ARTIFACTS/played.wav" ] || fail "something was played: $(stat -c %s "$ARTIFACTS/played.wav") bytes"
wineserver -k 2>/dev/null
rm -rf "$GAME_DIR"
echo "wine no MP3 decoder passed"
