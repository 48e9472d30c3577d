# Shared start of the scripts that drive a real terminal, sourced with `needs` naming the terminal:
# skips (skip.sh) unless the tools are there, runs the calling script again under a virtual X display,
# and gives it a scratch folder `dir` with its `status` file, removed on exit along with the
# terminal whose process id the script puts in `termpid`.
. "$(dirname "$0")/skip.sh"
for tool in xvfb-run xdotool $needs; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
if [ -z "${XDISPLAY_INNER:-}" ]; then
    export XDISPLAY_INNER=1
    exec timeout 100 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

dir=$(mktemp -d)
status=$dir/status
termpid=
finish() {
    [ -n "$termpid" ] && kill "$termpid" 2>/dev/null
    rm -rf "$dir"
}
trap finish EXIT
export LIBGL_ALWAYS_SOFTWARE=1
