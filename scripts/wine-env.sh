# The environment every run of wine here shares, besides its prefix: no debugging output, no
# installer for Mono or Gecko (mscoree, mshtml), no menu entries or file types written to the
# desktop (winemenubuilder). The shell scripts source this file; other programs read its
# KEY='VALUE' lines (the value between the single quotes, as it stands) and skip the rest.
WINEDEBUG='-all'
WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
export WINEDEBUG WINEDLLOVERRIDES
