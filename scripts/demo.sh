#!/usr/bin/env bash
# `make demo`: one scripted session of the real program on a private X server, driven with
# xdotool as a user would, with a picture of every window under build/demo/ and three of them
# for the README under docs/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
TINTEL=$root/build/default/app/tintel
out=$root/build/demo
docs=$root/docs
limit=120

if [[ ! -x $TINTEL ]]; then
  echo "make demo: $TINTEL is missing; run 'make build' first." >&2
  exit 1
fi
for tool in Xvfb openbox xdotool xprop xwininfo xmessage import faketime; do
  command -v "$tool" >/dev/null ||
    { echo "make demo: '$tool' is not installed; run 'make deps'." >&2; exit 1; }
done

# A window that never comes must not hang the build: the whole session, X server included, is
# stopped after $limit seconds. timeout signals its own process group, so nothing outlives it.
if [[ -z ${TINTEL_DEMO_TIMED:-} ]]; then
  TINTEL_DEMO_TIMED=1 exec timeout --kill-after=5 "$limit" bash "$0" "$@"
fi

source "$root/scripts/xsession.sh"
# Without this, a TERM from timeout would end the shell without the EXIT trap's clean-up.
trap 'echo "make demo: stopped after ${limit}s" >&2; exit 124' TERM
# The screen as it was when a step went wrong goes beside the pictures taken so far.
on_fail() {
  import -window root "$out/failure.png" 2>/dev/null || true
  echo "make demo: the screen at that moment and the pictures so far are in $out"
}
# Typed more slowly than the tests type: the message's accented letters go through a key that
# xdotool maps afresh for each one.
TYPING_DELAY=40

rm -rf "$out"
mkdir -p "$out" "$docs"
shots=()
captions=()

# Saves a region of the screen as build/demo/NAME.png and records its caption for index.html.
# The screen is read rather than the window alone so that the window manager's frame and
# whatever overlaps the window are in the picture, as the user sees them.
shoot_area() {
  local name=$1 caption=$2 x=$3 y=$4 w=$5 h=$6
  ((x < 0)) && { w=$((w + x)); x=0; }
  ((y < 0)) && { h=$((h + y)); y=0; }
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png" ||
    fail "could not read the screen for $name.png"
  shots+=("$name")
  captions+=("$caption")
}

# A window, frame included, with a margin of desktop around it.
shoot_window() {
  local name=$1 caption=$2 id=$3 margin=12 left top right bottom
  read -r left top right bottom < <(outer_frame "$id")
  shoot_area "$name" "$caption" $((left - margin)) $((top - margin)) \
    $((right - left + 2 * margin)) $((bottom - top + 2 * margin))
}

html_escape() {
  sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g' <<<"$1"
}

