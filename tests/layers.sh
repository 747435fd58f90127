#!/bin/sh
# The folders are layers: no include may point from a lower folder to a
# higher one (model, store, report, outputs, resources, windows, shell).
cd "${1:?source folder}" || exit 2
rank() {
    case $1 in
    model) echo 1 ;; store) echo 2 ;; report) echo 3 ;; outputs) echo 4 ;;
    resources) echo 5 ;; windows) echo 6 ;; shell) echo 7 ;; *) echo 0 ;;
    esac
}
status=0
for dir in model store report outputs resources windows shell; do
    for file in "$dir"/*.h "$dir"/*.cpp; do
        [ -e "$file" ] || continue
        for used in $(sed -n 's|^#include "\([a-z]*\)/.*|\1|p' "$file"); do
            if [ "$(rank "$used")" -gt "$(rank "$dir")" ]; then
                echo "$file includes $used/, a higher layer" >&2
                status=1
            fi
        done
    done
done
exit $status
