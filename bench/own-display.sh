# Sourced by the benchmarks that run "tessaron" on an X server of their own.
# They set $bin (the build's bin folder), $work (a scratch folder) and $here
# (this folder) first.

# A program home in $work/home whose display window, 1280 x 720 at the top
# left of the screen, shows the results layout, framed from the timing system
# that a TCP source named NAME waits for on loopback PORT; the main window
# stands below it.
results_board_home() { # NAME PORT
    sh "$here/../tools/source-home.sh" "$work/home" "$1" "-2,127.0.0.1,$2" "$bin" \
        '\Display\Monitor:Int=-1' '\Display\Width:Int=1280' '\Display\Height:Int=720' \
        '\General\MainWindow\Left:Int=0' '\General\MainWindow\Top:Int=740' \
        '\General\MainWindow\Width:Int=800' '\General\MainWindow\Height:Int=300' \
        '\General\MainWindow\Maximized:Int=0' \
        '\Layout\Open\:=' "\\Layout\\Open\\1:String=$bin/layouts/Results.tly"
    cp "$bin"/*.fnt "$bin"/Logo.tga "$work/home/"
    export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
}

# An Xvfb of its own, its process in $xserver, and DISPLAY naming it.
start_own_display() {
    Xvfb -displayfd 3 -screen 0 1280x1080x24 -nolisten tcp 3> "$work/display" 2>/dev/null &
    xserver=$!
    sleep 1
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
}