write_index() {
  local i
  {
    cat <<'HEAD'
<!DOCTYPE html>
<html lang="fr">
<head>
<meta charset="utf-8">
<title>Tintel : les fenêtres</title>
<style>
  body { font-family: sans-serif; max-width: 1100px; margin: 2em auto; color: #222; }
  figure { margin: 0 0 2.5em; }
  figcaption { margin-bottom: .5em; }
  img { border: 1px solid #ccc; max-width: 100%; }
</style>
</head>
<body>
<h1>Tintel : les fenêtres, dans l'ordre d'une séance</h1>
HEAD
    for i in "${!shots[@]}"; do
      printf '<figure>\n<figcaption>%d. %s</figcaption>\n<img src="%s.png" alt="%s">\n</figure>\n' \
        $((i + 1)) "$(html_escape "${captions[i]}")" "${shots[i]}" "${shots[i]}"
    done
    echo '</body>'
    echo '</html>'
  } >"$out/index.html"
}

# Xvfb -displayfd reports every display it finds taken on its way to a free one.
start_display 2>>"$WORK/display.log"
# Xvfb's desktop is black; a plain colour makes the window frames stand out.
timeout 5 display -window root -size 8x8 xc:'#4f6f8f' 2>/dev/null || true

# The fixed clock starts a minute and a half before the alarm, time enough for every picture
# before it; the clock is moved on later so that the alarm fires without waiting.
start_faked demo "2026-12-07 08:58:30"

splash=$(wait_window Tintel 8)
sleep 0.4
shoot_window 01-presentation "La fenêtre de présentation, au démarrage (deux secondes)." "$splash"

nouveau=$(wait_window "Nouvelle alarme" 8)
sleep 0.5
alarm_text=$'Réunion d\'équipe\nsalle Verlaine, 2e étage'
type_alarm "$nouveau" "09:00" "$alarm_text"
sleep 0.3
shoot_window 02-nouvelle-alarme \
  "Nouvelle alarme : l'heure et un message de deux lignes (Ctrl+Entrée passe à la ligne)." "$nouveau"

# A letter in the time box is refused.
xdotool key shift+Tab End
xdotool type --delay "$TYPING_DELAY" "h"
invalide=$(wait_window "Donnée non valide" 5)
sleep 0.5
shoot_window 03-donnee-non-valide "Une lettre dans la case de l'heure : refusée, avec un bip." "$invalide"
press "$invalide" Return
wait_gone "Donnée non valide" 3

# An hour already gone today: the question, answered with its default, Non.
xdotool windowactivate --sync "$nouveau"
# Selected with the cursor keys: Ctrl+A types a control character, which the box refuses too.
xdotool key End shift+Home
xdotool type --delay "$TYPING_DELAY" "8:15"
xdotool key Return
attention=$(wait_window Attention... 5)
sleep 0.5
shoot_window 04-heure-passee "8:15 est déjà passée : l'alarme doit-elle sonner demain ? (Non par défaut)" \
  "$attention"
press "$attention" Return
wait_gone Attention... 3

# Some other window in the top right corner, for the countdown window to sit over. xmessage
# draws Latin-1, not UTF-8.
xmessage -geometry 470x220-0+20 -title "Compte rendu.txt" \
  "$(printf '%s\n' "Compte rendu du lundi 7 décembre" "" \
    "1. Budget 2027 : à valider avant vendredi." "2. Déménagement de l'équipe au 2e étage." \
    "3. Questions diverses." | iconv -f UTF-8 -t ISO-8859-1)" >/dev/null 2>&1 &
PIDS+=($!)
wait_window "Compte rendu.txt" 5 >/dev/null
sleep 0.3

xdotool windowactivate --sync "$nouveau"
xdotool type --delay "$TYPING_DELAY" "09:00"
xdotool key Return
tintel=$(wait_window "Tintel journalière" 5)
wait_gone "Nouvelle alarme" 3
sleep 1.2
shoot_area 05-compte-a-rebours \
  "Le compte à rebours dans le coin de l'écran, au premier plan, par-dessus une autre fenêtre." \
  760 0 520 280

# Minimised, only the title is left: openbox's window list (middle click on the desktop) shows
# it, in brackets as for every minimised window.
xdotool mousemove --window "$tintel" 120 58 click 1
title="Tintel: 09:00 ($alarm_text)"
minimised=$(wait_title "$title" 3)
sleep 0.5
xdotool mousemove 200 200 click 2
sleep 0.6
# The line break of the message stays in the title; shown here as ⏎.
shoot_area 06-reduite \
  "Réduite, la fenêtre garde l'alarme dans son titre, ici dans la liste des fenêtres d'openbox : « ${title//$'\n'/⏎} »." \
  180 180 460 110
xdotool key Escape
sleep 0.3
xdotool windowactivate --sync "$minimised" >/dev/null 2>&1 || xdotool windowmap "$minimised"
tintel=$(wait_window "Tintel journalière" 5)
sleep 0.5

# A click on the alarm time asks what next; "Conserver l'alarme existante" keeps the countdown.
xdotool mousemove --window "$tintel" 60 25 click 1
question=$(wait_window "Que voulez-vous faire?" 5)
sleep 0.5
shoot_window 07-que-faire "Un clic sur l'heure de l'alarme : que voulez-vous faire ?" "$question"
press "$question" Down Return
wait_gone "Que voulez-vous faire?" 3

# Four seconds before the alarm.
echo "@2026-12-07 08:59:56" >"$WORK/faketime"
message=$(wait_window "votre message de 09:00:00" 10)
sleep 0.5
shoot_window 08-message "À 9:00:00, le message, au centre de l'écran et devant les autres fenêtres." \
  "$message"
press "$message" Return

nouveau=$(wait_window "Nouvelle alarme" 5)
wait_gone "Tintel journalière" 3
sleep 0.5
press "$nouveau" F2
about=$(wait_window "À propos de Tintel" 5)
sleep 0.5
shoot_window 09-a-propos "F2, dans toutes les fenêtres principales : à propos de Tintel." "$about"
press "$about" Escape
wait_gone "À propos de Tintel" 3

stop_tintel
write_index
cp "$out/02-nouvelle-alarme.png" "$docs/nouvelle-alarme.png"
cp "$out/05-compte-a-rebours.png" "$docs/compte-a-rebours.png"
cp "$out/08-message.png" "$docs/message.png"
echo "make demo: ${#shots[@]} pictures in $out/index.html; three of them copied to $docs"
