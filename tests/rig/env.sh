# Sourced by the rig scripts: the environment every Windows test program runs in.
# QB_RIG_DIR (set by CTest) holds the locale, the Wine prefix and the display number.
: "${QB_RIG_DIR:?QB_RIG_DIR is not set}"
export LOCPATH="$QB_RIG_DIR/locale"
export LC_ALL=zh_CN.UTF-8          # gives the ANSI code page 936 inside Wine
# QB_USER_LOCALE (a glibc locale name, "C" for US English): the user locale, and with it the
# keyboard layout of every thread, differs from the system's; the code page stays 936.
if [ -n "${QB_USER_LOCALE:-}" ]; then
  unset LC_ALL
  export LC_CTYPE=zh_CN.UTF-8 LC_MESSAGES="$QB_USER_LOCALE"
fi
export WINEPREFIX="$QB_RIG_DIR/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono/Gecko installers in a throwaway prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;regedit.exe=n}"
if [ -f "$QB_RIG_DIR/display" ]; then
  export DISPLAY=":$(cat "$QB_RIG_DIR/display")"
fi
