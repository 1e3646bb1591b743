#!/usr/bin/env bash
# The desktop entry and the AppStream metadata pass their validators, pedantic hints included,
# and every screenshot they announce is a picture of docs/ of the announced size.
set -euo pipefail
root=${1:?usage: $0 source-folder}
entry=$root/resources/desktop/org.example.tintel.desktop
metainfo=$root/resources/desktop/org.example.tintel.metainfo.xml

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

desktop-file-validate "$entry" || fail "desktop-file-validate"
# The example host has no pages to fetch.
report=$(appstreamcli validate --pedantic --strict --no-net "$metainfo" 2>&1) || fail "$report"
if grep -E '^[EWIP]: ' <<<"$report"; then
  fail "appstreamcli: $report"
fi

grep -q '<url type="homepage">https://' "$metainfo" || fail "the home page is not https"
pictures=$(grep -o '<image type="source"[^<]*</image>' "$metainfo") || fail "no screenshots"
while read -r image; do
  [[ $image =~ width=\"([0-9]+)\"\ height=\"([0-9]+)\"\>https://[^\<]*/([^/\<]+)\< ]] ||
    fail "screenshot: $image"
  picture=$root/docs/${BASH_REMATCH[3]}
  [[ $(file -b "$picture") == "PNG image data, ${BASH_REMATCH[1]} x ${BASH_REMATCH[2]},"* ]] ||
    fail "$picture is not ${BASH_REMATCH[1]}x${BASH_REMATCH[2]}: $(file -b "$picture" 2>&1)"
done <<<"$pictures"
echo PASS
