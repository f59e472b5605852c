#!/usr/bin/env bash
# A signed build as a publisher makes one: a throwaway key and self-signed
# certificate, two clean builds with them (uninst.exe signed before the
# payload takes it, setup.exe last), both signatures verified, the two
# builds the same bytes, and the signed setup.exe walked through an install.
#   signed-build.sh SOURCE_DIR HOST_TOOLS_DIR TOOLCHAIN_FILE WALKTHROUGH.exe
set -u
source=$1 tools=$2 toolchain=$3 walk=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-signed.XXXXXX")
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "/CN=Kovra Rendo Cup test signer" >/dev/null 2>&1 || { echo "openssl made no key"; exit 1; }

for n in 1 2; do
    tree=$work/tree$n
    {
        cmake -S "$source" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DKOVRA_SIGN_KEY="$work/key.pem" -DKOVRA_SIGN_CERT="$work/cert.pem" -DKOVRA_PAYLOAD="$work/payload$n.sz_" &&
            cmake --build "$tree" --target uninst -j 2 &&
            "$tools/kovra_demogame" --programs "$tree/programs" "$work/game$n" &&
            "$tools/kovra_payload" "$work/game$n" "$work/payload$n.sz_" &&
            cmake --build "$tree" --target setup -j 2
    } >"$work/build$n.log" 2>&1 || { tail -30 "$work/build$n.log"; echo "signed build $n failed"; exit 1; }
done

status=0
for exe in setup.exe programs/uninst.exe; do
    if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/tree1/$exe" >"$work/verify.log" 2>&1; then
        echo "$exe: signature verified ($(grep -m1 'Message digest algorithm' "$work/verify.log" | tr -s ' '))"
    else
        cat "$work/verify.log"; echo "$exe: signature not verified"; status=1
    fi
    if cmp -s "$work/tree1/$exe" "$work/tree2/$exe"; then
        echo "$exe: two signed builds are identical ($(stat -c %s "$work/tree1/$exe") bytes)"
    else
        echo "$exe: two signed builds differ"; status=1
    fi
done
# The uninstaller the payload carries is the signed one.
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/game1/uninst.exe" >/dev/null 2>&1 ||
    { echo "the payload's uninst.exe is not signed"; status=1; }

winpath() { echo "Z:$1" | tr / '\\'; }
mkdir -p "$work/shots"
"$(dirname "$0")/wine/wine-run.sh" "$walk" "$(winpath "$work/tree1/setup.exe")" "$(winpath "$work/shots")" \
    >"$work/walk.log" 2>&1
if grep -q '^result: "Installation erfolgreich."' "$work/walk.log"; then
    echo "the signed setup.exe installed the game"
else
    cat "$work/walk.log"; echo "the signed setup.exe did not install"; status=1
fi
exit $status
