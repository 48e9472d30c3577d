# Sourced by the end-to-end scripts. Without a tool, or when the game does not run, a test is
# skipped (exit 77) with the reason; under the project's test command, which installs every tool
# and sets DROPPLE_TEST_STRICT, it fails instead.
skip() {
    if [ -n "${DROPPLE_TEST_STRICT:-}" ]; then
        echo "FAIL: $* (DROPPLE_TEST_STRICT is set)"
        exit 1
    fi
    echo "skipped: $*"
    exit 77
}
