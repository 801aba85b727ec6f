# Starts and stops a private Xvfb display with openbox for tests and benchmarks (source this).
# Screen 0 spans two monitors of different sizes (1920x1080 and 1280x1024, side by side): RandR 1.5
# monitors, the first on Xvfb's one output (so its display id is that output's id), the second on
# none (its display id is its name's atom). `xserver_start WxH` starts one monitor of that size.
xserver_pids=()

# QUILLET_TEST_DISPLAY=N (or :N) names the display to start; without it the first free one
# from :90 up is taken.
xserver_free_display() {
  if [ -n "${QUILLET_TEST_DISPLAY:-}" ]; then
    local given=${QUILLET_TEST_DISPLAY#:}
    if ! [[ "$given" =~ ^[0-9]+$ ]]; then
      echo "xserver: QUILLET_TEST_DISPLAY=$QUILLET_TEST_DISPLAY is no display number" >&2
      return 1
    fi
    if [ -e "/tmp/.X${given}-lock" ] || [ -e "/tmp/.X11-unix/X${given}" ]; then
      echo "xserver: display :$given (QUILLET_TEST_DISPLAY) is in use" >&2
      return 1
    fi
    echo "$given"
    return 0
  fi
  local n=90
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  echo "$n"
}

xserver_start() {
  local size=${1:-}
  local n
  n=$(xserver_free_display) || return 1
  export DISPLAY=":${n}"
  export XAUTHORITY
  XAUTHORITY=$(mktemp /tmp/quillet-xauth.XXXXXX)
  xauth -f "$XAUTHORITY" add "$DISPLAY" . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')" >/dev/null 2>&1
  # -noreset: the monitors set below must outlive the xrandr clients that set them.
  Xvfb "$DISPLAY" -screen 0 "${size:-3200x1080}x24" -noreset +extension RANDR +extension MIT-SHM -nolisten tcp \
    -auth "$XAUTHORITY" >/tmp/quillet-xvfb-${n}.log 2>&1 &
  xserver_pids+=($!)
  local i
  for i in $(seq 1 100); do
    if xdpyinfo_ok; then break; fi
    sleep 0.05
  done
  # Two monitors of different sizes on the one screen.
  if [ -z "$size" ]; then
    xrandr --setmonitor QUILLET-A 1920/508x1080/286+0+0 screen >/dev/null 2>&1 || true
    xrandr --setmonitor QUILLET-B 1280/338x1024/270+1920+0 none >/dev/null 2>&1 || true
  fi
  openbox --sm-disable >/tmp/quillet-openbox-${n}.log 2>&1 &
  xserver_pids+=($!)
  sleep 0.3
}

xdpyinfo_ok() {
  xrandr -q >/dev/null 2>&1
}

xserver_stop() {
  local p
  for p in "${xserver_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${xserver_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  xserver_pids=()
  [ -n "${XAUTHORITY:-}" ] && rm -f "$XAUTHORITY"
}
