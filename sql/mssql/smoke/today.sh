# Sourced by make_expected.sh and smoke_test.sh. The cases are dated today, because the
# server refuses a meal more than a day from its clock: cases.txt and expected.txt say
# {mdy} (12/9/2026), {dmy} (09/12/2026) and {iso} (2026-12-09) where today's date goes.
smoke_mdy="$(date +%-m/%-d/%Y)"
smoke_dmy="$(date +%d/%m/%Y)"
smoke_iso="$(date +%F)"
# Tomorrow, for an order no other case has a meal on (GNU date, else BSD's).
smoke_mdy_tomorrow="$(date -d tomorrow +%-m/%-d/%Y 2>/dev/null || date -v+1d +%-m/%-d/%Y)"
# Fills the placeholders with today's date.
with_today() {
    sed -e "s#{mdy}#$smoke_mdy#g" -e "s#{dmy}#$smoke_dmy#g" -e "s#{iso}#$smoke_iso#g" \
        -e "s#{tomorrow}#$smoke_mdy_tomorrow#g"
}
# Puts the placeholders back where an answer repeats today's date.
as_placeholders() { sed -e "s#$smoke_iso#{iso}#g" -e "s#$smoke_dmy#{dmy}#g" -e "s#$smoke_mdy#{mdy}#g"; }
