#!/usr/bin/env bash
# Takes the screenshots of the languages with scripts of their own, for docs/: the factory
# settings of each, light theme, first tab, 1024 x 600, the tab strip and the first row of icons
# as docs/language-<CODE>.png. Run it
# after a build; it needs what scripts/screenshot.sh needs.
set -euo pipefail
cd "$(dirname "$0")/.."

# The tree's code and a Windows language identifier that chooses it.
languages=(JA:0x0411 KO:0x0412 TW:0x0404 AR:0x0401 TH:0x041E EL:0x0408)
for language in "${languages[@]}"; do
    code=${language%%:*}
    ./scripts/screenshot.sh 1024 600 1 0 "docs/language-$code.png" "${language#*:}" >/dev/null
    # The part with text, in fewer colours, keeps the pictures small; the text stays sharp.
    convert "docs/language-$code.png" -crop 1024x240+0+0 +repage -colors 64 "PNG8:docs/language-$code.png"
    echo "docs/language-$code.png"
done
