# Sourced by the scripts that run Velmora under Wine. Expects WINEPREFIX
# (and DISPLAY) exported.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver

# Starts the prefix and keeps its wineserver up for $1 seconds after its
# last program ends. A server that is still up (a program closed a moment
# ago) stays as it is: `wineserver -p` then answers 2 ("already running"),
# which is no failure. Wine failing to start at all is one, and says so.
start_wine_prefix() {
  "$wineserver" -p"$1" </dev/null >/dev/null 2>&1 || true
  if ! "$wine" cmd /c exit </dev/null >/dev/null 2>&1; then
    echo "Wine could not start a program in $WINEPREFIX" >&2
    return 1
  fi
}
